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

bool IsControl(unsigned char c) noexcept { return c < 0x20 || c == 0x7f; }

bool IsBlank(char c) noexcept { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) noexcept {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Fold(std::string_view name) {
    const bool ascii =
        std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        std::string folded(name);
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return folded;
    }
    const QByteArray folded =
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toCaseFolded().toUtf8();
    return {folded.constData(), static_cast<std::size_t>(folded.size())};
}

std::string FoldKey(const std::vector<std::string>& key) {
    std::string folded;
    for (const std::string& component : key) {
        if (!folded.empty())
            folded += '\\';
        folded += Fold(component);
    }
    return folded;
}

std::string JoinKey(const std::vector<std::string>& key) {
    std::string joined;
    for (const std::string& component : key) {
        if (!joined.empty())
            joined += '\\';
        joined += component;
    }
    return joined;
}

std::string Escape(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size() + 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '"': escaped += "\\\""; break;
        case '\n': escaped += "\\n"; break;
        case '\r': escaped += "\\r"; break;
        case '\t': escaped += "\\t"; break;
        default:
            if (IsControl(byte)) {
                escaped += "\\x";
                escaped += kHex[byte >> 4];
                escaped += kHex[byte & 0xf];
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

// A quoted text at the start of rest; rest then starts after its closing quote.
std::optional<std::string> TakeQuoted(std::string_view& rest) {
    if (rest.empty() || rest.front() != '"')
        return std::nullopt;
    std::string text;
    std::size_t i = 1;
    while (i < rest.size()) {
        const char c = rest[i];
        if (c == '"') {
            rest.remove_prefix(i + 1);
            return text;
        }
        if (c != '\\') {
            text += c;
            ++i;
            continue;
        }
        if (i + 1 >= rest.size())
            return std::nullopt;
        const char escape = rest[i + 1];
        i += 2;
        switch (escape) {
        case '\\': text += '\\'; break;
        case '"': text += '"'; break;
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case 'x': {
            if (i + 1 >= rest.size())
                return std::nullopt;
            const int high = HexDigitValue(rest[i]);
            const int low = HexDigitValue(rest[i + 1]);
            if (high < 0 || low < 0)
                return std::nullopt;
            text += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::int32_t> ParseDword(std::string_view digits) {
    digits = TrimBlanks(digits);
    if (digits.empty() || digits.front() == '+')
        return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view bytes) {
    std::vector<std::uint8_t> data;
    bytes = TrimBlanks(bytes);
    if (bytes.empty())
        return data;
    while (true) {
        bytes = TrimBlanks(bytes);
        if (bytes.size() < 2)
            return std::nullopt;
        const int high = HexDigitValue(bytes[0]);
        const int low = HexDigitValue(bytes[1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        data.push_back(static_cast<std::uint8_t>(high * 16 + low));
        bytes = TrimBlanks(bytes.substr(2));
        if (bytes.empty())
            return data;
        if (bytes.front() != ',')
            return std::nullopt;
        bytes.remove_prefix(1);
    }
}

std::optional<TStoredValue> ParseData(std::string_view data) {
    data = TrimBlanks(data);
    if (!data.empty() && data.front() == '"') {
        std::optional<std::string> text = TakeQuoted(data);
        if (!text || !TrimBlanks(data).empty())
            return std::nullopt;
        return TStoredValue(std::move(*text));
    }
    if (data.starts_with("dword:")) {
        if (const std::optional<std::int32_t> value = ParseDword(data.substr(6)))
            return TStoredValue(*value);
        return std::nullopt;
    }
    if (data.starts_with("hex:")) {
        if (std::optional<std::vector<std::uint8_t>> bytes = ParseHex(data.substr(4)))
            return TStoredValue(std::move(*bytes));
        return std::nullopt;
    }
    return std::nullopt;
}

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
                FormatText(ResString("The key %s is open for reading only"), {JoinKey(FKey)}));
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

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    if (path.starts_with('\\'))
        path.remove_prefix(1);
    std::vector<std::string> components;
    if (path.empty())
        return components;
    while (true) {
        const std::size_t end = path.find('\\');
        const std::string_view component = path.substr(0, end);
        if (component.empty() || std::any_of(component.begin(), component.end(),
                                             [](char c) { return IsControl(static_cast<unsigned char>(c)); }))
            return std::nullopt;
        components.emplace_back(component);
        if (end == std::string_view::npos)
            return components;
        path.remove_prefix(end + 1);
    }
}

TUserStoreText::TUserStoreText(std::string_view text) {
    bool inValidKey = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        TLine line;
        line.Raw = std::string(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        std::string_view body = line.Raw;
        if (body.ends_with('\r'))
            body.remove_suffix(1);
        body = TrimBlanks(body);
        if (body.starts_with('[')) {
            const std::size_t close = body.rfind(']');
            std::optional<std::vector<std::string>> key;
            if (close != std::string_view::npos && close + 1 == body.size())
                key = SplitKeyPath(body.substr(1, close - 1));
            inValidKey = key.has_value();
            if (key) {
                line.IsKey = true;
                line.FoldedKey = FoldKey(*key);
            }
        } else if (inValidKey && body.starts_with('"')) {
            std::string_view rest = body;
            std::optional<std::string> name = TakeQuoted(rest);
            rest = TrimBlanks(rest);
            if (name && rest.starts_with('=')) {
                line.Value = ParseData(rest.substr(1));
                if (line.Value)
                    line.FoldedName = Fold(*name);
            }
        }
        FLines.push_back(std::move(line));
    }
}

bool TUserStoreText::KeyExists(const std::vector<std::string>& key) const {
    if (key.empty())
        return true;
    const std::string folded = FoldKey(key);
    return std::any_of(FLines.begin(), FLines.end(), [&](const TLine& line) {
        return line.IsKey && line.FoldedKey.starts_with(folded) &&
               (line.FoldedKey.size() == folded.size() || line.FoldedKey[folded.size()] == '\\');
    });
}

const TStoredValue* TUserStoreText::Find(const std::vector<std::string>& key, std::string_view name) const {
    const std::string foldedKey = FoldKey(key);
    const std::string foldedName = Fold(name);
    const TStoredValue* found = nullptr;
    bool inKey = false;
    for (const TLine& line : FLines) {
        if (line.IsKey)
            inKey = line.FoldedKey == foldedKey;
        else if (inKey && line.Value && line.FoldedName == foldedName)
            found = &*line.Value;
    }
    return found;
}

void TUserStoreText::Set(const std::vector<std::string>& key, std::string_view name, TStoredValue value) {
    const std::string foldedKey = FoldKey(key);
    const std::string foldedName = Fold(name);
    std::optional<std::size_t> lastValue;
    std::optional<std::size_t> blockEnd; // the last key or value line of the key's last block
    bool inKey = false;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        const TLine& line = FLines[i];
        if (line.IsKey) {
            // A key line of another name ends the block; one of the same name starts it again.
            inKey = line.FoldedKey == foldedKey;
            if (inKey)
                blockEnd = i;
        } else if (inKey && line.Value) {
            blockEnd = i;
            if (line.FoldedName == foldedName)
                lastValue = i;
        }
    }
    TLine line;
    line.Raw = FormatValueLine(name, value);
    line.FoldedName = foldedName;
    line.Value = std::move(value);
    if (lastValue) {
        FLines[*lastValue] = std::move(line);
        return;
    }
    if (blockEnd) {
        FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(*blockEnd + 1), std::move(line));
        return;
    }
    if (!FLines.empty() && !TrimBlanks(FLines.back().Raw).empty())
        FLines.push_back(TLine{});
    TLine keyLine;
    const std::string path = JoinKey(key);
    keyLine.Raw.reserve(path.size() + 2);
    keyLine.Raw.push_back('[');
    keyLine.Raw.append(path);
    keyLine.Raw.push_back(']');
    keyLine.IsKey = true;
    keyLine.FoldedKey = foldedKey;
    FLines.push_back(std::move(keyLine));
    FLines.push_back(std::move(line));
}

std::string TUserStoreText::Text() const {
    std::string text;
    for (const TLine& line : FLines) {
        text += line.Raw;
        text += '\n';
    }
    return text;
}

std::string FormatValueLine(std::string_view name, const TStoredValue& value) {
    std::string line = "\"";
    line += Escape(name);
    line += "\"=";
    if (const auto* text = std::get_if<std::string>(&value)) {
        line += '"';
        line += Escape(*text);
        line += '"';
    } else if (const auto* integer = std::get_if<std::int32_t>(&value)) {
        line += "dword:";
        line += std::to_string(*integer);
    } else {
        static constexpr char kHex[] = "0123456789abcdef";
        line += "hex:";
        bool first = true;
        for (const std::uint8_t byte : std::get<std::vector<std::uint8_t>>(value)) {
            if (!first)
                line += ',';
            first = false;
            line += kHex[byte >> 4];
            line += kHex[byte & 0xf];
        }
    }
    return line;
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
