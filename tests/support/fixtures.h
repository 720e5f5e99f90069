#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tintwell::test {

// A small file made in memory for tests and as a fuzzing seed. Name carries the extension that
// selects the loader ("gray8_lzw.tif").
struct TFixtureFile {
    std::string Name;
    std::vector<std::uint8_t> Bytes;
};

// Representative valid files of each loader (each list written by its loader's fixture builder).
std::vector<TFixtureFile> TiffFixtures();
std::vector<TFixtureFile> MetafileFixtures();
std::vector<TFixtureFile> JpegFixtures();
std::vector<TFixtureFile> BmpFixtures();
std::vector<TFixtureFile> IconFixtures();

// Writes bytes to path, replacing the file; raises std::runtime_error on failure.
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace tintwell::test
