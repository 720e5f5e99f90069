#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/exception.h"

namespace tintwell {

// A catalogue that cannot be used, or a text that cannot be translated.
class EGnuGettextError : public Exception {
public:
    using Exception::Exception;
};

// A GNU gettext binary message catalogue (.mo), held in memory. The file is read, not mapped: a
// catalogue truncated while mapped would kill the process, and catalogues are small.
//
// The constructor checks the whole file before any lookup: the magic number in either byte order,
// a major revision of 0 or 1, both string tables inside the file, and every string's offset,
// length and terminating NUL. Anything else raises EGnuGettextError with "This file is not a valid
// GNU gettext mo file: " and the file name. The charset is not checked here (see HasUtf8Charset).
class TMoCatalogue {
public:
    TMoCatalogue(std::vector<std::uint8_t> bytes, std::string_view fileName);

    // The translation of a message identifier, compared byte by byte with the catalogue's sorted
    // identifiers (binary search); nothing when it has none. Plural entries match on their singular
    // form and give the first translation. The view lives as long as the catalogue.
    std::optional<std::string_view> Find(std::string_view id) const;
    // The header entry (the translation of the empty identifier), or "" when there is none.
    std::string_view Header() const;
    std::uint32_t Count() const { return FCount; }

private:
    std::uint32_t Word(std::size_t offset) const;
    // The string of entry index in the table at tableOffset, up to its first NUL.
    std::string_view Entry(std::uint32_t tableOffset, std::uint32_t index) const;

    std::vector<std::uint8_t> FBytes;
    bool FSwapped = false;
    std::uint32_t FCount = 0;
    std::uint32_t FIds = 0;
    std::uint32_t FTexts = 0;
};

// Whether the header's "Content-Type" line names charset=UTF-8, compared without regard to case.
bool HasUtf8Charset(std::string_view header);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut sequences.
bool IsValidUtf8(std::string_view text);

} // namespace tintwell
