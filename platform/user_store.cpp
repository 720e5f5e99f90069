#include "platform/user_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "core/conversions.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

constexpr qint64 kLargestStoreFile = 16 * 1024 * 1024;
// How long a waiter gives a holder that shows no progress, and how often it looks again.
constexpr std::chrono::milliseconds kLockWait{2000};
constexpr std::chrono::milliseconds kLockPoll{2};

// What a new file starts with, so that whoever opens it in an editor knows what they look at.
constexpr std::string_view kNewFileComment =
    "; Tintwell settings. [key] lines name a key from the root; below a key, \"name\"=\"text\",\n"
    "; \"name\"=dword:<signed decimal> or \"name\"=hex:<bytes>. Names compare without regard to case.\n"
    "; Lines the program does not understand are kept as they are.\n";

std::string QuotedPath(const std::string& path) {
    std::string quoted = "\"";
    quoted += path;
    quoted += '"';
    return quoted;
}

std::string ToStd(const QString& text) { return text.toStdString(); }

// The lock beside the settings file, "<file>.lock": an exclusive flock() on it. The kernel drops it
// when its holder dies, so a crashed writer's lock never needs guessing at. The holder writes its
// process number, name and host into the file, in the lines Qt's QLockFile uses (whose own flock
// also excludes ours), and removes the file as it lets go, while still holding it.
//
// A waiter looks every few milliseconds rather than at growing intervals: a holder that writes in
// a loop lets go for a moment only. It gives up only when the holder shows no progress for
// kLockWait (no new lock file, no new settings file): a hung or stopped program.
class TStoreLock {
public:
    explicit TStoreLock(const std::string& filePath) : FFilePath(filePath), FPath(filePath + ".lock") {
        std::array<std::int64_t, 5> seen = Progress();
        auto deadline = std::chrono::steady_clock::now() + kLockWait;
        while (true) {
            if (FFd < 0) {
                FFd = ::open(FPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
                if (FFd < 0)
                    FailToLock(errno);
            }
            if (::flock(FFd, LOCK_EX | LOCK_NB) == 0) {
                if (IsAtPath()) {
                    WriteOwner();
                    return;
                }
                // The holder we waited for removed its file as it let go: the lock is the file there now.
                Close();
                continue;
            }
            if (errno != EWOULDBLOCK && errno != EINTR)
                FailToLock(errno);
            const std::array<std::int64_t, 5> now = Progress();
            if (now != seen) {
                seen = now;
                deadline = std::chrono::steady_clock::now() + kLockWait;
            } else if (std::chrono::steady_clock::now() >= deadline) {
                FailHeld();
            }
            std::this_thread::sleep_for(kLockPoll);
        }
    }
    ~TStoreLock() {
        ::unlink(FPath.c_str());
        Close();
    }
    TStoreLock(const TStoreLock&) = delete;
    TStoreLock& operator=(const TStoreLock&) = delete;

private:
    void Close() noexcept {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

    bool IsAtPath() const {
        struct stat locked {};
        struct stat there {};
        return ::fstat(FFd, &locked) == 0 && ::stat(FPath.c_str(), &there) == 0 &&
               locked.st_dev == there.st_dev && locked.st_ino == there.st_ino;
    }

    // What a waiter can see of a holder's work: each write makes a new lock file and a new settings file.
    std::array<std::int64_t, 5> Progress() const {
        std::array<std::int64_t, 5> seen{};
        struct stat info {};
        if (::stat(FPath.c_str(), &info) == 0) {
            seen[0] = static_cast<std::int64_t>(info.st_ino);
            seen[1] = info.st_ctim.tv_sec * 1'000'000'000LL + info.st_ctim.tv_nsec;
        }
        if (::stat(FFilePath.c_str(), &info) == 0) {
            seen[2] = static_cast<std::int64_t>(info.st_ino);
            seen[3] = info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec;
            seen[4] = info.st_size;
        }
        return seen;
    }

    void WriteOwner() const {
        std::string name;
        char exe[PATH_MAX];
        const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe);
        if (length > 0) {
            name.assign(exe, static_cast<std::size_t>(length));
            name.erase(0, name.rfind('/') + 1);
        } else {
            name = program_invocation_short_name;
        }
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        const std::string owner = std::to_string(::getpid()) + '\n' + name + '\n' + host + '\n';
        // Only a message reads it: a failure to write it loses nothing.
        if (::ftruncate(FFd, 0) == 0) {
            [[maybe_unused]] const ssize_t written = ::pwrite(FFd, owner.data(), owner.size(), 0);
        }
    }

    [[noreturn]] void FailToLock(int error) {
        Close();
        throw EPlatformError(FormatText(ResString("Cannot lock the settings file %s: %s"),
                                        {QuotedPath(FFilePath), std::system_category().message(error)}));
    }

    // Names the holder when its file says who it is (a process number and a name).
    [[noreturn]] void FailHeld() {
        char bytes[512];
        const ssize_t length = ::pread(FFd, bytes, sizeof bytes, 0);
        Close();
        const std::string_view text(bytes, length > 0 ? static_cast<std::size_t>(length) : 0);
        // The first line is the process number, the second its name.
        const std::size_t pidEnd = text.find('\n');
        const std::string_view pid =
            pidEnd == std::string_view::npos ? std::string_view() : text.substr(0, pidEnd);
        const std::string_view rest =
            pidEnd == std::string_view::npos ? std::string_view() : text.substr(pidEnd + 1);
        std::string name;
        for (const char c : rest.substr(0, std::min<std::size_t>(rest.find('\n'), 64)))
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
                name += c;
        const bool known = !pid.empty() && pid.size() <= 10 && !name.empty() &&
                           std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!known)
            throw EPlatformError(FormatText(ResString("The settings file %s is locked by another program"),
                                            {QuotedPath(FFilePath)}));
        throw EPlatformError(FormatText(ResString("The settings file %s is locked by %s (process %s)"),
                                        {QuotedPath(FFilePath), name, std::string(pid)}));
    }

    std::string FFilePath;
    std::string FPath;
    int FFd = -1;
};

// One open key. A key opened for reading sees the file as it was when opened; one opened for
// writing reads afresh at every call and changes the file at every write.
class TUserStoreKey : public TRegistryKey {
public:
    // A key for writing.
    TUserStoreKey(TUserStore& store, std::vector<std::string> key) : FStore(store), FKey(std::move(key)) {}
    // A key for reading, over the file as it is now.
    TUserStoreKey(TUserStore& store, std::vector<std::string> key, TUserStoreText snapshot)
        : FStore(store), FKey(std::move(key)), FReadOnly(true), FSnapshot(std::move(snapshot)) {}

    bool ValueExists(std::string_view name) const override { return Lookup(name).has_value(); }
    TRegistryValueType ValueType(std::string_view name) const override {
        const std::optional<TStoredValue> value = Lookup(name);
        return value ? TypeOf(*value) : TRegistryValueType::None;
    }
    std::string ReadText(std::string_view name) const override { return ReadAs<std::string>(name); }
    std::int32_t ReadInteger(std::string_view name) const override { return ReadAs<std::int32_t>(name); }
    std::vector<std::uint8_t> ReadBinary(std::string_view name) const override {
        return ReadAs<std::vector<std::uint8_t>>(name);
    }
    void WriteText(std::string_view name, std::string_view value) override {
        Write(name, TStoredValue(std::string(value)));
    }
    void WriteInteger(std::string_view name, std::int32_t value) override {
        Write(name, TStoredValue(value));
    }
    void WriteBinary(std::string_view name, const std::vector<std::uint8_t>& value) override {
        Write(name, TStoredValue(value));
    }

private:
    std::optional<TStoredValue> Lookup(std::string_view name) const {
        const TUserStoreText fresh = FReadOnly ? TUserStoreText() : FStore.Read();
        const TStoredValue* value = (FReadOnly ? FSnapshot : fresh).Find(FKey, name);
        return value ? std::optional<TStoredValue>(*value) : std::nullopt;
    }

    template <class T> T ReadAs(std::string_view name) const {
        std::optional<TStoredValue> value = Lookup(name);
        if (!value || !std::holds_alternative<T>(*value))
            throw EPlatformError(FormatText(ResString("Invalid data type for '%s'"), {name}));
        return std::get<T>(std::move(*value));
    }

    void Write(std::string_view name, TStoredValue value) {
        if (FReadOnly)
            throw EPlatformError(
                FormatText(ResString("The key %s is open for reading only"), {JoinKeyPath(FKey)}));
        FStore.Modify([&](TUserStoreText& text) { text.Set(FKey, name, std::move(value)); });
    }

    TUserStore& FStore;
    std::vector<std::string> FKey;
    bool FReadOnly = false;
    TUserStoreText FSnapshot;
};

} // namespace

TRegistryValueType TypeOf(const TStoredValue& value) noexcept {
    switch (value.index()) {
    case 0: return TRegistryValueType::Text;
    case 1: return TRegistryValueType::Integer;
    default: return TRegistryValueType::Binary;
    }
}

std::string DefaultUserStorePath() {
    // XDG_CONFIG_HOME must be an absolute path (the XDG base directory rules); anything else is ignored.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    QString folder = configHome != nullptr && configHome[0] == '/' ? QString::fromLocal8Bit(configHome)
                                                                   : QDir::homePath() + "/.config";
    return ToStd(QDir::cleanPath(folder + "/tintwell/settings.conf"));
}

TUserStore::TUserStore(std::string path) : FPath(std::move(path)) {}

TUserStoreText TUserStore::Read() const {
    const QString path = QString::fromStdString(FPath);
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw EPlatformError(FormatText(ResString("Cannot read the settings file %s: %s"),
                                        {QuotedPath(FPath), ToStd(file.errorString())}));
    if (file.size() > kLargestStoreFile)
        throw EPlatformError(
            FormatText(ResString("The settings file %s is larger than 16 MiB"), {QuotedPath(FPath)}));
    const QByteArray bytes = file.read(kLargestStoreFile + 1);
    if (bytes.size() > kLargestStoreFile)
        throw EPlatformError(
            FormatText(ResString("The settings file %s is larger than 16 MiB"), {QuotedPath(FPath)}));
    if (file.error() != QFileDevice::NoError)
        throw EPlatformError(FormatText(ResString("Cannot read the settings file %s: %s"),
                                        {QuotedPath(FPath), ToStd(file.errorString())}));
    return TUserStoreText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TUserStore::Modify(const std::function<void(TUserStoreText&)>& change) {
    const QString path = QString::fromStdString(FPath);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw EPlatformError(FormatText(ResString("Cannot make the folder %s"), {QuotedPath(ToStd(folder))}));
    const TStoreLock lock(FPath);

    const bool isNew = !QFile::exists(path);
    TUserStoreText text = isNew ? TUserStoreText(kNewFileComment) : Read();
    change(text);
    const std::string bytes = text.Text();

    QSaveFile file(path);
    const auto fail = [&] {
        throw EPlatformError(FormatText(ResString("Cannot write the settings file %s: %s"),
                                        {QuotedPath(FPath), ToStd(file.errorString())}));
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        fail();
    if (FBeforeReplace)
        FBeforeReplace();
    if (!file.commit())
        fail();
}

std::unique_ptr<TRegistryKey> TUserStore::OpenKey(std::string_view path, TRegistryAccess access) {
    std::optional<std::vector<std::string>> key = SplitKeyPath(path);
    if (!key)
        return nullptr;
    if (access == TRegistryAccess::WriteCreate)
        return std::make_unique<TUserStoreKey>(*this, std::move(*key));
    TUserStoreText snapshot = Read();
    if (!snapshot.KeyExists(*key))
        return nullptr;
    return std::make_unique<TUserStoreKey>(*this, std::move(*key), std::move(snapshot));
}

} // namespace tintwell
