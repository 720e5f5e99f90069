#include "settings/settings_store.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "core/format_settings.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

constexpr std::string_view kDefaultVendor = "zorVIK";
constexpr std::string_view kApplication = "Quelm";

TSettingsModule* gModule = nullptr;

template <class T> std::vector<std::uint8_t> LittleEndianBytes(T value) {
    auto bytes = std::bit_cast<std::array<std::uint8_t, sizeof(T)>>(value);
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(bytes.begin(), bytes.end());
    return {bytes.begin(), bytes.end()};
}

double DoubleFromLittleEndian(const std::vector<std::uint8_t>& data) {
    std::array<std::uint8_t, 8> bytes{};
    std::copy(data.begin(), data.end(), bytes.begin());
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(bytes.begin(), bytes.end());
    return std::bit_cast<double>(bytes);
}

bool IsBlankOrControl(char c) noexcept { return static_cast<unsigned char>(c) <= ' '; }

template <class... Ts> struct TOverloaded : Ts... { using Ts::operator()...; };

} // namespace

TSettingsStore::TSettingsStore(TPlatformServices& platform) : FPlatform(platform) {}

std::string TSettingsStore::KeyPath(std::string_view section) const {
    const std::lock_guard lock(FLock);
    std::string path = "\\Software\\";
    path += FVendorWord;
    path += '\\';
    path += FApplicationWord;
    if (!section.empty()) {
        path += '\\';
        path += section;
    }
    return path;
}

TSettingValue TSettingsStore::ReadSetting(std::string_view section, std::string_view name,
                                          const TSettingValue& defaultValue) {
    const std::lock_guard lock(FLock);
    if (!FOpen || !FHasAccessor)
        return defaultValue;
    std::unique_ptr<TRegistryKey> key;
    try {
        key = FPlatform.OpenRegistryKey(KeyPath(section), TRegistryAccess::Read);
    } catch (const EPlatformError&) {
        // A key that exists but cannot be read: the default, as for a missing one.
        return defaultValue;
    }
    if (!key || !key->ValueExists(name))
        return defaultValue;
    switch (key->ValueType(name)) {
    case TRegistryValueType::Text: return key->ReadText(name);
    case TRegistryValueType::Integer: return key->ReadInteger(name);
    case TRegistryValueType::Binary: {
        const std::vector<std::uint8_t> data = key->ReadBinary(name);
        if (data.size() != 8)
            throw EPlatformError(FormatText(ResString("Invalid data type for '%s'"), {name}));
        return TDateTime{DoubleFromLittleEndian(data)};
    }
    case TRegistryValueType::None: break;
    }
    return TSettingValue();
}

void TSettingsStore::WriteSetting(std::string_view section, std::string_view name,
                                  const TSettingValue& value) {
    const std::lock_guard lock(FLock);
    if (!FOpen || !FHasAccessor)
        return;
    std::unique_ptr<TRegistryKey> key;
    try {
        key = FPlatform.OpenRegistryKey(KeyPath(section), TRegistryAccess::WriteCreate);
    } catch (const EPlatformError&) {
        return;
    }
    if (!key)
        return;
    std::visit(TOverloaded{
                   [&](std::int16_t i) { key->WriteInteger(name, i); },
                   [&](std::int32_t i) { key->WriteInteger(name, i); },
                   [&](bool b) { key->WriteInteger(name, b ? 1 : 0); },
                   [&](float f) { key->WriteBinary(name, LittleEndianBytes(static_cast<double>(f))); },
                   [&](double d) { key->WriteBinary(name, LittleEndianBytes(d)); },
                   [&](TDateTime d) { key->WriteBinary(name, LittleEndianBytes(d.Value)); },
                   [&](TCurrency c) { key->WriteBinary(name, LittleEndianBytes(c.Amount10000)); },
                   [&](const auto&) { key->WriteText(name, SettingText(value)); },
               },
               value);
}

void TSettingsStore::SetVendorName(std::string_view vendor) {
    const std::lock_guard lock(FLock);
    if (!FOpen)
        OpenSettings();
    const bool nothingLeft = std::all_of(vendor.begin(), vendor.end(), IsBlankOrControl);
    FVendorWord = nothingLeft ? std::string(kDefaultVendor) : std::string(vendor);
}

void TSettingsStore::SetApplicationName(std::string_view application) {
    const std::lock_guard lock(FLock);
    if (!FOpen)
        OpenSettings();
    FApplicationWord = application;
}

void TSettingsStore::OpenSettings() {
    const std::lock_guard lock(FLock);
    FApplicationWord = kApplication;
    FHasAccessor = true;
    ApplyDateOverrides();
    FOpen = true;
}

void TSettingsStore::ApplyDateOverrides() {
    TFormatSettings formats = FormatSettings();
    // An override that cannot be read, or that is not a text, is ignored: start-up goes on with
    // the locale's formats.
    const auto readText = [&](std::string_view name, std::string fallback) -> std::optional<std::string> {
        try {
            TSettingValue value = ReadSetting({}, name, std::move(fallback));
            if (auto* text = std::get_if<std::string>(&value))
                return std::move(*text);
        } catch (const Exception&) {
        }
        return std::nullopt;
    };
    if (const std::optional<std::string> separator =
            readText("OrvDateSeparator", std::string(1, formats.DateSeparator))) {
        // The separator is one byte: a first character of several bytes (UTF-8) cannot be one.
        if (!separator->empty() && static_cast<unsigned char>(separator->front()) < 0x80)
            formats.DateSeparator = separator->front();
    }
    if (std::optional<std::string> shortFormat = readText("OrvShortDateFormat", formats.ShortDateFormat))
        formats.ShortDateFormat = std::move(*shortFormat);
    SetFormatSettings(formats);
}

void TSettingsStore::CloseSettings() {
    const std::lock_guard lock(FLock);
    FHasAccessor = false;
    FOpen = false;
}

bool TSettingsStore::IsOpen() const {
    const std::lock_guard lock(FLock);
    return FOpen;
}

std::string TSettingsStore::VendorWord() const {
    const std::lock_guard lock(FLock);
    return FVendorWord;
}

std::string TSettingsStore::ApplicationWord() const {
    const std::lock_guard lock(FLock);
    return FApplicationWord;
}

TSettingsModule::TSettingsModule(TPlatformServices& platform) {
    if (gModule != nullptr)
        throw std::logic_error("the settings store is already running");
    FHeapStatus = std::make_unique<THeapStatus>();
    FStore = std::make_unique<TSettingsStore>(platform);
    FStore->SetVendorName(kDefaultVendor);
    FStore->OpenSettings();
    gModule = this;
}

TSettingsModule::~TSettingsModule() {
    gModule = nullptr;
    FStore->CloseSettings();
    FStore.reset();
    FHeapStatus.reset();
}

TSettingValue ReadSetting(std::string_view section, std::string_view name,
                          const TSettingValue& defaultValue) {
    return gModule ? gModule->Store().ReadSetting(section, name, defaultValue) : defaultValue;
}

void WriteSetting(std::string_view section, std::string_view name, const TSettingValue& value) {
    if (gModule)
        gModule->Store().WriteSetting(section, name, value);
}

void SetVendorName(std::string_view vendor) {
    if (gModule)
        gModule->Store().SetVendorName(vendor);
}

void SetApplicationName(std::string_view application) {
    if (gModule)
        gModule->Store().SetApplicationName(application);
}

void OpenSettings() {
    if (gModule)
        gModule->Store().OpenSettings();
}

void CloseSettings() {
    if (gModule)
        gModule->Store().CloseSettings();
}

} // namespace tintwell
