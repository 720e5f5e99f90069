#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/fixtures.h"

namespace tintwell::test {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tintwell-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        FPath = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name) const { return (FPath / name).string(); }

    // Writes bytes to name inside the folder and returns the file's full path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::string path = Path(name);
        WriteFile(path, bytes);
        return path;
    }

private:
    std::filesystem::path FPath;
};

} // namespace tintwell::test
