#include "codec/file_formats.h"

#include "core/file_name.h"

namespace tintwell {

std::optional<TDecoderKind> DecoderOfExtension(std::string_view extension) noexcept {
    for (const TFileFormat& format : kFileFormats)
        if (SameTextAscii(format.Extension, extension))
            return format.Decoder;
    return std::nullopt;
}

} // namespace tintwell
