#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_services.h"
#include "platform/user_store_text.h"

namespace tintwell {

// The format of the file and its parser are in user_store_text.h.

TRegistryValueType TypeOf(const TStoredValue& value) noexcept;

// The store's file: "$XDG_CONFIG_HOME/tintwell/settings.conf", else "~/.config/tintwell/settings.conf".
std::string DefaultUserStorePath();

// The file itself. Every read reads it afresh; every change reads, modifies and replaces it whole
// (a temporary file renamed over it) while holding an flock() on "<file>.lock", which names its
// holder. A holder that dies loses the lock at once; a living one is waited for while it makes
// progress, and for two seconds when it makes none, then the change fails naming it. Errors are
// EPlatformError.
class TUserStore {
public:
    explicit TUserStore(std::string path);

    const std::string& Path() const noexcept { return FPath; }

    // The file's text now; empty when there is no file. Raises when it cannot be read or is
    // larger than 16 MiB.
    TUserStoreText Read() const;
    void Modify(const std::function<void(TUserStoreText&)>& change);

    // Runs after the new text is written and before it replaces the file: the moment a crash
    // must not spoil anything. Tests only.
    void SetBeforeReplaceHook(std::function<void()> hook) { FBeforeReplace = std::move(hook); }

    std::unique_ptr<TRegistryKey> OpenKey(std::string_view path, TRegistryAccess access);

private:
    std::string FPath;
    std::function<void()> FBeforeReplace;
};

} // namespace tintwell
