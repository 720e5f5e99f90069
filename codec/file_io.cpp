#include "codec/file_io.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "codec/errors.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

[[noreturn]] void RaiseOpenError(const std::string& fileName, int error) {
    throw EFOpenError(FormatText(ResString("Cannot open file \"%s\". %s"), {fileName, std::strerror(error)}));
}

} // namespace

TFileStream::TFileStream(const std::string& fileName) {
    FHandle = std::fopen(fileName.c_str(), "rb");
    if (FHandle == nullptr)
        RaiseOpenError(fileName, errno);
    struct stat info {};
    if (fstat(fileno(FHandle), &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        std::fclose(FHandle);
        RaiseOpenError(fileName, error == 0 ? EINVAL : error);
    }
    FSize = static_cast<std::int64_t>(info.st_size);
}

TFileStream::~TFileStream() {
    if (FHandle != nullptr)
        std::fclose(FHandle);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName) {
    TFileStream stream(fileName);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
    const std::size_t read = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), stream.Handle());
    if (read != bytes.size())
        RaiseOpenError(fileName, std::ferror(stream.Handle()) ? EIO : ENODATA);
    return bytes;
}

} // namespace tintwell
