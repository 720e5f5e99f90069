#include "platform/user_store_text.h"

#include <QString>
#include <algorithm>
#include <charconv>

#include "core/conversions.h"

namespace tintwell {
namespace {

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

} // namespace

std::string JoinKeyPath(const std::vector<std::string>& key) {
    std::string joined;
    for (const std::string& component : key) {
        if (!joined.empty())
            joined += '\\';
        joined += component;
    }
    return joined;
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
    const std::string path = JoinKeyPath(key);
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

} // namespace tintwell
