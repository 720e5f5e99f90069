#include "support/fixtures.h"

#include <QBuffer>
#include <QImage>
#include <fstream>
#include <stdexcept>

#include "support/bmp_builder.h"
#include "support/jpeg_builder.h"

namespace tintwell::test {

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<TFixtureFile> BmpFixtures() {
    std::vector<TFixtureFile> files;
    const std::pair<const char*, TBmpKind> kinds[] = {
        {"rgb24", TBmpKind::Rgb24},       {"rgb16", TBmpKind::Rgb16},       {"rgb32", TBmpKind::Rgb32},
        {"indexed1", TBmpKind::Indexed1}, {"indexed4", TBmpKind::Indexed4}, {"indexed8", TBmpKind::Indexed8},
        {"rle4", TBmpKind::Rle4},         {"rle8", TBmpKind::Rle8}};
    for (const auto& [name, kind] : kinds) {
        TBmpRecipe recipe;
        recipe.Kind = kind;
        if (kind == TBmpKind::Indexed1) {
            recipe.Palette = {0x000000, 0xFFFFFF};
            recipe.Index = [](int x, int y) { return (x + y) % 2; };
        }
        files.push_back({std::string(name) + ".bmp", MakeBmp(recipe)});
    }
    TBmpRecipe topDown;
    topDown.TopDown = true;
    files.push_back({"rgb24_topdown.bmp", MakeBmp(topDown)});
    return files;
}

std::vector<TFixtureFile> IconFixtures() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(qRgba(10, 120, 230, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "ico"))
        throw std::runtime_error("Qt's icon writer is missing");
    return {{"blue16.ico", std::vector<std::uint8_t>(bytes.begin(), bytes.end())}};
}

std::vector<TFixtureFile> JpegFixtures() {
    TJpegRecipe gradient;
    gradient.Width = 48;
    gradient.Height = 32;
    gradient.Pixel = [](int x, int y, std::uint8_t rgb[3]) {
        rgb[0] = static_cast<std::uint8_t>(x * 5);
        rgb[1] = static_cast<std::uint8_t>(y * 7);
        rgb[2] = static_cast<std::uint8_t>(255 - x * 3);
    };
    TJpegRecipe progressive = gradient;
    progressive.Progressive = true;
    TJpegRecipe gray = gradient;
    gray.Kind = TJpegKind::Grayscale;
    TJpegRecipe cmyk = gradient;
    cmyk.Kind = TJpegKind::AdobeCmyk;
    return {{"colour.jpg", MakeJpeg(gradient)},
            {"progressive.jpg", MakeJpeg(progressive)},
            {"gray.jpg", MakeJpeg(gray)},
            {"cmyk.jpg", MakeJpeg(cmyk)}};
}

} // namespace tintwell::test
