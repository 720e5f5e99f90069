// The swatch on its own: what it paints, what it tells a screen reader, which releases it reports.
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

#include "colour/colour.h"
#include "support/scoped_global.h"
#include "ui/common/swatch.h"

namespace tintwell {
namespace {

QImage Painted(TShape& swatch) {
    QImage image(swatch.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    swatch.render(&image);
    return image;
}

TEST(Swatch, PaintsTheFillInsideAOnePixelBlackOutline) {
    TShape swatch;
    swatch.resize(10, 8);
    swatch.SetBrushColor(RGB(0x3C, 0x9F, 0x4E));
    const QImage image = Painted(swatch);
    for (const QPoint edge :
         {QPoint(0, 0), QPoint(9, 0), QPoint(0, 7), QPoint(9, 7), QPoint(5, 0), QPoint(0, 4)})
        EXPECT_EQ(image.pixelColor(edge), QColor(Qt::black)) << edge.x() << "," << edge.y();
    for (const QPoint inside : {QPoint(1, 1), QPoint(8, 6), QPoint(5, 4)})
        EXPECT_EQ(image.pixelColor(inside), QColor(0x3C, 0x9F, 0x4E)) << inside.x() << "," << inside.y();
}

TEST(Swatch, ResolvesASystemColourWhenPainting) {
    const test::TScopedGlobal<TColor> grayText([](TColor rgb) { return SetSystemColor(COLOR_GRAYTEXT, rgb); },
                                               RGB(9, 8, 7));
    TShape swatch;
    swatch.resize(4, 4);
    swatch.SetBrushColor(clGrayText);
    EXPECT_EQ(Painted(swatch).pixelColor(1, 1), QColor(9, 8, 7));
    EXPECT_EQ(swatch.BrushColor(), clGrayText) << "the fill stays the system colour";
}

TEST(Swatch, DescribesItsColourAsHTML) {
    TShape swatch;
    EXPECT_EQ(swatch.accessibleDescription(), "#FFFFFF");
    swatch.SetBrushColor(RGB(255, 128, 0));
    EXPECT_EQ(swatch.accessibleDescription(), "#FF8000");
    swatch.SetBrushColor(RGB(0, 0, 255), "#0000FF");
    EXPECT_EQ(swatch.BrushColor(), RGB(0, 0, 255));
    EXPECT_EQ(swatch.accessibleDescription(), "#0000FF");
}

TEST(Swatch, ReportsReleasesOverItselfOnly) {
    TShape swatch;
    swatch.resize(20, 20);
    std::vector<Qt::MouseButton> released;
    swatch.OnMouseUp = [&](Qt::MouseButton button) { released.push_back(button); };
    QTest::mouseRelease(&swatch, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseRelease(&swatch, Qt::RightButton, Qt::NoModifier, QPoint(19, 19));
    QTest::mouseRelease(&swatch, Qt::LeftButton, Qt::NoModifier, QPoint(25, 10)); // dragged off
    EXPECT_EQ(released, (std::vector<Qt::MouseButton>{Qt::LeftButton, Qt::RightButton}));
}

} // namespace
} // namespace tintwell
