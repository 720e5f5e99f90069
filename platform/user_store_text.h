#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tintwell {

// The per-user store: one text file that stands in for a registry. The format (the README has it
// for users):
//
//   ; a comment                       lines that start with ";" or "#", and blank lines
//   [Software\zorVIK\Quelm]           a key: its path from the root, components joined by "\"
//   "OrvDateSeparator"="-"            a text value
//   "Top"=dword:-300                  a signed 32-bit integer, in decimal
//   "Blob"=hex:00,00,00,00,00,00,f8,3f  binary data, two hex digits a byte
//
// Value names and texts are quoted and escaped: \\ \" \n \r \t and \xHH (exactly two hex digits);
// every other byte stands as it is, so UTF-8 stays readable. Key and value names compare without
// regard to case (Unicode case folding), as a registry's do. A value line before any key, a line
// in another form and a value line with a bad escape are not understood: they are kept verbatim
// and take no part in lookups. Where a key holds a name twice, the last line counts.

using TStoredValue = std::variant<std::string, std::int32_t, std::vector<std::uint8_t>>;

// The components joined by "\", as a [key] line names them.
std::string JoinKeyPath(const std::vector<std::string>& key);

// A key path as components, without the leading "\" that names the root; nothing when a component
// is empty or holds a control character (such a key can neither exist nor be made).
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path);

// The store file's text, parsed, with its lines kept for writing back.
class TUserStoreText {
public:
    TUserStoreText() = default;
    explicit TUserStoreText(std::string_view text);

    // Whether the key, or any key below it, has a [key] line. The root always exists.
    bool KeyExists(const std::vector<std::string>& key) const;
    // The value's last line in the key, or null.
    const TStoredValue* Find(const std::vector<std::string>& key, std::string_view name) const;
    // Replaces the value's last line in place, or adds a line at the end of the key's last block,
    // or adds the key at the end of the file.
    void Set(const std::vector<std::string>& key, std::string_view name, TStoredValue value);
    // The whole file, every line ended by "\n".
    std::string Text() const;

private:
    struct TLine {
        std::string Raw;        // as read, or as written by Set
        std::string FoldedKey;  // a [key] line: its components, folded, joined by "\"
        std::string FoldedName; // a value line: its name, folded
        std::optional<TStoredValue> Value;
        bool IsKey = false;
    };
    std::vector<TLine> FLines;
};

// How a line of the file writes a value and its name.
std::string FormatValueLine(std::string_view name, const TStoredValue& value);

} // namespace tintwell
