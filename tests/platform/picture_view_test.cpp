// The picture view on its own: where the fitted copy sits, what shows without a picture, and that
// a failing scaler leaves it empty rather than letting an error into a paint or resize.
#include <gtest/gtest.h>

#include <QImage>
#include <stdexcept>

#include "platform/picture_view.h"

namespace tintwell {
namespace {

QImage Plain(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 80, 120));
    return image;
}

struct TPlaceCase {
    const char* Name;
    QSize Picture;
    QSize View;
    QRect Shown;
};
void PrintTo(const TPlaceCase& row, std::ostream* os) { *os << row.Name; }

class PictureViewPlacement : public ::testing::TestWithParam<TPlaceCase> {};

// Centred by halving the room left over, truncated: odd room leaves the extra pixel on the right
// and at the bottom.
TEST_P(PictureViewPlacement, FitsAndCentresThePicture) {
    TPictureView view;
    view.resize(GetParam().View);
    view.SetPicture(Plain(GetParam().Picture.width(), GetParam().Picture.height()));
    EXPECT_EQ(view.PictureRect(), GetParam().Shown);
    EXPECT_EQ(view.ScaledPicture().size(), GetParam().Shown.size());
}

INSTANTIATE_TEST_SUITE_P(
    , PictureViewPlacement,
    ::testing::Values(TPlaceCase{"smaller_at_own_size", {10, 20}, {476, 316}, {233, 148, 10, 20}},
                      TPlaceCase{"odd_room_even_picture", {4, 4}, {11, 11}, {3, 3, 4, 4}},
                      TPlaceCase{"wide_picture_shrunk", {1000, 100}, {200, 100}, {0, 40, 200, 20}},
                      TPlaceCase{"exact_fit", {200, 100}, {200, 100}, {0, 0, 200, 100}}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST(PictureView, TheFrameIsLeftOutOfTheRoom) {
    TPictureView view;
    view.setFrameStyle(QFrame::Box | QFrame::Plain);
    view.setLineWidth(2);
    view.resize(24, 24);
    view.SetPicture(Plain(40, 40));
    EXPECT_EQ(view.PictureRect(), QRect(2, 2, 20, 20));
}

TEST(PictureView, ShowsItsTextOnlyWithoutAPicture) {
    TPictureView view;
    view.resize(100, 100);
    view.SetEmptyText("(None)");
    EXPECT_FALSE(view.HasPicture());
    EXPECT_EQ(view.ShownText(), "(None)");
    view.SetPicture(Plain(10, 10));
    EXPECT_TRUE(view.HasPicture());
    EXPECT_EQ(view.ShownText(), "");
    view.Clear();
    EXPECT_EQ(view.ShownText(), "(None)");
    EXPECT_TRUE(view.ScaledPicture().isNull());
    view.SetPicture(QImage());
    EXPECT_FALSE(view.HasPicture()) << "a null image is no picture";
}

TEST(PictureView, RescalesOnceForEachNewSize) {
    TPictureView view;
    view.resize(100, 100);
    view.show(); // a hidden widget gets its resize events only when shown
    int scaled = 0;
    view.SetPicture(QSize(400, 200), [&scaled](QSize target) {
        ++scaled;
        return Plain(target.width(), target.height());
    });
    EXPECT_EQ(scaled, 1);
    EXPECT_EQ(view.ShownPictureSize(), QSize(100, 50));
    view.repaint();
    view.resize(100, 100);
    EXPECT_EQ(scaled, 1) << "neither a repaint nor the same size scales again";
    view.resize(50, 100);
    EXPECT_EQ(scaled, 2);
    EXPECT_EQ(view.ShownPictureSize(), QSize(50, 25));
}

TEST(PictureView, AScalerThatFailsLeavesTheViewEmpty) {
    TPictureView view;
    view.resize(100, 100);
    view.show();
    view.SetPicture(QSize(400, 200), [](QSize) -> QImage { throw std::bad_alloc(); });
    EXPECT_TRUE(view.HasPicture());
    EXPECT_TRUE(view.ScaledPicture().isNull());
    view.resize(60, 60);
    view.repaint();
    EXPECT_TRUE(view.ScaledPicture().isNull());
}

} // namespace
} // namespace tintwell
