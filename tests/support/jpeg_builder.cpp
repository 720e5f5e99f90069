#include "support/jpeg_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace tintwell::test {

std::vector<std::uint8_t> MakeJpeg(const TJpegRecipe& recipe) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors); // the recipes are ours and valid: an error here is a test bug
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(recipe.Width);
    cinfo.image_height = static_cast<JDIMENSION>(recipe.Height);
    const bool cmyk = recipe.Kind == TJpegKind::Cmyk || recipe.Kind == TJpegKind::AdobeCmyk;
    cinfo.input_components = recipe.Kind == TJpegKind::Grayscale ? 1 : cmyk ? 4 : 3;
    cinfo.in_color_space = recipe.Kind == TJpegKind::Grayscale ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (cmyk)
        jpeg_set_colorspace(&cinfo, JCS_CMYK);
    cinfo.write_Adobe_marker = recipe.Kind == TJpegKind::AdobeCmyk ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, recipe.Quality, TRUE);
    if (recipe.Progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(recipe.Width) *
                                  static_cast<std::size_t>(cinfo.input_components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < recipe.Width; ++x) {
            std::uint8_t rgb[3];
            recipe.Pixel(x, y, rgb);
            std::uint8_t* out = row.data() + static_cast<std::size_t>(x * cinfo.input_components);
            if (recipe.Kind == TJpegKind::Grayscale) {
                out[0] = rgb[0];
            } else if (cmyk) {
                // Ink amounts (black takes the common part, the colours what remains of the
                // brightest channel); Adobe files store them inverted.
                const int max = std::max({rgb[0], rgb[1], rgb[2]});
                const auto ink_of = [max](int c) { return max == 0 ? 0 : ((max - c) * 255 + max / 2) / max; };
                const int ink[4] = {ink_of(rgb[0]), ink_of(rgb[1]), ink_of(rgb[2]), 255 - max};
                for (int i = 0; i < 4; ++i)
                    out[i] = static_cast<std::uint8_t>(recipe.Kind == TJpegKind::AdobeCmyk ? 255 - ink[i]
                                                                                           : ink[i]);
            } else {
                out[0] = rgb[0];
                out[1] = rgb[1];
                out[2] = rgb[2];
            }
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&cinfo, &rowPointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

} // namespace tintwell::test
