// The magnified preview against a plain per-pixel enlargement written here: every device pixel of
// the widget, for square and oblong pictures, pictures smaller and larger than the widget, and an
// overlay inside the picture or reaching past its edge. The same test runs at a device pixel ratio
// of 2 with the rest of this program.
#include <gtest/gtest.h>

#include <QImage>
#include <QPalette>
#include <ostream>
#include <string>

#include "support/screen_pattern.h"
#include "ui/picker/widgets.h"

namespace tintwell {
namespace {

QImage Pattern(QSize size, QRgb (*colour)(int x, int y)) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, colour(x, y));
    return image;
}

QRgb OverlayColour(int x, int y) { return qRgb(250, 10 * x, 10 * y); }

// What the widget must show: the picture scaled to the largest size of its shape that fits, centred,
// each device pixel taking the picture pixel its position falls in (rounded down), the overlay's
// pixel where the overlay covers that picture pixel, and the window colour around it.
QImage Expected(const QImage& picture, const QImage& overlay, QPoint overlayAt, QSize device, QRgb window) {
    const long long w = picture.width();
    const long long h = picture.height();
    const bool wide = w * device.height() >= h * device.width();
    const int tw = wide ? device.width() : static_cast<int>(w * device.height() / h);
    const int th = wide ? static_cast<int>(h * device.width() / w) : device.height();
    const QRect target((device.width() - tw) / 2, (device.height() - th) / 2, tw, th);
    QImage expected(device, QImage::Format_RGB32);
    expected.fill(window);
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x) {
            const QPoint source(static_cast<int>(x * w / tw), static_cast<int>(y * h / th));
            const QPoint inOverlay = source - overlayAt;
            const QRgb pixel = !overlay.isNull() && overlay.rect().contains(inOverlay)
                                   ? overlay.pixel(inOverlay)
                                   : picture.pixel(source);
            expected.setPixel(target.left() + x, target.top() + y, pixel | 0xff000000u);
        }
    return expected;
}

struct MagnifierCase {
    const char* name;
    QSize picture;
    QSize overlay; // empty: none
    QPoint overlayAt;
};

const MagnifierCase kMagnifierCases[] = {
    {"default_square_with_marker", {21, 21}, {5, 5}, {8, 8}},
    {"smallest_square", {3, 3}, {}, {}},
    {"one_pixel_with_overlay_past_every_edge", {1, 1}, {5, 5}, {-2, -2}},
    {"larger_than_the_widget", {1080, 1080}, {5, 5}, {537, 537}},
    {"wide", {40, 10}, {5, 5}, {37, 0}},
    {"tall", {10, 40}, {5, 5}, {-1, 36}},
    {"square_without_overlay", {201, 201}, {}, {}},
};

void PrintTo(const MagnifierCase& row, std::ostream* out) { *out << row.name; }

class MagnifierShows : public ::testing::TestWithParam<MagnifierCase> {};

TEST_P(MagnifierShows, EveryDevicePixelAsThePlainEnlargement) {
    const MagnifierCase& row = GetParam();
    TMagnifier magnifier;
    magnifier.resize(199, 199);
    const QImage picture = Pattern(row.picture, test::Encoded);
    const QImage overlay = row.overlay.isEmpty() ? QImage() : Pattern(row.overlay, OverlayColour);
    const QRgb window = magnifier.palette().color(QPalette::Window).rgb();
    // An oblong picture after a square one must not leave the square's pixels in the margins.
    magnifier.SetPicture(Pattern({7, 7}, OverlayColour));
    magnifier.SetPicture(picture, overlay, row.overlayAt);
    const QImage& shown = magnifier.Enlarged();
    const QSize device = (QSizeF(199, 199) * magnifier.devicePixelRatioF()).toSize();
    ASSERT_EQ(shown.size(), device);
    const QImage expected = Expected(picture, overlay, row.overlayAt, device, window);
    int wrong = 0;
    for (int y = 0; y < device.height(); ++y)
        for (int x = 0; x < device.width(); ++x)
            if ((shown.pixel(x, y) | 0xff000000u) != expected.pixel(x, y) && ++wrong <= 5)
                ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex << shown.pixel(x, y)
                              << " instead of " << expected.pixel(x, y);
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(, MagnifierShows, ::testing::ValuesIn(kMagnifierCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Magnifier, ShowsNothingForAnEmptyPicture) {
    TMagnifier magnifier;
    magnifier.resize(199, 199);
    magnifier.SetPicture(Pattern({21, 21}, test::Encoded));
    magnifier.SetPicture(QImage());
    EXPECT_TRUE(magnifier.Enlarged().isNull());
}

} // namespace
} // namespace tintwell
