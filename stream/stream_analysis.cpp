#include "stream/stream_analysis.h"

#include <algorithm>
#include <cctype>

#include "codec/bmp_decode.h"
#include "codec/file_io.h"
#include "codec/jpeg_decode.h"
#include "codec/tiff_decode.h"

namespace tintwell {
namespace {

// The resolution a raster gets when its file names none; it does not touch the counts.
constexpr int kDefaultDpi = 96;

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::optional<std::vector<THistogram>> StreamHistograms(const std::string& fileName,
                                                        std::span<const TPixelPlane> planes,
                                                        const TCountingOptions& options) {
    const std::string extension = ExtractFileExt(fileName);
    const bool bmp = SameTextAscii(extension, "bmp");
    // A decoder keeps its core busy, and one worker counts faster than JPEG and TIFF decode: more
    // would only take turns with the decoder. Reading a BMP costs next to nothing, so every worker
    // there counts.
    TCountingOptions counting = options;
    if (!bmp)
        counting.Workers = std::min(counting.Workers, 1u);
    TPlaneCounter counter(std::vector<TPixelPlane>(planes.begin(), planes.end()), counting);
    if (SameTextAscii(extension, "jpg") || SameTextAscii(extension, "jpeg")) {
        const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName);
        // The command line assumes a display of more than 8 bits, as the window does on one.
        DecodeJpeg(bytes.data(), bytes.size(), TJpegDecodeOptions{false, 1}, counter);
    } else if (SameTextAscii(extension, "tif") || SameTextAscii(extension, "tiff")) {
        TTiffReader reader(fileName, kDefaultDpi, kDefaultDpi);
        reader.ReadPixels(counter);
    } else if (bmp) {
        if (!ReadPlain24BitBmp(fileName, counter))
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    return counter.Finish();
}

} // namespace tintwell
