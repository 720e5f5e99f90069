// Writes the whole-command benchmark's images (bench_images.h).
//   make_images FOLDER
#include <cstdio>
#include <string>

#include "bench_images.h"

int main(int argc, char** argv) {
    using namespace tintwell::bench;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_images FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok =
        WriteJpeg(folder + "/photo24.jpg", 6000, 4000) && WriteJpeg(folder + "/photo100.jpg", 12250, 8163) &&
        WriteTiff(folder + "/photo24.tif", 6000, 4000) && WriteBmp(folder + "/photo24.bmp", 6000, 4000);
    if (!ok) {
        std::fprintf(stderr, "make_images: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
