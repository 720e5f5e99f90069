// Windows metafiles (WMF): the optional 22-byte placeable header, the 18-byte META_HEADER and the
// records after it, each a 32-bit size in 16-bit words, a 16-bit function number and parameters.
// Coordinates are 16-bit and most records list their parameters in reverse order (y before x,
// bottom-right before top-left).

#include <algorithm>
#include <cmath>
#include <optional>

#include "imaging/display_info.h"
#include "imaging/metafile/metafile_builder.h"

namespace tintwell::metafile {
namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kMetaHeaderSize = 18;

// The resolution assumed for a plain WMF, which does not say how large its units are: one unit is
// one pixel of a 96 dpi display, the resolution Windows assumes for screen metafiles.
constexpr double kPlainUnitsPerInch = 96;

enum : std::uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_EXTTEXTOUT = 0x0A32,
};

int ToPixels(double units, double unitsPerInch, int dpi) {
    const double pixels = std::round(std::abs(units) * dpi / unitsPerInch);
    return static_cast<int>(std::clamp(pixels, 0.0, 2147483647.0));
}

class TWmfReader {
public:
    explicit TWmfReader(std::size_t objects) : FBuilder(false), FObjects(objects) {}

    // Translates one record; false when it is malformed, which ends the reading.
    bool Record(std::uint16_t function, TBytes p);

    TProgramBuilder& Builder() noexcept { return FBuilder; }
    // The window as first set by the file, the size of a plain WMF.
    const std::optional<QRect>& FirstWindow() const noexcept { return FFirstWindow; }

private:
    bool CreateObject(TObjectTable::TEntry entry);
    bool Points(TOp op, TBytes p);
    bool PolyPolygon(TBytes p);
    bool TextOut(TBytes p);
    bool ExtTextOut(TBytes p);
    TFont Font(TBytes p) const;

    TProgramBuilder FBuilder;
    TObjectTable FObjects;
    QPoint FWindowOrg;
    std::optional<QRect> FFirstWindow; // normalised: a negative extent only flips the mapping
};

bool TWmfReader::CreateObject(TObjectTable::TEntry entry) {
    // With the table full, GDI cannot create the object; the slots of later objects do not move.
    const std::uint32_t slot = FObjects.LowestFree();
    if (FObjects.Contains(slot))
        FObjects.Put(slot, entry);
    return true;
}

bool TWmfReader::Points(TOp op, TBytes p) {
    const std::uint16_t count = p.U16(0);
    if (!p.Has(0, 2) || !p.HasArray(2, count, 4))
        return false;
    std::vector<QPoint> points(count);
    for (std::size_t i = 0; i < count; ++i)
        points[i] = QPoint(p.I16(2 + 4 * i), p.I16(4 + 4 * i));
    FBuilder.AddPoints(op, std::move(points));
    return true;
}

bool TWmfReader::PolyPolygon(TBytes p) {
    const std::uint16_t polygons = p.U16(0);
    if (!p.Has(0, 2) || !p.HasArray(2, polygons, 2))
        return false;
    std::vector<std::uint32_t> counts(polygons);
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < polygons; ++i) {
        counts[i] = p.U16(2 + 2 * i);
        total += counts[i];
    }
    const std::size_t first = 2 + 2 * std::size_t{polygons};
    if (!p.HasArray(first, total, 4))
        return false;
    std::vector<QPoint> points(static_cast<std::size_t>(total));
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = QPoint(p.I16(first + 4 * i), p.I16(first + 4 * i + 2));
    FBuilder.AddPolyPoly(TOp::PolyPolygon, std::move(counts), std::move(points));
    return true;
}

bool TWmfReader::TextOut(TBytes p) {
    const std::uint16_t length = p.U16(0);
    const std::size_t padded = (std::size_t{length} + 1) & ~std::size_t{1};
    if (!p.Has(0, 2) || !p.Has(2 + padded, 4))
        return false;
    TText text;
    text.Text = DecodeAnsi(p, 2, length);
    text.Reference = QPoint(p.I16(2 + padded + 2), p.I16(2 + padded));
    FBuilder.AddText(std::move(text));
    return true;
}

bool TWmfReader::ExtTextOut(TBytes p) {
    if (!p.Has(0, 8))
        return false;
    TText text;
    text.Reference = QPoint(p.I16(2), p.I16(0));
    const std::uint16_t length = p.U16(4);
    text.Options = p.U16(6);
    std::size_t offset = 8;
    if (text.Options & (ETO_OPAQUE | ETO_CLIPPED)) {
        if (!p.Has(offset, 8))
            return false;
        text.Rect =
            QRect(QPoint(p.I16(offset), p.I16(offset + 2)), QPoint(p.I16(offset + 4), p.I16(offset + 6)));
        offset += 8;
    }
    if (!p.Has(offset, length))
        return false;
    text.Text = DecodeAnsi(p, offset, length);
    offset += (std::size_t{length} + 1) & ~std::size_t{1};
    // The advances are optional: writers leave them out when the font's own spacing is meant.
    if (length > 0 && p.HasArray(offset, length, 2)) {
        text.Dx.resize(length);
        for (std::size_t i = 0; i < length; ++i)
            text.Dx[i] = p.I16(offset + 2 * i);
    }
    FBuilder.AddText(std::move(text));
    return true;
}

TFont TWmfReader::Font(TBytes p) const {
    TFont font;
    font.Height = p.I16(0);
    font.Escapement = p.I16(4);
    font.Weight = std::clamp<std::int32_t>(p.I16(8), 0, 1000);
    font.Italic = p.U8(10) != 0;
    font.Underline = p.U8(11) != 0;
    font.StrikeOut = p.U8(12) != 0;
    font.FixedPitch = (p.U8(17) & 0x03) == 1;
    std::size_t length = 0;
    while (length < 32 && p.Has(18 + length, 1) && p.U8(18 + length) != 0)
        ++length;
    font.Face = DecodeAnsi(p, 18, length);
    return font;
}

bool TWmfReader::Record(std::uint16_t function, TBytes p) {
    using TKind = TObjectTable::TKind;
    TProgramBuilder& b = FBuilder;
    switch (function) {
    case META_SETBKCOLOR:
    case META_SETTEXTCOLOR:
        if (!p.Has(0, 4))
            return false;
        b.AddColor(function == META_SETBKCOLOR ? TOp::SetBkColor : TOp::SetTextColor, p.U32(0));
        return true;
    case META_SETBKMODE:
    case META_SETPOLYFILLMODE: {
        if (!p.Has(0, 2))
            return false;
        const std::uint16_t mode = p.U16(0);
        if (mode == 1 || mode == 2)
            b.Add(function == META_SETBKMODE ? TOp::SetBkMode : TOp::SetPolyFillMode, {mode});
        return true;
    }
    case META_SETMAPMODE:
        if (!p.Has(0, 2))
            return false;
        if (p.U16(0) >= MM_TEXT && p.U16(0) <= MM_ANISOTROPIC)
            b.Add(TOp::SetMapMode, {p.U16(0)});
        return true;
    case META_SETTEXTALIGN:
        if (!p.Has(0, 2))
            return false;
        b.Add(TOp::SetTextAlign, {p.U16(0)});
        return true;
    case META_SETWINDOWORG:
    case META_SETWINDOWEXT:
    case META_SETVIEWPORTORG:
    case META_SETVIEWPORTEXT:
    case META_OFFSETWINDOWORG:
    case META_OFFSETVIEWPORTORG: {
        if (!p.Has(0, 4))
            return false;
        const std::int32_t y = p.I16(0), x = p.I16(2);
        static constexpr std::pair<std::uint16_t, TOp> kOps[] = {
            {META_SETWINDOWORG, TOp::SetWindowOrg},       {META_SETWINDOWEXT, TOp::SetWindowExt},
            {META_SETVIEWPORTORG, TOp::SetViewportOrg},   {META_SETVIEWPORTEXT, TOp::SetViewportExt},
            {META_OFFSETWINDOWORG, TOp::OffsetWindowOrg}, {META_OFFSETVIEWPORTORG, TOp::OffsetViewportOrg}};
        const TOp op = std::find_if(std::begin(kOps), std::end(kOps), [&](auto& e) {
                           return e.first == function;
                       })->second;
        b.AddMapping(op, x, y);
        if (function == META_SETWINDOWORG)
            FWindowOrg = QPoint(x, y);
        else if (function == META_OFFSETWINDOWORG)
            FWindowOrg += QPoint(x, y);
        else if (function == META_SETWINDOWEXT && !FFirstWindow && x != 0 && y != 0)
            FFirstWindow = QRect(std::min(FWindowOrg.x(), FWindowOrg.x() + x),
                                 std::min(FWindowOrg.y(), FWindowOrg.y() + y), std::abs(x), std::abs(y));
        return true;
    }
    case META_SCALEWINDOWEXT:
    case META_SCALEVIEWPORTEXT: {
        if (!p.Has(0, 8))
            return false;
        const std::int32_t yDenom = p.I16(0), yNum = p.I16(2), xDenom = p.I16(4), xNum = p.I16(6);
        if (xDenom != 0 && yDenom != 0)
            b.Add(function == META_SCALEWINDOWEXT ? TOp::ScaleWindowExt : TOp::ScaleViewportExt,
                  {xNum, xDenom, yNum, yDenom});
        return true;
    }
    case META_SAVEDC: return b.SaveDC();
    case META_RESTOREDC:
        if (!p.Has(0, 2))
            return false;
        b.RestoreDC(p.I16(0));
        return true;
    case META_INTERSECTCLIPRECT:
        if (!p.Has(0, 8))
            return false;
        b.AddRect(TOp::IntersectClipRect, p.I16(6), p.I16(4), p.I16(2), p.I16(0));
        return true;
    case META_CREATEPENINDIRECT:
        if (!p.Has(0, 10))
            return false;
        return CreateObject({TKind::Pen, b.AddPen({p.U16(0), p.I16(2), ColorRefToRgb(p.U32(6))})});
    case META_CREATEBRUSHINDIRECT: {
        if (!p.Has(0, 8))
            return false;
        const std::uint16_t style = p.U16(0);
        const TBrush brush =
            style <= 2 ? TBrush{style, p.U16(6), ColorRefToRgb(p.U32(2))} : TProgramBuilder::PatternBrush();
        return CreateObject({TKind::Brush, b.AddBrush(brush)});
    }
    case META_CREATEFONTINDIRECT:
        if (!p.Has(0, 18))
            return false;
        return CreateObject({TKind::Font, b.AddFont(Font(p))});
    case META_CREATEPATTERNBRUSH:
    case META_DIBCREATEPATTERNBRUSH:
        return CreateObject({TKind::Brush, b.AddBrush(TProgramBuilder::PatternBrush())});
    case META_CREATEPALETTE:
    case META_CREATEREGION: return CreateObject({TKind::Other, 0});
    case META_SELECTOBJECT:
    case META_DELETEOBJECT: {
        if (!p.Has(0, 2))
            return false;
        const std::uint16_t slot = p.U16(0);
        if (!FObjects.Contains(slot))
            return false;
        // A deleted object stays in use where it is selected: GDI keeps it until it is replaced.
        if (function == META_SELECTOBJECT)
            b.Select(FObjects.Get(slot));
        else
            FObjects.Erase(slot);
        return true;
    }
    case META_MOVETO:
    case META_LINETO:
        if (!p.Has(0, 4))
            return false;
        if (function == META_MOVETO)
            b.Add(TOp::MoveTo, {p.I16(2), p.I16(0)});
        else
            b.AddPoints(TOp::PolylineTo, {QPoint(p.I16(2), p.I16(0))});
        return true;
    case META_POLYLINE: return Points(TOp::Polyline, p);
    case META_POLYGON: return Points(TOp::Polygon, p);
    case META_POLYPOLYGON: return PolyPolygon(p);
    case META_RECTANGLE:
    case META_ELLIPSE:
        if (!p.Has(0, 8))
            return false;
        b.AddRect(function == META_RECTANGLE ? TOp::Rectangle : TOp::Ellipse, p.I16(6), p.I16(4), p.I16(2),
                  p.I16(0));
        return true;
    case META_ROUNDRECT:
        if (!p.Has(0, 12))
            return false;
        b.AddRect(TOp::RoundRect, p.I16(10), p.I16(8), p.I16(6), p.I16(4), {p.I16(2), p.I16(0)});
        return true;
    case META_ARC:
    case META_PIE:
    case META_CHORD: {
        if (!p.Has(0, 16))
            return false;
        const TOp op = function == META_ARC ? TOp::Arc : function == META_PIE ? TOp::Pie : TOp::Chord;
        b.AddRect(op, p.I16(14), p.I16(12), p.I16(10), p.I16(8), {p.I16(6), p.I16(4), p.I16(2), p.I16(0)});
        return true;
    }
    case META_TEXTOUT: return TextOut(p);
    case META_EXTTEXTOUT: return ExtTextOut(p);
    default: return true; // not drawn here: bitmaps, regions, escapes, raster operations
    }
}

} // namespace

TProgram ParseWmf(std::span<const std::uint8_t> data) {
    const TBytes bytes(data);
    std::size_t header = 0;
    std::optional<QRect> box;
    double unitsPerInch = kPlainUnitsPerInch;
    if (bytes.Has(0, 4) && bytes.U32(0) == kPlaceableKey) {
        // The checksum (XOR of the first ten words) is not checked: writers often get it wrong, and
        // the key, box and resolution already tell a placeable header from anything else.
        if (!bytes.Has(0, kPlaceableSize))
            RaiseInvalid();
        const std::int32_t left = bytes.I16(6), top = bytes.I16(8), right = bytes.I16(10),
                           bottom = bytes.I16(12);
        unitsPerInch = bytes.U16(14);
        if (left == right || top == bottom || unitsPerInch == 0)
            RaiseInvalid();
        box = QRect(std::min(left, right), std::min(top, bottom), std::abs(right - left),
                    std::abs(bottom - top));
        header = kPlaceableSize;
    }
    if (!bytes.Has(header, kMetaHeaderSize))
        RaiseInvalid();
    const std::uint16_t type = bytes.U16(header), headerWords = bytes.U16(header + 2),
                        version = bytes.U16(header + 4);
    const std::uint64_t fileBytes = std::uint64_t{bytes.U32(header + 6)} * 2;
    if ((type != 1 && type != 2) || headerWords != kMetaHeaderSize / 2 ||
        (version != 0x0100 && version != 0x0300) || fileBytes < kMetaHeaderSize ||
        fileBytes > bytes.Size() - header)
        RaiseInvalid();

    TWmfReader reader(bytes.U16(header + 10));
    const TBytes records = bytes.Sub(header, static_cast<std::size_t>(fileBytes));
    std::size_t pos = kMetaHeaderSize;
    while (records.Has(pos, 6)) {
        const std::uint64_t size = std::uint64_t{records.U32(pos)} * 2;
        const std::uint16_t function = records.U16(pos + 4);
        // A record shorter than its own header or longer than what is left would stall or overrun.
        if (size < 6 || size > records.Size() - pos || function == META_EOF)
            break;
        if (!reader.Record(function, records.Sub(pos + 6, static_cast<std::size_t>(size) - 6)))
            break;
        pos += static_cast<std::size_t>(size);
    }

    TProgram program = reader.Builder().Take();
    const TDisplayInfo& display = DisplayInfo();
    QRect frame;
    if (box) {
        frame = *box;
    } else if (reader.FirstWindow()) {
        frame = *reader.FirstWindow();
    } else if (const QRect drawn = reader.Builder().DrawingBounds(); !drawn.isNull()) {
        // Without a window the picture is whatever it draws, at least one unit across.
        frame =
            QRect(drawn.topLeft(), QSize(std::max(drawn.width() - 1, 1), std::max(drawn.height() - 1, 1)));
    }
    if (!frame.isEmpty()) {
        program.Frame = QRectF(frame.x(), frame.y(), frame.width(), frame.height());
        program.Width = ToPixels(frame.width(), unitsPerInch, display.DpiX);
        program.Height = ToPixels(frame.height(), unitsPerInch, display.DpiY);
        program.DevicePerMmX = program.DevicePerMmY = unitsPerInch / 25.4;
        // The file's window maps onto the frame: playback starts anisotropic with window and
        // viewport both equal to the frame, so records that set the window stretch it over the frame.
        program.Initial.Mode = MM_ANISOTROPIC;
        program.Initial.WindowOrg = program.Initial.ViewportOrg = program.Frame.topLeft();
        program.Initial.WindowExt = program.Initial.ViewportExt = QPointF(frame.width(), frame.height());
    }
    return program;
}

} // namespace tintwell::metafile
