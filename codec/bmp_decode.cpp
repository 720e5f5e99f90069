#include "codec/bmp_decode.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include <sys/uio.h>

#include "codec/errors.h"
#include "codec/file_io.h"
#include "codec/limits.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

[[noreturn]] void RaiseInvalidBitmap() { throw EInvalidGraphic(ResString("Bitmap image is not valid")); }

std::uint32_t ReadU32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}
std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// Fills the buffers from offset on, however many calls it takes; false on an error or at the end
// of the file.
bool ReadFully(int fd, std::vector<iovec>& parts, off_t offset) {
    std::size_t first = 0;
    while (first < parts.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(parts.size() - first, IOV_MAX));
        const ssize_t read = preadv(fd, parts.data() + first, count, offset);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            return false;
        offset += read;
        auto left = static_cast<std::size_t>(read);
        while (first < parts.size() && left >= parts[first].iov_len)
            left -= parts[first++].iov_len;
        if (left > 0) {
            parts[first].iov_base = static_cast<std::uint8_t*>(parts[first].iov_base) + left;
            parts[first].iov_len -= left;
        }
    }
    return true;
}

} // namespace

bool ReadPlain24BitBmp(const std::string& fileName, TRasterSink& sink) {
    constexpr std::size_t kFileHeader = 14;
    constexpr std::size_t kInfoHeader = 40;
    TFileStream stream(fileName);
    std::uint8_t header[kFileHeader + kInfoHeader];
    if (std::fread(header, 1, sizeof header, stream.Handle()) != sizeof header)
        return false;
    if (header[0] != 'B' || header[1] != 'M')
        return false;
    const std::uint32_t pixelOffset = ReadU32(header + 10);
    const std::uint32_t infoSize = ReadU32(header + 14);
    const auto width = static_cast<std::int32_t>(ReadU32(header + 18));
    const auto height = static_cast<std::int32_t>(ReadU32(header + 22));
    const std::uint16_t planes = ReadU16(header + 26);
    const std::uint16_t bitCount = ReadU16(header + 28);
    const std::uint32_t compression = ReadU32(header + 30);
    constexpr std::uint32_t kBiRgb = 0;
    if (infoSize < kInfoHeader || planes != 1 || bitCount != 24 || compression != kBiRgb || width <= 0 ||
        height == 0 || height == std::numeric_limits<std::int32_t>::min())
        return false;
    const bool topDown = height < 0;
    const std::int64_t rows = topDown ? -std::int64_t{height} : height;
    CheckImageSize(width, rows);
    const std::int64_t stride = (std::int64_t{width} * 3 + 3) / 4 * 4;
    if (pixelOffset < kFileHeader + infoSize || pixelOffset + stride * rows > stream.Size())
        RaiseInvalidBitmap();

    TRasterLayout layout;
    layout.Width = static_cast<std::uint32_t>(width);
    layout.Height = static_cast<std::uint32_t>(rows);
    layout.WholeRows = true;
    const std::uint32_t bandRows = sink.Begin(layout);
    if (bandRows == 0)
        throw EInvalidGraphic(ResString("Not enough memory for the bitmap"));
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t padding = static_cast<std::size_t>(stride) - rowBytes;
    std::uint8_t pad[3];
    std::vector<iovec> parts;
    const int fd = fileno(stream.Handle());
    const auto height32 = static_cast<std::uint32_t>(rows);
    for (std::uint32_t done = 0; done < height32;) {
        // File rows done .. done + count - 1; a bottom-up file holds them bottom row first.
        const std::uint32_t count = std::min(bandRows, height32 - done);
        const std::uint32_t first = topDown ? done : height32 - done - count;
        const TBandView band = sink.Band(first, count);
        // A row whose band has room for its padding takes it along: one part per row.
        const bool padInRow = band.Stride >= stride;
        parts.clear();
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint8_t* row = band.Row(topDown ? i : count - 1 - i);
            parts.push_back(iovec{row, padInRow ? static_cast<std::size_t>(stride) : rowBytes});
            if (!padInRow && padding > 0)
                parts.push_back(iovec{pad, padding});
        }
        if (!ReadFully(fd, parts, static_cast<off_t>(pixelOffset + stride * std::int64_t{done})))
            RaiseInvalidBitmap();
        sink.Commit(count);
        done += count;
    }
    return true;
}

} // namespace tintwell
