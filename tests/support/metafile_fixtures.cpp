#include "support/fixtures.h"
#include "support/metafile_writer.h"

namespace tintwell::test {

// One file of each kind, together touching most of what the reader follows: mapping, objects,
// saved states, every shape, text, paths and the world transform.
std::vector<TFixtureFile> MetafileFixtures() {
    TWmfBuilder placeable;
    placeable.SetWindowOrg(0, 0)
        .SetWindowExt(2000, 1000)
        .CreatePen(PS_SOLID, 20, ColorRef(0, 0, 128))
        .CreateBrush(BS_SOLID, ColorRef(220, 40, 40))
        .CreateBrush(BS_HATCHED, ColorRef(40, 160, 40), 5)
        .SelectObject(0)
        .SelectObject(1)
        .Rectangle(100, 100, 900, 500)
        .SaveDC()
        .SelectObject(2)
        .Ellipse(1000, 100, 1900, 900)
        .RestoreDC(-1)
        .RoundRect(100, 600, 900, 900, 200, 200)
        .Pie(1100, 200, 1800, 800, {1800, 500}, {1450, 200})
        .Polygon({{200, 950}, {600, 700}, {1000, 950}})
        .DeleteObject(2)
        .CreateFont(-120, "Arial", 700)
        .SelectObject(2)
        .SetTextColor(ColorRef(255, 255, 255))
        .SetBkMode(1)
        .TextOut(150, 150, "Tintwell");

    TWmfBuilder plain;
    plain.SetMapMode(8)
        .SetWindowOrg(0, 400)
        .SetWindowExt(600, -400)
        .CreateBrush(BS_SOLID, ColorRef(30, 90, 200))
        .SelectObject(0)
        .SetPolyFillMode(1)
        .PolyPolygon(
            {{{50, 50}, {550, 50}, {550, 350}, {50, 350}}, {{150, 150}, {450, 150}, {450, 250}, {150, 250}}})
        .MoveTo(0, 0)
        .LineTo(600, 400)
        .Polyline({{0, 400}, {300, 200}, {600, 400}})
        .Arc(100, 100, 500, 300, {500, 200}, {100, 200})
        .ExtTextOut(60, 380, 2, {60, 380, 300, 340}, "plain", {40, 40, 40, 40, 40});

    TEmfBuilder text;
    text.Frame(0, 0, 5080, 2540)
        .Bounds(0, 0, 199, 99)
        .CreateFont(1, -30, u"DejaVu Sans", 400)
        .SelectObject(1)
        .SetTextColor(ColorRef(0, 0, 0))
        .SetBkColor(ColorRef(255, 255, 0))
        .TextOut(10, 10, u"Left")
        .SetTextAlign(2)
        .SetBkMode(1)
        .TextOut(190, 50, u"Right", 2, {100, 50, 190, 90}, {12, 12, 12, 12, 12})
        .SetTextAlign(24 | 6)
        .CreateFont(2, -20, u"DejaVu Serif", 700, 450)
        .SelectObject(2)
        .TextOut(100, 90, u"\u00C9t\u00E9");

    TEmfBuilder shapes;
    shapes.CreatePen(1, PS_DASH, 1, ColorRef(0, 0, 0))
        .SelectObject(1)
        .SelectObject(TEmfBuilder::kGrayBrush)
        .Rectangle(5, 5, 45, 45)
        .Ellipse(55, 5, 95, 45)
        .CreateBrush(2, BS_SOLID, ColorRef(200, 0, 0))
        .SelectObject(2)
        .Points(3, {{5, 55}, {45, 55}, {25, 95}}, true)
        .Points(2, {{55, 95}, {60, 50}, {90, 50}, {95, 95}}, true)
        .BeginPath()
        .MoveTo(60, 60)
        .Points(6, {{90, 60}, {90, 90}}, true)
        .LineTo(60, 90)
        .CloseFigure()
        .EndPath()
        .FillPath()
        .SaveDC()
        .SetMapMode(8)
        .SetWindowExt(10, 10)
        .SetViewportExt(100, 100)
        .SetWorldTransform(1, 0, 0, 1, 1, 1)
        .Chord(0, 0, 3, 3, {3, 1}, {1, 0})
        .RestoreDC(-1)
        .DeleteObject(2)
        .SelectObject(TEmfBuilder::kNullBrush)
        .RoundRect(2, 2, 98, 98, 20, 20);

    return {{"shapes_placeable.wmf", placeable.Placeable(0, 0, 2000, 1000, 1000)},
            {"plain.wmf", plain.Plain()},
            {"text.emf", text.Build()},
            {"shapes.emf", shapes.Build()}};
}

} // namespace tintwell::test
