#include "support/fake_platform_services.h"

#include <QWidget>
#include <fstream>
#include <iterator>

namespace tintwell::test {
namespace {

class TFakeRegistryKey : public TRegistryKey {
public:
    TFakeRegistryKey(TFakePlatformServices& platform, std::string path,
                     TFakePlatformServices::TKeyValues& values)
        : FPlatform(platform), FPath(std::move(path)), FValues(values) {}

    bool ValueExists(std::string_view name) const override { return FValues.find(name) != FValues.end(); }
    TRegistryValueType ValueType(std::string_view name) const override {
        const auto it = FValues.find(name);
        if (it == FValues.end())
            return TRegistryValueType::None;
        static constexpr TRegistryValueType kTypes[] = {TRegistryValueType::Text, TRegistryValueType::Integer,
                                                        TRegistryValueType::Binary};
        return kTypes[it->second.index()];
    }
    std::string ReadText(std::string_view name) const override { return Get<std::string>(name); }
    std::int32_t ReadInteger(std::string_view name) const override { return Get<std::int32_t>(name); }
    std::vector<std::uint8_t> ReadBinary(std::string_view name) const override {
        return Get<std::vector<std::uint8_t>>(name);
    }
    void WriteText(std::string_view name, std::string_view value) override {
        Write(name, std::string(value));
    }
    void WriteInteger(std::string_view name, std::int32_t value) override { Write(name, value); }
    void WriteBinary(std::string_view name, const std::vector<std::uint8_t>& value) override {
        Write(name, value);
    }

private:
    template <typename T> T Get(std::string_view name) const {
        const auto it = FValues.find(name);
        if (it == FValues.end() || !std::holds_alternative<T>(it->second))
            throw EPlatformError("Invalid data type for '" + std::string(name) + "'");
        return std::get<T>(it->second);
    }
    void Write(std::string_view name, TFakePlatformServices::TValue value) {
        if (FPlatform.DuringRegistryWrite)
            FPlatform.DuringRegistryWrite(name);
        FPlatform.RegistryWrites.push_back(FPath + "|" + std::string(name));
        FValues.insert_or_assign(std::string(name), std::move(value));
    }

    TFakePlatformServices& FPlatform;
    std::string FPath;
    TFakePlatformServices::TKeyValues& FValues;
};

class TFakeMappedFile : public TMappedFile {
public:
    explicit TFakeMappedFile(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}
    const std::uint8_t* Data() const override { return FBytes.data(); }
    std::size_t Size() const override { return FBytes.size(); }

private:
    std::vector<std::uint8_t> FBytes;
};

} // namespace

QImage TFakePlatformServices::RenderWidget(QWidget& widget) { return widget.grab().toImage(); }

void TFakePlatformServices::SetFocus(QWidget& control) { control.setFocus(Qt::OtherFocusReason); }

std::unique_ptr<TRegistryKey> TFakePlatformServices::OpenRegistryKey(std::string_view path,
                                                                     TRegistryAccess access) {
    ++RegistryOpens;
    if (access == TRegistryAccess::Read && RegistryUnreadable)
        throw EPlatformError("Cannot read the settings file");
    if (access == TRegistryAccess::WriteCreate && RegistryUncreatable)
        return nullptr;
    auto it = Registry.find(path);
    if (it == Registry.end()) {
        if (access == TRegistryAccess::Read)
            return nullptr;
        it = Registry.emplace(std::string(path), TKeyValues{}).first;
    }
    return std::make_unique<TFakeRegistryKey>(*this, std::string(path), it->second);
}

std::unique_ptr<TMappedFile> TFakePlatformServices::MapFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw EPlatformError("Cannot open file \"" + fileName + "\"");
    return std::make_unique<TFakeMappedFile>(
        std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

} // namespace tintwell::test
