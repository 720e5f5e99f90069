#pragma once

// The glue between libtiff and our files: libtiff reads through a client stream over an open
// file, never through a path of its own, with its messages silenced and its allocations bounded.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include <tiffio.h>

namespace tintwell {

// libtiff's own allocations (strip and tile buffers, tag arrays) stop here, so that a few header
// bytes cannot make it reserve gigabytes; the raster itself is bounded by CheckImageSize.
inline constexpr tmsize_t kMaxLibtiffAllocation = tmsize_t{256} * 1024 * 1024;

// An open file as libtiff's client stream sees it. The file stays the caller's, who closes it
// after the handle.
struct TClientStream {
    std::FILE* Handle;
    std::int64_t Size;
};

struct TTiffCloser {
    void operator()(TIFF* tif) const noexcept { TIFFClose(tif); }
};
using TTiffHandle = std::unique_ptr<TIFF, TTiffCloser>;

// Opens the stream for reading (mode "rm": no memory mapping) with per-handle handlers that
// swallow libtiff's errors and warnings, which would otherwise reach stderr. libtiff has read the
// first directory when this succeeds; null when it fails.
TTiffHandle OpenClient(TClientStream& stream);

// A tag of the current directory, or nothing when the file does not set it and libtiff has no
// default for it.
template <typename T> std::optional<T> Tag(TIFF* tif, ttag_t tag) {
    T value{};
    if (TIFFGetField(tif, tag, &value) == 0)
        return std::nullopt;
    return value;
}

} // namespace tintwell
