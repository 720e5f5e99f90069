#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/platform_services.h"
#include "settings/heap_status.h"
#include "settings/setting_value.h"

namespace tintwell {

// Single named values under one per-user key, "\Software\<vendor>\<application>[\<section>]",
// converted between the platform's registry data and TSettingValue. Until OpenSettings has run,
// reads return their default and writes do nothing.
//
// Written as registry data: small integer, integer and boolean (1 or 0) as a 32-bit integer;
// single, double and date-time as 8 bytes of a little-endian IEEE double; currency as 8 bytes of
// its little-endian amount times 10 000; everything else as its text (SettingText).
// Read back: a text as text, a 32-bit integer as integer, 8 bytes of binary as a date-time.
class TSettingsStore {
public:
    explicit TSettingsStore(TPlatformServices& platform);

    // The stored value, or defaultValue when the store is closed, the key or the value is missing,
    // or the key cannot be read. Binary data of another length than 8 raises EPlatformError.
    TSettingValue ReadSetting(std::string_view section, std::string_view name,
                              const TSettingValue& defaultValue);
    // Stores the value, making missing keys. Does nothing when the store is closed or the key can
    // be neither opened nor made; a failure while the value is written raises EPlatformError.
    void WriteSetting(std::string_view section, std::string_view name, const TSettingValue& value);

    // Both open the store first when it is closed. The vendor word is taken as given, blanks
    // included, unless nothing is left of it without blanks and control characters at its ends:
    // then it is "zorVIK".
    void SetVendorName(std::string_view vendor);
    void SetApplicationName(std::string_view application);

    // (Re)opens: the application word becomes "Quelm", then the date overrides are read and applied
    // to the process's format settings (they reach the store only when it was open already).
    void OpenSettings();
    void CloseSettings();

    bool IsOpen() const;
    std::string VendorWord() const;
    std::string ApplicationWord() const;
    // "\Software\<vendor>\<application>", then "\<section>" when the section is not empty.
    std::string KeyPath(std::string_view section) const;

private:
    void ApplyDateOverrides();

    TPlatformServices& FPlatform;
    mutable std::recursive_mutex FLock;
    std::string FVendorWord;
    std::string FApplicationWord;
    bool FHasAccessor = false;
    bool FOpen = false;
};

// The store of the running program, with the heap meter, from start-up to shutdown. Making it
// runs the store's start-up (the vendor word, which opens the store once without effect, then
// the opening that counts); destroying it closes the store. One at a time.
class TSettingsModule {
public:
    explicit TSettingsModule(TPlatformServices& platform);
    ~TSettingsModule();
    TSettingsModule(const TSettingsModule&) = delete;
    TSettingsModule& operator=(const TSettingsModule&) = delete;

    TSettingsStore& Store() noexcept { return *FStore; }
    THeapStatus& HeapStatus() noexcept { return *FHeapStatus; }

private:
    std::unique_ptr<THeapStatus> FHeapStatus;
    std::unique_ptr<TSettingsStore> FStore;
};

// The running program's store: these act on the TSettingsModule that lives now. Without one, reads
// return their default and writes, setters and opening do nothing.
TSettingValue ReadSetting(std::string_view section, std::string_view name, const TSettingValue& defaultValue);
void WriteSetting(std::string_view section, std::string_view name, const TSettingValue& value);
void SetVendorName(std::string_view vendor);
void SetApplicationName(std::string_view application);
void OpenSettings();
void CloseSettings();

} // namespace tintwell
