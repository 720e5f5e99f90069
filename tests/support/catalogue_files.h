#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace tintwell::test {

// A .po header naming the charset, as msgfmt wants it.
inline std::string PoHeader(const std::string& charset = "UTF-8") {
    return "msgid \"\"\nmsgstr \"\"\n\"MIME-Version: 1.0\\n\"\n\"Content-Type: text/plain; charset=" +
           charset + "\\n\"\n\"Content-Transfer-Encoding: 8bit\\n\"\n\n";
}

inline std::string PoEntry(const std::string& id, const std::string& text) {
    return "msgid \"" + id + "\"\nmsgstr \"" + text + "\"\n\n";
}

// Compiles a .po text with the real msgfmt into path (folders made as needed); extra holds more
// options, such as --endianness=big.
inline void CompileCatalogue(const std::string& path, const std::string& poText,
                             const std::string& extra = "") {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const std::string po = path + ".po";
    std::ofstream(po, std::ios::binary) << poText;
    const std::string command =
        std::string(TINTWELL_MSGFMT) + " " + extra + " -o '" + path + "' '" + po + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::filesystem::remove(po);
}

// Where the program looks for the catalogue of a language under a locale folder.
inline std::string CatalogueUnder(const std::string& localeDirectory, const std::string& folder) {
    return localeDirectory + "/" + folder + "/LC_MESSAGES/default.mo";
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Turns the last byte of the first occurrence of marker in a compiled catalogue into 0xFF, a byte
// that no UTF-8 text holds; whether the marker was found.
inline bool MakeUndecodable(const std::string& file, std::string_view marker) {
    std::vector<std::uint8_t> bytes = ReadBytes(file);
    const auto at = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
    if (at == bytes.end())
        return false;
    at[static_cast<std::ptrdiff_t>(marker.size()) - 1] = 0xFF;
    WriteFileBytes(file, bytes);
    return true;
}

} // namespace tintwell::test
