#pragma once

// Loading metafiles from memory and looking at what they draw.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "imaging/metafile/metafile.h"
#include "support/metafile_writer.h"

namespace tintwell::test {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr std::uint32_t kRedRef = ColorRef(255, 0, 0);
constexpr std::uint32_t kGreenRef = ColorRef(0, 255, 0);
constexpr std::uint32_t kBlueRef = ColorRef(0, 0, 255);

inline std::string ColorText(QRgb c) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", qRed(c), qGreen(c), qBlue(c));
    return text;
}

inline TMetafile LoadBytes(const std::vector<std::uint8_t>& bytes) {
    TMetafile metafile;
    metafile.LoadFromMemory(bytes);
    return metafile;
}

// The metafile drawn on white into rect (the whole image when not given).
inline QImage Render(const TMetafile& metafile, int width = 100, int height = 100,
                     std::optional<QRectF> rect = std::nullopt) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    metafile.Draw(painter, rect.value_or(QRectF(0, 0, width, height)));
    painter.end();
    return image;
}

// A pixel and the colour it must have.
struct TProbe {
    int X;
    int Y;
    QRgb Color;
};

inline void ExpectProbes(const QImage& image, const std::vector<TProbe>& probes) {
    for (const TProbe& p : probes)
        EXPECT_EQ(ColorText(image.pixel(p.X, p.Y)), ColorText(p.Color))
            << "at (" << p.X << ", " << p.Y << ")";
}

// How many pixels of the area have exactly this colour.
inline int CountColor(const QImage& image, QRgb color, QRect area = {}) {
    if (area.isNull())
        area = image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF) ? 1 : 0;
    return count;
}

// The quadrant probes of a 100 x 100 image whose top-right quadrant alone is painted.
inline std::vector<TProbe> TopRightOnly(QRgb color) {
    return {{75, 25, color}, {53, 3, color},   {96, 46, color},  {25, 25, kWhite},
            {46, 3, kWhite}, {75, 75, kWhite}, {96, 53, kWhite}, {25, 75, kWhite}};
}

} // namespace tintwell::test
