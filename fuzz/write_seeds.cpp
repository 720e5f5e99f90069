// Writes the fixture files of every loader as fuzzing seeds: <folder>/<loader>/<name>.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fixtures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_seeds FOLDER\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv); // the icon writer is a Qt plugin
    using namespace tintwell::test;
    const std::pair<const char*, std::vector<TFixtureFile>> sets[] = {{"bmp", BmpFixtures()},
                                                                      {"ico", IconFixtures()},
                                                                      {"metafile", MetafileFixtures()},
                                                                      {"jpeg", JpegFixtures()},
                                                                      {"tiff", TiffFixtures()}};
    for (const auto& [loader, files] : sets) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / loader;
        std::filesystem::create_directories(folder);
        for (const TFixtureFile& file : files)
            WriteFile((folder / file.Name).string(), file.Bytes);
    }
    return 0;
}
