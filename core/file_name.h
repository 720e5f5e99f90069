#pragma once

#include <string>
#include <string_view>

namespace tintwell {

// The extension of a file name: the text after its last dot, as written ("" without one). A dot
// inside a folder name does not count.
std::string ExtractFileExt(const std::string& fileName);

// Equal texts when A-Z and a-z are taken as one; every other byte, UTF-8 included, must match
// exactly. Extensions are compared so, whatever the locale.
bool SameTextAscii(std::string_view a, std::string_view b) noexcept;

// The text with A-Z turned to a-z and every other byte kept.
std::string LowerCaseAscii(std::string_view text);

} // namespace tintwell
