#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tintwell {

// The whole file in memory. Raises EFOpenError "Cannot open file "<name>". <reason>" when the file
// cannot be opened or read, and for a directory.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName);

// A read-only file, opened or raising EFOpenError as ReadWholeFile does; closed on destruction.
class TFileStream {
public:
    explicit TFileStream(const std::string& fileName);
    ~TFileStream();
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::FILE* Handle() const noexcept { return FHandle; }
    std::int64_t Size() const noexcept { return FSize; }

private:
    std::FILE* FHandle = nullptr;
    std::int64_t FSize = 0;
};

} // namespace tintwell
