#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/resource_text.h"

namespace tintwell {

// The decoders that read picture files. The window's graphic classes and the streaming road both
// choose by it, so an extension cannot mean one thing to one road and another to the other.
enum class TDecoderKind {
    Metafile, // WMF and EMF, told apart by their content
    Icon,
    Bitmap, // an uncompressed 24-bit BMP by bmp_decode, any other BMP by Qt's reader
    Tiff,
    Jpeg,
};

struct TFileFormat {
    std::string_view Extension; // lower case, no dot; each extension once
    TDecoderKind Decoder;
    std::string_view Description; // the format's name in the open dialog, in English
    bool Translated;              // Description is a resource text; else it reads the same in every language
};

// Every picture file the program reads, in the order the window registers them (its open dialog
// lists them the other way round).
inline constexpr std::array<TFileFormat, 8> kFileFormats = {{
    {"wmf", TDecoderKind::Metafile, N_("Metafiles"), true},
    {"emf", TDecoderKind::Metafile, N_("Enhanced Metafiles"), true},
    {"ico", TDecoderKind::Icon, N_("Icons"), true},
    {"bmp", TDecoderKind::Bitmap, N_("Bitmaps"), true},
    // Not a resource text: the name reads the same in every language.
    {"tif", TDecoderKind::Tiff, "TIFF file", false},
    {"tiff", TDecoderKind::Tiff, "TIFF file", false},
    {"jpeg", TDecoderKind::Jpeg, N_("JPEG Image File"), true},
    {"jpg", TDecoderKind::Jpeg, N_("JPEG Image File"), true},
}};

// The decoder of a file with this extension (no dot; A-Z and a-z alike, other bytes exactly), or
// none when the program does not read such files.
std::optional<TDecoderKind> DecoderOfExtension(std::string_view extension) noexcept;

} // namespace tintwell
