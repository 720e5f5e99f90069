#include "stream/stream_analysis.h"

#include <algorithm>

#include "codec/bmp_decode.h"
#include "codec/file_formats.h"
#include "codec/jpeg_decode.h"
#include "codec/tiff_decode.h"
#include "core/file_name.h"

namespace tintwell {
namespace {

// The resolution a raster gets when its file names none; it does not touch the counts.
constexpr int kDefaultDpi = 96;

} // namespace

std::optional<std::vector<THistogram>> StreamHistograms(const std::string& fileName,
                                                        std::span<const TPixelPlane> planes,
                                                        const TCountingOptions& options) {
    const std::optional<TDecoderKind> decoder = DecoderOfExtension(ExtractFileExt(fileName));
    if (!decoder)
        return std::nullopt;
    const bool bmp = decoder == TDecoderKind::Bitmap;
    // A decoder keeps its core busy, and one worker counts faster than JPEG and TIFF decode: more
    // would only take turns with the decoder. Reading a BMP costs next to nothing, so every worker
    // there counts.
    TCountingOptions counting = options;
    if (!bmp)
        counting.Workers = std::min(counting.Workers, 1u);
    TPlaneCounter counter(std::vector<TPixelPlane>(planes.begin(), planes.end()), counting);
    switch (*decoder) {
    case TDecoderKind::Jpeg:
        // The command line assumes a display of more than 8 bits, as the window does on one.
        DecodeJpegFile(fileName, TJpegDecodeOptions{false, 1}, counter);
        break;
    case TDecoderKind::Tiff: {
        TTiffReader reader(fileName, kDefaultDpi, kDefaultDpi);
        reader.ReadPixels(counter);
        break;
    }
    case TDecoderKind::Bitmap:
        if (!ReadPlain24BitBmp(fileName, counter))
            return std::nullopt;
        break;
    // Only the window's own classes read these.
    case TDecoderKind::Metafile:
    case TDecoderKind::Icon: return std::nullopt;
    }
    return counter.Finish();
}

} // namespace tintwell
