#include "i18n/mo_catalogue.h"

#include <algorithm>
#include <cstring>

namespace tintwell {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;
// magic, revision, count, identifier table, translation table, hash size, hash table
constexpr std::size_t kHeaderSize = 28;

std::uint32_t ReadLittle(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::uint32_t ReadBig(const std::uint8_t* p) {
    return std::uint32_t(p[3]) | std::uint32_t(p[2]) << 8 | std::uint32_t(p[1]) << 16 |
           std::uint32_t(p[0]) << 24;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (UpperAscii(text[i]) != UpperAscii(prefix[i]))
            return false;
    return true;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
        if (StartsWithNoCase(text.substr(i), part))
            return true;
    return false;
}

} // namespace

TMoCatalogue::TMoCatalogue(std::vector<std::uint8_t> bytes, std::string_view fileName)
    : FBytes(std::move(bytes)) {
    const auto invalid = [&] {
        return EGnuGettextError("This file is not a valid GNU gettext mo file: " + std::string(fileName));
    };
    if (FBytes.size() < kHeaderSize)
        throw invalid();
    const std::uint32_t magic = ReadLittle(FBytes.data());
    if (magic != kMagic && magic != kSwappedMagic)
        throw invalid();
    FSwapped = magic == kSwappedMagic;
    if ((Word(4) >> 16) > 1)
        throw invalid();
    FCount = Word(8);
    FIds = Word(12);
    FTexts = Word(16);
    // 64-bit sums: a hostile count times eight must not wrap around into the file.
    const std::uint64_t size = FBytes.size();
    const std::uint64_t tableBytes = std::uint64_t(FCount) * 8;
    if (FIds + tableBytes > size || FTexts + tableBytes > size)
        throw invalid();
    for (std::uint32_t table : {FIds, FTexts})
        for (std::uint32_t i = 0; i < FCount; ++i) {
            const std::uint64_t length = Word(table + std::size_t(i) * 8);
            const std::uint64_t offset = Word(table + std::size_t(i) * 8 + 4);
            if (offset + length >= size || FBytes[offset + length] != 0)
                throw invalid();
        }
}

std::uint32_t TMoCatalogue::Word(std::size_t offset) const {
    const std::uint8_t* p = FBytes.data() + offset;
    // The magic number read little-endian comes out swapped exactly when the file is big-endian.
    return FSwapped ? ReadBig(p) : ReadLittle(p);
}

std::string_view TMoCatalogue::Entry(std::uint32_t tableOffset, std::uint32_t index) const {
    const std::size_t descriptor = tableOffset + std::size_t(index) * 8;
    const std::uint32_t length = Word(descriptor);
    const char* start = reinterpret_cast<const char*>(FBytes.data()) + Word(descriptor + 4);
    // Checked in the constructor: start[length] is a NUL inside the file. A plural entry holds
    // more than one string; its first is the one that counts.
    const void* nul = std::memchr(start, 0, length);
    return {start, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - start) : length};
}

std::optional<std::string_view> TMoCatalogue::Find(std::string_view id) const {
    std::uint32_t low = 0;
    std::uint32_t high = FCount;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        const std::string_view candidate = Entry(FIds, middle);
        // Byte order, as msgfmt sorts: compare as unsigned bytes.
        const int order = std::memcmp(id.data(), candidate.data(), std::min(id.size(), candidate.size()));
        const int sign =
            order != 0 ? order : (id.size() < candidate.size() ? -1 : id.size() > candidate.size());
        if (sign == 0)
            return Entry(FTexts, middle);
        if (sign < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return std::nullopt;
}

std::string_view TMoCatalogue::Header() const { return Find("").value_or(std::string_view()); }

bool HasUtf8Charset(std::string_view header) {
    while (!header.empty()) {
        const std::size_t end = header.find('\n');
        const std::string_view line = header.substr(0, end);
        if (StartsWithNoCase(line, "Content-Type:"))
            return ContainsNoCase(line, "CHARSET=UTF-8");
        if (end == std::string_view::npos)
            break;
        header.remove_prefix(end + 1);
    }
    return false;
}

bool IsValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int extra = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = code << 6 | (p[i] & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

} // namespace tintwell
