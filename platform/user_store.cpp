#include "platform/user_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "core/conversions.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

constexpr qint64 kLargestStoreFile = 16 * 1024 * 1024;
constexpr std::chrono::milliseconds kLockWait{2000};

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
    QLockFile lock(path + ".lock");
    if (!lock.tryLock(kLockWait))
        throw EPlatformError(
            FormatText(ResString("The settings file %s is locked by another program"), {QuotedPath(FPath)}));

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
