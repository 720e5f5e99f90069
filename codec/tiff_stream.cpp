#include "codec/tiff_stream.h"

#include <cstdarg>
#include <sys/types.h>

namespace tintwell {
namespace {

// ---- The client stream: libtiff reads the file through these, never through a path of its own.
// They are called from C and must not throw.

tmsize_t StreamRead(thandle_t handle, void* buffer, tmsize_t size) noexcept {
    auto* stream = static_cast<TClientStream*>(handle);
    if (size < 0)
        return -1;
    if (size == 0)
        return 0;
    const std::size_t read = std::fread(buffer, 1, static_cast<std::size_t>(size), stream->Handle);
    if (read == 0 && std::ferror(stream->Handle) != 0)
        return -1;
    return static_cast<tmsize_t>(read);
}

tmsize_t StreamWrite(thandle_t, void*, tmsize_t) noexcept { return -1; }

toff_t StreamSeek(thandle_t handle, toff_t offset, int whence) noexcept {
    constexpr auto kFailed = static_cast<toff_t>(-1);
    auto* stream = static_cast<TClientStream*>(handle);
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END)
        return kFailed;
    // libtiff passes relative offsets as two's complement in an unsigned type; an absolute offset
    // that does not fit off_t comes from a damaged file.
    const auto signedOffset = static_cast<std::int64_t>(offset);
    if (whence == SEEK_SET && signedOffset < 0)
        return kFailed;
    if (fseeko(stream->Handle, static_cast<off_t>(signedOffset), whence) != 0)
        return kFailed;
    const off_t position = ftello(stream->Handle);
    return position < 0 ? kFailed : static_cast<toff_t>(position);
}

// The file belongs to the TFileStream, which closes it.
int StreamClose(thandle_t) noexcept { return 0; }

toff_t StreamSize(thandle_t handle) noexcept {
    return static_cast<toff_t>(static_cast<TClientStream*>(handle)->Size);
}

// Mode "m" keeps libtiff from mapping; these only satisfy the interface.
int StreamMap(thandle_t, void**, toff_t*) noexcept { return 0; }
void StreamUnmap(thandle_t, void*, toff_t) noexcept {}

// Returning 1 stops libtiff from calling its global handler, which would write to stderr. Failures
// surface only as this reader's own errors; a strip it cannot decode is skipped.
int DiscardMessage(TIFF*, void*, const char*, const char*, va_list) noexcept { return 1; }

struct TOptionsFree {
    void operator()(TIFFOpenOptions* options) const noexcept { TIFFOpenOptionsFree(options); }
};

} // namespace

TTiffHandle OpenClient(TClientStream& stream) {
    std::unique_ptr<TIFFOpenOptions, TOptionsFree> options(TIFFOpenOptionsAlloc());
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxLibtiffAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), DiscardMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), DiscardMessage, nullptr);
    return TTiffHandle(TIFFClientOpenExt("TIFF", "rm", &stream, StreamRead, StreamWrite, StreamSeek,
                                         StreamClose, StreamSize, StreamMap, StreamUnmap, options.get()));
}

} // namespace tintwell
