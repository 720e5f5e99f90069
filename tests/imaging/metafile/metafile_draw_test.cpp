// What the player draws: each case renders a small metafile into 100 x 100 pixels on white and
// probes pixels where the mapping, the objects and the state say the colours must be.

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <ostream>
#include <string>
#include <vector>

#include "imaging/metafile/metafile_test_support.h"

namespace tintwell::test {
namespace {

using TBytes = std::vector<std::uint8_t>;

constexpr QRgb kGray = qRgb(128, 128, 128);
constexpr QRgb kYellow = qRgb(255, 255, 0);

// A null pen (slot 0) and a red brush (slot 1), both selected.
TWmfBuilder WmfRed() {
    TWmfBuilder b;
    b.CreatePen(PS_NULL, 0, 0).SelectObject(0).CreateBrush(BS_SOLID, kRedRef).SelectObject(1);
    return b;
}
// The stock null pen and a red brush in slot 1, selected. One logical unit is one pixel.
TEmfBuilder EmfRed() {
    TEmfBuilder b;
    b.SelectObject(TEmfBuilder::kNullPen).CreateBrush(1, BS_SOLID, kRedRef).SelectObject(1);
    return b;
}
TBytes Box1000(const TWmfBuilder& b) { return b.Placeable(0, 0, 1000, 1000, 1000); }

struct TDrawCase {
    const char* Name;
    TBytes (*Make)();
    std::vector<TProbe> Probes;
};
void PrintTo(const TDrawCase& c, std::ostream* os) { *os << c.Name; }

const std::vector<TProbe> kRedTopRight = TopRightOnly(kRed);

const TDrawCase kMappingCases[] = {
    {"wmf_placeable_box", [] { return Box1000(WmfRed().Rectangle(500, 0, 1000, 500)); }, kRedTopRight},
    {"wmf_placeable_offset_box",
     [] { return WmfRed().Rectangle(600, 200, 1100, 700).Placeable(100, 200, 1100, 1200, 1000); },
     kRedTopRight},
    {"wmf_window_stretched_over_box",
     [] { return Box1000(WmfRed().SetWindowOrg(0, 0).SetWindowExt(200, 200).Rectangle(100, 0, 200, 100)); },
     kRedTopRight},
    {"wmf_window_origin",
     [] {
         return Box1000(WmfRed().SetWindowOrg(-100, -100).SetWindowExt(200, 200).Rectangle(0, -100, 100, 0));
     },
     kRedTopRight},
    {"wmf_viewport",
     [] {
         return Box1000(
             WmfRed().SetWindowExt(100, 100).SetViewportOrg(500, 0).SetViewportExt(500, 500).Rectangle(
                 0, 0, 100, 100));
     },
     kRedTopRight},
    {"wmf_text_mode_ignores_extents",
     [] { return Box1000(WmfRed().SetMapMode(1).SetWindowExt(1, 1).Rectangle(500, 0, 1000, 500)); },
     kRedTopRight},
    {"wmf_plain_window", [] { return WmfRed().SetWindowExt(200, 200).Rectangle(100, 0, 200, 100).Plain(); },
     kRedTopRight},
    {"wmf_plain_y_up",
     [] {
         return WmfRed().SetWindowOrg(0, 200).SetWindowExt(200, -200).Rectangle(100, 200, 200, 100).Plain();
     },
     kRedTopRight},
    {"wmf_plain_drawing_extent",
     [] {
         return WmfRed().Rectangle(50, 0, 100, 50).Polyline({{0, 0}, {0, 100}, {100, 100}}).Plain();
     },
     kRedTopRight},
    {"emf_text_mode", [] { return EmfRed().Rectangle(50, 0, 100, 50).Build(); }, kRedTopRight},
    {"emf_anisotropic",
     [] {
         return EmfRed()
             .SetMapMode(8)
             .SetWindowExt(10, 10)
             .SetViewportExt(100, 100)
             .Rectangle(5, 0, 10, 5)
             .Build();
     },
     kRedTopRight},
    // Isotropic: the viewport's 100 x 50 shrinks to 50 x 50, so 10 units are 50 pixels both ways.
    {"emf_isotropic",
     [] {
         return EmfRed()
             .SetMapMode(7)
             .SetWindowExt(10, 10)
             .SetViewportExt(100, 50)
             .Rectangle(10, 0, 20, 10)
             .Build();
     },
     kRedTopRight},
    {"emf_origins",
     [] {
         return EmfRed()
             .SetMapMode(8)
             .SetWindowOrg(1000, 1000)
             .SetWindowExt(10, 10)
             .SetViewportOrg(50, 0)
             .SetViewportExt(50, 50)
             .Rectangle(1000, 1000, 1010, 1010)
             .Build();
     },
     kRedTopRight},
    {"emf_scale_viewport",
     [] {
         return EmfRed()
             .SetMapMode(8)
             .SetWindowExt(100, 100)
             .SetViewportExt(100, 100)
             .Record(31, {1, 2, 1, 2})
             .Rectangle(100, 0, 200, 100)
             .Build();
     },
     kRedTopRight},
    // 100 pixels are 25.4 mm on the reference device: 254 units of 0.1 mm, 1440 twips; y counts up.
    {"emf_lometric",
     [] { return EmfRed().SetMapMode(2).SetViewportOrg(0, 100).Rectangle(127, 254, 254, 127).Build(); },
     kRedTopRight},
    {"emf_twips",
     [] { return EmfRed().SetMapMode(6).SetViewportOrg(0, 100).Rectangle(720, 1440, 1440, 720).Build(); },
     kRedTopRight},
    {"emf_himetric_after_anisotropic",
     [] {
         return EmfRed()
             .SetMapMode(8)
             .SetWindowExt(1, 1)
             .SetMapMode(3)
             .SetViewportOrg(0, 100)
             .Rectangle(1270, 2540, 2540, 1270)
             .Build();
     },
     kRedTopRight},
    {"emf_world_scale",
     [] { return EmfRed().SetWorldTransform(2, 0, 0, 2, 0, 0).Rectangle(25, 0, 50, 25).Build(); },
     kRedTopRight},
    {"emf_world_translate",
     [] { return EmfRed().SetWorldTransform(1, 0, 0, 1, 50, 0).Rectangle(0, 0, 50, 50).Build(); },
     kRedTopRight},
    {"emf_frame_offset",
     [] { return EmfRed().Frame(2540, 2540, 5080, 5080).Rectangle(150, 100, 200, 150).Build(); },
     kRedTopRight},
    {"emf_bounds_as_frame",
     [] { return EmfRed().Frame(0, 0, 0, 0).Bounds(0, 0, 199, 199).Rectangle(100, 0, 200, 100).Build(); },
     kRedTopRight},
    {"emf_device_resolution",
     [] { return EmfRed().Device(2000, 2000, 254, 254).Rectangle(100, 0, 200, 100).Build(); }, kRedTopRight},
};

// Three thirds of the picture, each filled with whatever brush is selected when it is drawn.
TWmfBuilder& Thirds(TWmfBuilder& b, int third) { return b.Rectangle(third * 100, 0, third * 100 + 100, 300); }
TBytes Box300(const TWmfBuilder& b) { return b.Placeable(0, 0, 300, 300, 1000); }
std::vector<TProbe> ThirdsProbes(QRgb a, QRgb b, QRgb c) { return {{15, 50, a}, {50, 50, b}, {85, 50, c}}; }

const TDrawCase kStateCases[] = {
    // The selected brush outlives its deletion; its slot is the lowest free one for the next object.
    {"wmf_deleted_brush_stays_slot_reused",
     [] {
         TWmfBuilder b;
         b.CreatePen(PS_NULL, 0, 0)
             .SelectObject(0)
             .CreateBrush(BS_SOLID, kRedRef)
             .CreateBrush(BS_SOLID, kBlueRef);
         b.SelectObject(1).DeleteObject(1);
         Thirds(b, 0).CreateBrush(BS_SOLID, kGreenRef).SelectObject(1);
         Thirds(b, 1).SelectObject(2);
         return Box300(Thirds(b, 2).Objects(3));
     },
     ThirdsProbes(kRed, kGreen, kBlue)},
    {"wmf_select_empty_slot_does_nothing",
     [] {
         TWmfBuilder b = WmfRed();
         b.DeleteObject(5).SelectObject(5).CreateBrush(BS_SOLID, kBlueRef).DeleteObject(2).SelectObject(2);
         return Box300(Thirds(Thirds(Thirds(b, 0), 1), 2));
     },
     ThirdsProbes(kRed, kRed, kRed)},
    {"wmf_pen_and_brush_slots_kept_apart",
     [] {
         TWmfBuilder b;
         b.CreateBrush(BS_SOLID, kBlueRef).CreatePen(PS_SOLID, 60, kGreenRef).SelectObject(1).SelectObject(0);
         return Box300(b.Rectangle(100, 100, 200, 200));
     },
     {{50, 50, kBlue}, {33, 50, kGreen}, {20, 50, kWhite}}},
    {"wmf_save_restore_relative",
     [] {
         TWmfBuilder b = WmfRed();
         b.SaveDC()
             .CreateBrush(BS_SOLID, kBlueRef)
             .SelectObject(2)
             .SaveDC()
             .CreateBrush(BS_SOLID, kGreenRef)
             .SelectObject(3);
         b.RestoreDC(-1);
         Thirds(b, 0).RestoreDC(-1);
         return Box300(Thirds(b, 1));
     },
     {{15, 50, kBlue}, {50, 50, kRed}, {85, 50, kWhite}}},
    {"wmf_save_restore_absolute",
     [] {
         TWmfBuilder b = WmfRed();
         b.SaveDC().CreateBrush(BS_SOLID, kBlueRef).SelectObject(2).SaveDC();
         b.CreateBrush(BS_SOLID, kGreenRef).SelectObject(3).SaveDC().RestoreDC(2);
         Thirds(b, 0).RestoreDC(-1);
         Thirds(b, 1).RestoreDC(-1);
         return Box300(Thirds(b, 2));
     },
     ThirdsProbes(kBlue, kRed, kRed)},
    {"wmf_restore_brings_back_mapping",
     [] {
         return Box1000(
             WmfRed().SaveDC().SetWindowExt(2000, 2000).RestoreDC(-1).Rectangle(500, 0, 1000, 500));
     },
     kRedTopRight},
    {"emf_deleted_brush_stays_empty_slot_ignored",
     [] {
         return EmfRed()
             .DeleteObject(1)
             .Rectangle(0, 0, 50, 100)
             .SelectObject(1)
             .Rectangle(50, 0, 100, 100)
             .Build();
     },
     {{25, 50, kRed}, {75, 50, kRed}}},
    {"emf_restore_past_saved_ignored",
     [] {
         return EmfRed()
             .SaveDC()
             .SelectObject(TEmfBuilder::kGrayBrush)
             .RestoreDC(-2)
             .RestoreDC(1)
             .Rectangle(0, 0, 50, 100)
             .RestoreDC(-1)
             .Rectangle(50, 0, 100, 100)
             .Build();
     },
     {{25, 50, kGray}, {75, 50, kRed}}},
    // Restoring the state saved before anything was selected brings back a black pen and a white brush.
    {"emf_default_objects",
     [] {
         return TEmfBuilder()
             .SaveDC()
             .SelectObject(TEmfBuilder::kNullPen)
             .SelectObject(TEmfBuilder::kGrayBrush)
             .Rectangle(0, 0, 100, 100)
             .RestoreDC(-1)
             .Rectangle(20, 20, 80, 80)
             .Build();
     },
     {{50, 50, kWhite}, {20, 50, kBlack}, {10, 50, kGray}}},
    {"emf_stock_objects",
     [] {
         return TEmfBuilder()
             .SelectObject(TEmfBuilder::kNullPen)
             .SelectObject(TEmfBuilder::kGrayBrush)
             .Rectangle(0, 0, 50, 100)
             .SelectObject(TEmfBuilder::kBlackPen)
             .SelectObject(TEmfBuilder::kNullBrush)
             .Rectangle(60, 10, 90, 90)
             .Build();
     },
     {{25, 50, kGray}, {75, 50, kWhite}, {60, 50, kBlack}}},
    {"emf_pattern_brush_is_gray",
     [] {
         return EmfRed().Record(94, {2, 0, 0, 0, 0, 0}).SelectObject(2).Rectangle(0, 0, 100, 100).Build();
     },
     {{50, 50, kGray}}},
    {"emf_clip",
     [] { return EmfRed().IntersectClipRect(0, 0, 50, 100).Rectangle(0, 0, 100, 100).Build(); },
     {{25, 50, kRed}, {75, 50, kWhite}}},
    {"emf_clip_restored",
     [] {
         return EmfRed()
             .SaveDC()
             .IntersectClipRect(0, 0, 50, 100)
             .RestoreDC(-1)
             .Rectangle(0, 0, 100, 100)
             .Build();
     },
     {{25, 50, kRed}, {75, 50, kRed}}},
    {"wmf_clip",
     [] { return Box1000(WmfRed().IntersectClipRect(500, 0, 1000, 500).Rectangle(0, 0, 1000, 1000)); },
     kRedTopRight},
};

const TDrawCase kShapeCases[] = {
    {"emf_ellipse",
     [] { return EmfRed().Ellipse(0, 0, 100, 100).Build(); },
     {{50, 50, kRed}, {50, 3, kRed}, {5, 5, kWhite}, {95, 95, kWhite}}},
    // Radials from 3 o'clock to 12 o'clock: counter-clockwise that is the top-right quarter.
    {"emf_pie_counterclockwise",
     [] {
         return EmfRed().Pie(0, 0, 100, 100, {100, 50}, {50, 0}).Build();
     },
     {{65, 35, kRed}, {35, 35, kWhite}, {35, 65, kWhite}, {65, 65, kWhite}}},
    {"emf_pie_clockwise",
     [] {
         return EmfRed().SetArcDirection(2).Pie(0, 0, 100, 100, {100, 50}, {50, 0}).Build();
     },
     {{65, 35, kWhite}, {35, 35, kRed}, {35, 65, kRed}, {65, 65, kRed}}},
    // With y counting up, logical (50, 100) is the top: the direction still holds on the screen.
    {"emf_pie_y_up",
     [] {
         return EmfRed()
             .SetMapMode(8)
             .SetWindowOrg(0, 100)
             .SetWindowExt(100, -100)
             .SetViewportExt(100, 100)
             .Pie(0, 0, 100, 100, {100, 50}, {50, 100})
             .Build();
     },
     {{65, 35, kRed}, {35, 35, kWhite}, {35, 65, kWhite}, {65, 65, kWhite}}},
    {"emf_pie_equal_radials_whole",
     [] {
         return EmfRed().Pie(0, 0, 100, 100, {100, 50}, {100, 50}).Build();
     },
     {{65, 35, kRed}, {35, 35, kRed}, {35, 65, kRed}, {65, 65, kRed}}},
    {"wmf_pie",
     [] {
         return WmfRed().Pie(0, 0, 100, 100, {100, 50}, {50, 0}).Placeable(0, 0, 100, 100, 96);
     },
     {{65, 35, kRed}, {35, 35, kWhite}, {65, 65, kWhite}}},
    {"emf_chord",
     [] {
         return EmfRed().Chord(0, 0, 100, 100, {100, 50}, {50, 0}).Build();
     },
     {{85, 25, kRed}, {60, 30, kWhite}, {50, 50, kWhite}}},
    {"emf_roundrect",
     [] { return EmfRed().RoundRect(0, 0, 100, 100, 60, 60).Build(); },
     {{50, 50, kRed}, {50, 2, kRed}, {2, 50, kRed}, {2, 2, kWhite}, {97, 97, kWhite}}},
    {"wmf_roundrect_and_ellipse",
     [] {
         return WmfRed()
             .RoundRect(0, 0, 50, 100, 50, 50)
             .Ellipse(50, 0, 100, 100)
             .Placeable(0, 0, 100, 100, 96);
     },
     {{25, 50, kRed}, {2, 2, kWhite}, {75, 50, kRed}, {52, 5, kWhite}}},
    {"emf_rectangle_with_thick_pen",
     [] {
         return EmfRed()
             .CreatePen(2, PS_SOLID, 10, kBlueRef)
             .SelectObject(2)
             .Rectangle(20, 20, 80, 80)
             .Build();
     },
     {{50, 50, kRed}, {21, 50, kBlue}, {50, 79, kBlue}, {10, 50, kWhite}}},
    {"emf_null_brush_outline_only",
     [] {
         return EmfRed()
             .CreatePen(2, PS_SOLID, 10, kBlueRef)
             .SelectObject(2)
             .SelectObject(TEmfBuilder::kNullBrush)
             .Rectangle(20, 20, 80, 80)
             .Build();
     },
     {{50, 50, kWhite}, {20, 50, kBlue}}},
    {"emf_polygon16",
     [] {
         return EmfRed().Points(3, {{50, 0}, {100, 0}, {100, 50}}, true).Build();
     },
     {{90, 10, kRed}, {60, 40, kWhite}, {25, 25, kWhite}}},
    {"emf_polygon",
     [] {
         return EmfRed().Points(3, {{50, 0}, {100, 0}, {100, 50}}).Build();
     },
     {{90, 10, kRed}, {60, 40, kWhite}}},
    {"wmf_polygon",
     [] {
         return WmfRed().Polygon({{50, 0}, {100, 0}, {100, 50}}).Placeable(0, 0, 100, 100, 96);
     },
     {{90, 10, kRed}, {60, 40, kWhite}}},
    {"emf_polypolygon_alternate",
     [] {
         return EmfRed()
             .SetPolyFillMode(1)
             .PolyPolygon(
                 {{{10, 10}, {90, 10}, {90, 90}, {10, 90}}, {{30, 30}, {70, 30}, {70, 70}, {30, 70}}})
             .Build();
     },
     {{20, 50, kRed}, {50, 50, kWhite}, {5, 5, kWhite}}},
    {"emf_polypolygon16_winding",
     [] {
         return EmfRed()
             .SetPolyFillMode(2)
             .PolyPolygon(
                 {{{10, 10}, {90, 10}, {90, 90}, {10, 90}}, {{30, 30}, {70, 30}, {70, 70}, {30, 70}}}, true)
             .Build();
     },
     {{20, 50, kRed}, {50, 50, kRed}, {5, 5, kWhite}}},
    {"wmf_polypolygon_alternate",
     [] {
         return WmfRed()
             .PolyPolygon(
                 {{{10, 10}, {90, 10}, {90, 90}, {10, 90}}, {{30, 30}, {70, 30}, {70, 70}, {30, 70}}})
             .Placeable(0, 0, 100, 100, 96);
     },
     {{20, 50, kRed}, {50, 50, kWhite}}},
    {"emf_polyline16_thick",
     [] {
         return EmfRed()
             .CreatePen(2, PS_SOLID, 10, kRedRef)
             .SelectObject(2)
             .Points(4, {{0, 50}, {100, 50}}, true)
             .Build();
     },
     {{50, 50, kRed}, {50, 47, kRed}, {50, 40, kWhite}}},
    {"wmf_moveto_lineto",
     [] {
         return WmfRed()
             .CreatePen(PS_SOLID, 10, kBlueRef)
             .SelectObject(2)
             .MoveTo(50, 0)
             .LineTo(50, 100)
             .Placeable(0, 0, 100, 100, 96);
     },
     {{50, 50, kBlue}, {40, 50, kWhite}}},
    {"emf_polylineto_from_current_position",
     [] {
         return EmfRed()
             .CreatePen(2, PS_SOLID, 10, kRedRef)
             .SelectObject(2)
             .MoveTo(10, 10)
             .Points(6, {{90, 10}, {90, 90}}, true)
             .Build();
     },
     {{50, 10, kRed}, {90, 50, kRed}, {10, 50, kWhite}, {50, 50, kWhite}}},
    {"emf_polybezier16_straight",
     [] {
         return EmfRed()
             .CreatePen(2, PS_SOLID, 10, kRedRef)
             .SelectObject(2)
             .Points(2, {{0, 50}, {30, 50}, {60, 50}, {100, 50}}, true)
             .Build();
     },
     {{50, 50, kRed}, {50, 40, kWhite}}},
    {"emf_polybezierto_after_moveto",
     [] {
         return EmfRed()
             .CreatePen(2, PS_SOLID, 10, kRedRef)
             .SelectObject(2)
             .MoveTo(50, 0)
             .Points(5, {{50, 30}, {50, 60}, {50, 100}})
             .Build();
     },
     {{50, 50, kRed}, {40, 50, kWhite}}},
    // The figure is recorded, not drawn: the blue pen must not show along its edges.
    {"emf_path_fill",
     [] {
         return EmfRed()
             .CreatePen(2, PS_SOLID, 10, kBlueRef)
             .SelectObject(2)
             .BeginPath()
             .MoveTo(10, 10)
             .Points(6, {{90, 10}, {90, 90}}, true)
             .LineTo(10, 90)
             .CloseFigure()
             .EndPath()
             .FillPath()
             .Build();
     },
     {{50, 50, kRed}, {11, 50, kRed}, {50, 11, kRed}, {5, 5, kWhite}}},
    {"emf_path_stroke",
     [] {
         return EmfRed()
             .CreatePen(2, PS_SOLID, 10, kBlueRef)
             .SelectObject(2)
             .BeginPath()
             .Rectangle(10, 10, 90, 90)
             .EndPath()
             .StrokePath()
             .Build();
     },
     {{50, 50, kWhite}, {10, 50, kBlue}, {50, 90, kBlue}}},
    {"emf_path_stroke_and_fill_with_bezier",
     [] {
         return EmfRed()
             .CreatePen(2, PS_SOLID, 10, kBlueRef)
             .SelectObject(2)
             .BeginPath()
             .MoveTo(10, 10)
             .Points(5, {{40, 10}, {60, 10}, {90, 10}})
             .LineTo(90, 90)
             .LineTo(10, 90)
             .CloseFigure()
             .EndPath()
             .Record(63, {0, 0, 0, 0})
             .Build();
     },
     {{50, 50, kRed}, {10, 50, kBlue}, {50, 10, kBlue}}},
    {"emf_path_aborted",
     [] { return EmfRed().BeginPath().Rectangle(10, 10, 90, 90).AbortPath().FillPath().Build(); },
     {{50, 50, kWhite}}},
    {"emf_path_unfinished_not_filled",
     [] { return EmfRed().BeginPath().Rectangle(10, 10, 90, 90).FillPath().Build(); },
     {{50, 50, kWhite}}},
    {"emf_text_opaque_rectangle",
     [] {
         return EmfRed().SetBkColor(kGreenRef).TextOut(0, 0, u"", 2, {50, 0, 100, 50}).Build();
     },
     TopRightOnly(kGreen)},
    {"wmf_text_opaque_rectangle",
     [] {
         return Box1000(WmfRed().SetBkColor(kGreenRef).ExtTextOut(0, 0, 2, {500, 0, 1000, 500}, ""));
     },
     TopRightOnly(kGreen)},
};

class MetafileDraw : public ::testing::TestWithParam<TDrawCase> {};

TEST_P(MetafileDraw, PaintsWhereExpected) {
    const TDrawCase& c = GetParam();
    ExpectProbes(Render(LoadBytes(c.Make())), c.Probes);
}

const auto kCaseName = [](const auto& row) { return std::string(row.param.Name); };
INSTANTIATE_TEST_SUITE_P(Mapping, MetafileDraw, ::testing::ValuesIn(kMappingCases), kCaseName);
INSTANTIATE_TEST_SUITE_P(State, MetafileDraw, ::testing::ValuesIn(kStateCases), kCaseName);
INSTANTIATE_TEST_SUITE_P(Shapes, MetafileDraw, ::testing::ValuesIn(kShapeCases), kCaseName);

// ---- The target rectangle.

TEST(MetafileTarget, PictureIsStretchedIntoRectAndClippedToIt) {
    // The second rectangle reaches far outside the frame; nothing may land outside the target.
    const TMetafile metafile =
        LoadBytes(EmfRed().Rectangle(0, 0, 50, 100).Rectangle(-500, 40, 500, 60).Build());
    const QImage image = Render(metafile, 100, 100, QRectF(50, 20, 40, 60));
    ExpectProbes(image, {{55, 25, kRed},
                         {69, 75, kRed},
                         {75, 30, kWhite},
                         {85, 50, kRed},
                         {45, 50, kWhite},
                         {95, 50, kWhite},
                         {60, 10, kWhite},
                         {60, 90, kWhite}});
    EXPECT_EQ(CountColor(image, kRed), 20 * 60 + 20 * 12);
}

TEST(MetafileTarget, FollowsThePaintersTransformAndKeepsItsState) {
    const TMetafile metafile = LoadBytes(EmfRed().Rectangle(50, 0, 100, 50).Build());
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    painter.translate(100, 100);
    painter.setPen(QColor(kBlue));
    const QTransform before = painter.transform();
    metafile.Draw(painter, QRectF(0, 0, 100, 100));
    EXPECT_EQ(painter.transform(), before);
    EXPECT_EQ(painter.pen().color(), QColor(kBlue));
    EXPECT_FALSE(painter.hasClipping());
    painter.end();
    ExpectProbes(image, {{175, 125, kRed}, {125, 125, kWhite}, {75, 25, kWhite}});
}

TEST(MetafileTarget, EmptyRectDrawsNothing) {
    const TMetafile metafile = LoadBytes(EmfRed().Rectangle(0, 0, 100, 100).Build());
    EXPECT_EQ(CountColor(Render(metafile, 100, 100, QRectF(10, 10, 0, 50)), kWhite), 100 * 100);
    EXPECT_EQ(CountColor(Render(TMetafile()), kWhite), 100 * 100);
}

// ---- Hatches and the background mode.

TEST(MetafileHatch, OpaqueBackgroundFillsBetweenTheLines) {
    for (const int mode : {1, 2}) {
        SCOPED_TRACE(mode == 2 ? "opaque" : "transparent");
        const TMetafile metafile = LoadBytes(TEmfBuilder()
                                                 .SelectObject(TEmfBuilder::kNullPen)
                                                 .CreateBrush(1, BS_HATCHED, kBlueRef, 0)
                                                 .SelectObject(1)
                                                 .SetBkColor(ColorRef(255, 255, 0))
                                                 .SetBkMode(mode)
                                                 .Rectangle(0, 0, 100, 100)
                                                 .Build());
        const QImage image = Render(metafile);
        const QRect inside(10, 10, 80, 80);
        EXPECT_GT(CountColor(image, kBlue, inside), 0);
        EXPECT_EQ(CountColor(image, mode == 2 ? kWhite : kYellow, inside), 0);
        EXPECT_GT(CountColor(image, mode == 2 ? kYellow : kWhite, inside), 0);
        // Horizontal hatching: every row is either all line or all background.
        for (int y = 10; y < 90; ++y)
            EXPECT_TRUE(CountColor(image, kBlue, QRect(10, y, 80, 1)) % 80 == 0) << "row " << y;
    }
}

// ---- Text. Glyphs need a font; the test machine has at least one.

class MetafileText : public ::testing::Test {
protected:
    void SetUp() override {
        if (QFontDatabase::families().isEmpty())
            GTEST_SKIP() << "no fonts installed";
    }

    // The box around every pixel of colour, or an empty rect.
    static QRect InkBox(const QImage& image, QRgb color) {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF))
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    static TMetafile Text(int align, int mode = 1, const std::vector<int>& dx = {},
                          const std::u16string& text = u"HH", int x = 50) {
        return LoadBytes(TEmfBuilder()
                             .CreateFont(1, -30, u"DejaVu Sans")
                             .SelectObject(1)
                             .SetTextColor(kBlueRef)
                             .SetBkColor(kGreenRef)
                             .SetBkMode(mode)
                             .SetTextAlign(align)
                             .TextOut(x, 50, text, 0, {0, 0, 0, 0}, dx)
                             .Build());
    }
};

TEST_F(MetafileText, AlignmentPlacesTheTextAroundTheReference) {
    const QRect left = InkBox(Render(Text(0)), kBlue);
    const QRect right = InkBox(Render(Text(2)), kBlue);
    const QRect center = InkBox(Render(Text(6)), kBlue);
    const QRect bottom = InkBox(Render(Text(8)), kBlue);
    ASSERT_FALSE(left.isEmpty());
    EXPECT_GE(left.left(), 50);
    EXPECT_GE(left.top(), 50); // top alignment: the text hangs below the reference
    EXPECT_LE(right.right(), 50);
    EXPECT_LT(center.left(), 50);
    EXPECT_GT(center.right(), 50);
    EXPECT_LE(bottom.bottom(), 50);
    EXPECT_NEAR(left.height(), 22, 4); // cap height of a 30-pixel font
}

TEST_F(MetafileText, AdvancesPlaceEachCharacter) {
    const QRect one = InkBox(Render(Text(0, 1, {}, u"H", 10)), kBlue);
    const QRect spread = InkBox(Render(Text(0, 1, {40, 40}, u"HH", 10)), kBlue);
    const QRect centred = InkBox(Render(Text(6, 1, {40, 40}, u"HH", 50)), kBlue);
    ASSERT_FALSE(one.isEmpty());
    EXPECT_EQ(spread.left(), one.left());
    EXPECT_EQ(spread.right(), one.right() + 40);
    // From 50, centred on the 80 pixels the advances add up to: it starts at 10 like the others.
    EXPECT_NEAR(centred.left(), one.left(), 1);
}

TEST_F(MetafileText, OpaqueModeFillsTheCells) {
    EXPECT_EQ(CountColor(Render(Text(0, 1)), kGreen), 0);
    const QImage opaque = Render(Text(0, 2));
    const QRect cells = InkBox(opaque, kGreen);
    ASSERT_FALSE(cells.isEmpty());
    EXPECT_TRUE(cells.contains(InkBox(opaque, kBlue)));
    EXPECT_EQ(cells.left(), 50);
    EXPECT_EQ(cells.top(), 50);
}

TEST_F(MetafileText, StaysUprightWhenYCountsUp) {
    // The same reference point and height, once with y down and once with y up.
    const auto make = [](bool yUp) {
        TEmfBuilder b;
        b.SetMapMode(8).SetViewportExt(100, 100);
        if (yUp)
            b.SetWindowOrg(0, 100).SetWindowExt(100, -100);
        else
            b.SetWindowExt(100, 100);
        b.CreateFont(1, -30, u"DejaVu Sans").SelectObject(1).SetTextColor(kBlueRef).SetBkMode(1);
        return LoadBytes(b.TextOut(20, yUp ? 70 : 30, u"Lj").Build());
    };
    const QImage down = Render(make(false));
    EXPECT_GT(CountColor(down, kBlue), 0);
    EXPECT_EQ(Render(make(true)), down);
}

TEST_F(MetafileText, WmfTextOutUsesTheSelectedFont) {
    const auto make = [](int height) {
        return LoadBytes(TWmfBuilder()
                             .CreateFont(height, "DejaVu Sans")
                             .SelectObject(0)
                             .SetTextColor(kBlueRef)
                             .SetBkMode(1)
                             .TextOut(10, 10, "H")
                             .Placeable(0, 0, 100, 100, 96));
    };
    const QRect small = InkBox(Render(make(-20)), kBlue);
    const QRect large = InkBox(Render(make(-60)), kBlue);
    ASSERT_FALSE(small.isEmpty());
    EXPECT_NEAR(static_cast<double>(large.height()) / small.height(), 3.0, 0.3);
    EXPECT_GE(small.left(), 10);
    EXPECT_GE(small.top(), 10);
}

TEST_F(MetafileText, UpdateCurrentPositionChainsTexts) {
    const auto make = [](bool second) {
        TEmfBuilder b;
        b.CreateFont(1, -30, u"DejaVu Sans").SelectObject(1).SetTextColor(kBlueRef).SetBkMode(1);
        b.SetTextAlign(1).MoveTo(5, 30).TextOut(0, 0, u"H");
        if (second)
            b.SetTextColor(kRedRef).TextOut(0, 0, u"H");
        return LoadBytes(b.Build());
    };
    const QImage image = Render(make(true));
    const QRect first = InkBox(image, kBlue);
    const QRect second = InkBox(image, kRed);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_GE(first.left(), 5);
    EXPECT_GT(second.left(), first.right());
    EXPECT_EQ(second.top(), first.top());
}

} // namespace
} // namespace tintwell::test
