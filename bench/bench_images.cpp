#include "bench_images.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <tiffio.h>

namespace tintwell::bench {
namespace {

// The pixel at (x, y) of a width x height picture, as red, green, blue.
void PhotoPixel(int x, int y, int width, int height, std::uint8_t* rgb, std::uint32_t& seed) {
    const double u = static_cast<double>(x) / width;
    const double v = static_cast<double>(y) / height;
    seed = seed * 1664525u + 1013904223u;
    const int grain = static_cast<int>(seed >> 28) - 8;
    const double sky = 1.0 - v;
    const double shape =
        0.5 + 0.5 * std::sin(u * 9.0 + std::cos(v * 7.0) * 2.0) * std::cos(v * 5.0 - u * 3.0);
    const double channels[3] = {60 + 150 * shape * v + 30 * u, 80 + 120 * sky + 40 * shape,
                                120 + 110 * sky - 60 * shape * u};
    for (int c = 0; c < 3; ++c) {
        const int level = static_cast<int>(channels[c]) + grain;
        rgb[c] = static_cast<std::uint8_t>(level < 0 ? 0 : level > 255 ? 255 : level);
    }
}

void Row(int y, int width, int height, std::vector<std::uint8_t>& row) {
    std::uint32_t seed = static_cast<std::uint32_t>(y) * 2654435761u + 1u;
    for (int x = 0; x < width; ++x)
        PhotoPixel(x, y, width, height, &row[static_cast<std::size_t>(x) * 3], seed);
}

void Put(std::FILE* file, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), file);
}

} // namespace

bool WriteJpeg(const std::string& path, int width, int height) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        Row(static_cast<int>(cinfo.next_scanline), width, height, row);
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

bool WriteTiff(const std::string& path, int width, int height) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        Row(y, width, height, row);
        if (TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) < 0) {
            TIFFClose(tiff);
            return false;
        }
    }
    TIFFClose(tiff);
    return true;
}

bool WriteBmp(const std::string& path, int width, int height) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
    std::fputs("BM", file);
    Put(file, 54 + imageSize, 4);
    Put(file, 0, 4);
    Put(file, 54, 4);
    Put(file, 40, 4);
    Put(file, static_cast<std::uint32_t>(width), 4);
    Put(file, static_cast<std::uint32_t>(height), 4);
    Put(file, 1, 2);
    Put(file, 24, 2);
    Put(file, 0, 4);
    Put(file, imageSize, 4);
    Put(file, 2835, 4);
    Put(file, 2835, 4);
    Put(file, 0, 4);
    Put(file, 0, 4);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    std::vector<std::uint8_t> out(stride, 0);
    for (int y = height - 1; y >= 0; --y) { // bottom-up, as BMP rows are stored
        Row(y, width, height, row);
        for (int x = 0; x < width; ++x) {
            out[static_cast<std::size_t>(x) * 3] = row[static_cast<std::size_t>(x) * 3 + 2];
            out[static_cast<std::size_t>(x) * 3 + 1] = row[static_cast<std::size_t>(x) * 3 + 1];
            out[static_cast<std::size_t>(x) * 3 + 2] = row[static_cast<std::size_t>(x) * 3];
        }
        std::fwrite(out.data(), 1, out.size(), file);
    }
    return std::fclose(file) == 0;
}

} // namespace tintwell::bench
