#include "stream/stream_analysis.h"

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
    TPlaneCounter counter(std::vector<TPixelPlane>(planes.begin(), planes.end()), options);
    if (SameTextAscii(extension, "jpg") || SameTextAscii(extension, "jpeg")) {
        const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName);
        // The command line assumes a display of more than 8 bits, as the window does on one.
        DecodeJpeg(bytes.data(), bytes.size(), TJpegDecodeOptions{false, 1}, counter);
    } else if (SameTextAscii(extension, "tif") || SameTextAscii(extension, "tiff")) {
        TTiffReader reader(fileName, kDefaultDpi, kDefaultDpi);
        reader.ReadPixels(counter);
    } else if (SameTextAscii(extension, "bmp")) {
        if (!ReadPlain24BitBmp(fileName, counter))
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    return counter.Finish();
}

} // namespace tintwell
