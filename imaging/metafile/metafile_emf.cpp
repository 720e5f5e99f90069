// Enhanced metafiles (EMF): an EMR_HEADER record with the " EMF" signature, then records of a
// 32-bit type and a 32-bit size in bytes (a multiple of 4, the header included). Coordinates are
// 32-bit, or 16-bit in the records whose names end in 16.

#include <algorithm>
#include <cmath>

#include "imaging/display_info.h"
#include "imaging/metafile/metafile_builder.h"

namespace tintwell::metafile {
namespace {

constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::size_t kHeaderSize = 88;          // up to szlMillimeters
constexpr std::uint32_t kStockObject = 0x80000000;

enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_CREATEPALETTE = 49,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_SETARCDIRECTION = 57,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_ABORTPATH = 68,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
};

int ToPixels(double pixels) { return static_cast<int>(std::clamp(std::round(pixels), 0.0, 2147483647.0)); }

class TEmfReader {
public:
    explicit TEmfReader(std::size_t handles) : FBuilder(true), FObjects(std::max<std::size_t>(handles, 1)) {}

    // Translates one record (r spans it, its type and size included); false when it is malformed,
    // which ends the reading.
    bool Record(std::uint32_t type, TBytes r);

    TProgramBuilder& Builder() noexcept { return FBuilder; }

private:
    bool CreateObject(TBytes r, TObjectTable::TEntry entry);
    bool SelectStock(std::uint32_t stock);
    bool Points(TOp op, TBytes r, bool small);
    bool PolyPoly(TOp op, TBytes r, bool small);
    bool Text(TBytes r, bool wide);
    static TFont Font(TBytes r);

    TProgramBuilder FBuilder;
    TObjectTable FObjects;
};

QPoint PointAt(TBytes r, std::size_t offset, bool small) {
    return small ? QPoint(r.I16(offset), r.I16(offset + 2)) : QPoint(r.I32(offset), r.I32(offset + 4));
}

bool TEmfReader::CreateObject(TBytes r, TObjectTable::TEntry entry) {
    // Slot 0 stands for the metafile itself; an object there or past the table is malformed.
    const std::uint32_t slot = r.U32(8);
    if (slot == 0 || !FObjects.Contains(slot))
        return false;
    FObjects.Put(slot, entry);
    return true;
}

bool TEmfReader::SelectStock(std::uint32_t stock) {
    using TKind = TObjectTable::TKind;
    static constexpr TObjectTable::TEntry kStock[] = {
        {TKind::Brush, kDefaultBrush}, {TKind::Brush, kLtGrayBrush},
        {TKind::Brush, kGrayBrush},    {TKind::Brush, kDkGrayBrush},
        {TKind::Brush, kBlackBrush},   {TKind::Brush, kNullBrush},
        {TKind::Pen, kWhitePen},       {TKind::Pen, kDefaultPen},
        {TKind::Pen, kNullPen},        {TKind::Empty, 0},
        {TKind::Font, kFixedFont},     {TKind::Font, kFixedFont},
        {TKind::Font, kDefaultFont},   {TKind::Font, kDefaultFont},
        {TKind::Font, kDefaultFont},   {TKind::Other, 0},
        {TKind::Font, kFixedFont},     {TKind::Font, kDefaultFont},
        {TKind::Brush, kDefaultBrush}, {TKind::Pen, kDefaultPen}, // DC_BRUSH and DC_PEN keep their defaults
    };
    if (stock < std::size(kStock))
        FBuilder.Select(kStock[stock]);
    return true;
}

bool TEmfReader::Points(TOp op, TBytes r, bool small) {
    const std::uint32_t count = r.U32(24);
    const std::size_t size = small ? 4 : 8;
    if (!r.Has(24, 4) || !r.HasArray(28, count, size))
        return false;
    std::vector<QPoint> points(count);
    for (std::size_t i = 0; i < count; ++i)
        points[i] = PointAt(r, 28 + size * i, small);
    FBuilder.AddPoints(op, std::move(points));
    return true;
}

bool TEmfReader::PolyPoly(TOp op, TBytes r, bool small) {
    const std::uint32_t polys = r.U32(24), total = r.U32(28);
    const std::size_t size = small ? 4 : 8;
    if (!r.Has(24, 8) || !r.HasArray(32, polys, 4))
        return false;
    const std::size_t first = 32 + 4 * std::size_t{polys};
    if (!r.HasArray(first, total, size))
        return false;
    std::vector<std::uint32_t> counts(polys);
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < polys; ++i) {
        counts[i] = r.U32(32 + 4 * i);
        sum += counts[i];
    }
    if (sum != total)
        return false;
    std::vector<QPoint> points(total);
    for (std::size_t i = 0; i < total; ++i)
        points[i] = PointAt(r, first + size * i, small);
    FBuilder.AddPolyPoly(op, std::move(counts), std::move(points));
    return true;
}

bool TEmfReader::Text(TBytes r, bool wide) {
    // EMRTEXT follows the bounds, graphics mode and scales; its offsets count from the record start.
    constexpr std::size_t kFixed = 76;
    if (!r.Has(0, kFixed))
        return false;
    TText text;
    text.Reference = PointAt(r, 36, false);
    const std::uint32_t chars = r.U32(44), offString = r.U32(48), offDx = r.U32(72);
    text.Options = r.U32(52);
    text.Rect = QRect(QPoint(r.I32(56), r.I32(60)), QPoint(r.I32(64), r.I32(68)));
    const std::size_t unit = wide ? 2 : 1;
    if (chars > 0 && !r.HasArray(offString, chars, unit))
        return false;
    constexpr std::uint32_t ETO_GLYPH_INDEX = 0x0010, ETO_PDY = 0x2000;
    // Glyph indexes name glyphs of the writer's font, which is not here: only the rectangle is kept.
    if (!(text.Options & ETO_GLYPH_INDEX)) {
        if (wide) {
            std::vector<char16_t> units(chars);
            for (std::size_t i = 0; i < chars; ++i)
                units[i] = static_cast<char16_t>(r.U16(offString + 2 * i));
            text.Text = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
        } else {
            text.Text = DecodeAnsi(r, offString, chars);
        }
    }
    // With ETO_PDY each advance is an x, y pair; only x is followed.
    const std::size_t step = (text.Options & ETO_PDY) ? 8 : 4;
    if (!text.Text.isEmpty() && static_cast<std::size_t>(text.Text.size()) == chars && offDx >= kFixed &&
        r.HasArray(offDx, chars, step)) {
        text.Dx.resize(chars);
        for (std::size_t i = 0; i < chars; ++i)
            text.Dx[i] = r.I32(offDx + step * i);
    }
    FBuilder.AddText(std::move(text));
    return true;
}

TFont TEmfReader::Font(TBytes r) {
    TFont font;
    font.Height = r.I32(12);
    font.Escapement = r.I32(20);
    font.Weight = std::clamp(r.I32(28), 0, 1000);
    font.Italic = r.U8(32) != 0;
    font.Underline = r.U8(33) != 0;
    font.StrikeOut = r.U8(34) != 0;
    font.FixedPitch = (r.U8(39) & 0x03) == 1;
    std::vector<char16_t> face;
    for (std::size_t i = 0; i < 32 && r.Has(40 + 2 * i, 2) && r.U16(40 + 2 * i) != 0; ++i)
        face.push_back(static_cast<char16_t>(r.U16(40 + 2 * i)));
    font.Face = QString::fromUtf16(face.data(), static_cast<qsizetype>(face.size()));
    return font;
}

bool TEmfReader::Record(std::uint32_t type, TBytes r) {
    using TKind = TObjectTable::TKind;
    TProgramBuilder& b = FBuilder;
    const auto need = [&](std::size_t bytes) { return r.Has(0, bytes); };
    switch (type) {
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX: {
        if (!need(16))
            return false;
        const TOp op = type == EMR_SETWINDOWEXTEX     ? TOp::SetWindowExt
                       : type == EMR_SETWINDOWORGEX   ? TOp::SetWindowOrg
                       : type == EMR_SETVIEWPORTEXTEX ? TOp::SetViewportExt
                                                      : TOp::SetViewportOrg;
        b.AddMapping(op, r.I32(8), r.I32(12));
        return true;
    }
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX:
        if (!need(24))
            return false;
        if (r.I32(12) != 0 && r.I32(20) != 0)
            b.Add(type == EMR_SCALEWINDOWEXTEX ? TOp::ScaleWindowExt : TOp::ScaleViewportExt,
                  {r.I32(8), r.I32(12), r.I32(16), r.I32(20)});
        return true;
    case EMR_SETMAPMODE:
        if (!need(12))
            return false;
        if (r.U32(8) >= MM_TEXT && r.U32(8) <= MM_ANISOTROPIC)
            b.Add(TOp::SetMapMode, {r.I32(8)});
        return true;
    case EMR_SETBKMODE:
    case EMR_SETPOLYFILLMODE:
    case EMR_SETARCDIRECTION: {
        if (!need(12))
            return false;
        const std::uint32_t mode = r.U32(8);
        if (mode == 1 || mode == 2)
            b.Add(type == EMR_SETBKMODE         ? TOp::SetBkMode
                  : type == EMR_SETPOLYFILLMODE ? TOp::SetPolyFillMode
                                                : TOp::SetArcDirection,
                  {static_cast<std::int32_t>(mode)});
        return true;
    }
    case EMR_SETTEXTALIGN:
        if (!need(12))
            return false;
        b.Add(TOp::SetTextAlign, {static_cast<std::int32_t>(r.U32(8) & 0xFFFF)});
        return true;
    case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR:
        if (!need(12))
            return false;
        b.AddColor(type == EMR_SETTEXTCOLOR ? TOp::SetTextColor : TOp::SetBkColor, r.U32(8));
        return true;
    case EMR_MOVETOEX:
    case EMR_LINETO:
        if (!need(16))
            return false;
        if (type == EMR_MOVETOEX)
            b.Add(TOp::MoveTo, {r.I32(8), r.I32(12)});
        else
            b.AddPoints(TOp::PolylineTo, {PointAt(r, 8, false)});
        return true;
    case EMR_INTERSECTCLIPRECT:
        if (!need(24))
            return false;
        b.AddRect(TOp::IntersectClipRect, r.I32(8), r.I32(12), r.I32(16), r.I32(20));
        return true;
    case EMR_SAVEDC: return b.SaveDC();
    case EMR_RESTOREDC:
        if (!need(12))
            return false;
        // An EMF restores relative to the top only; a positive number is refused, as by GDI.
        if (r.I32(8) < 0)
            b.RestoreDC(r.I32(8));
        return true;
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
        if (!need(type == EMR_SETWORLDTRANSFORM ? 32 : 36))
            return false;
        double m[6];
        for (std::size_t i = 0; i < 6; ++i)
            m[i] = r.F32(8 + 4 * i);
        const std::int32_t mode = type == EMR_SETWORLDTRANSFORM ? 4 : r.I32(32);
        // A singular or non-finite matrix is refused, as SetWorldTransform refuses it.
        const bool finite =
            std::all_of(std::begin(m), std::end(m), [](double v) { return std::isfinite(v); });
        if (mode >= 1 && mode <= 4 && finite && (mode == 1 || m[0] * m[3] - m[1] * m[2] != 0))
            b.AddTransform(mode, QTransform(m[0], m[1], m[2], m[3], m[4], m[5]));
        return true;
    }
    case EMR_CREATEPEN:
        if (!need(28))
            return false;
        return CreateObject(r, {TKind::Pen, b.AddPen({r.U32(12), r.I32(16), ColorRefToRgb(r.U32(24))})});
    case EMR_EXTCREATEPEN: {
        if (!need(48))
            return false;
        constexpr std::uint32_t BS_NULL = 1, PS_NULL = 5;
        std::uint32_t style = r.U32(28);
        if (r.U32(36) == BS_NULL)
            style = (style & ~0x0Fu) | PS_NULL;
        return CreateObject(r, {TKind::Pen, b.AddPen({style & 0xFFFF, r.I32(32), ColorRefToRgb(r.U32(40))})});
    }
    case EMR_CREATEBRUSHINDIRECT: {
        if (!need(24))
            return false;
        const std::uint32_t style = r.U32(12);
        const TBrush brush =
            style <= 2 ? TBrush{style, r.U32(20), ColorRefToRgb(r.U32(16))} : TProgramBuilder::PatternBrush();
        return CreateObject(r, {TKind::Brush, b.AddBrush(brush)});
    }
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
        if (!need(12))
            return false;
        return CreateObject(r, {TKind::Brush, b.AddBrush(TProgramBuilder::PatternBrush())});
    case EMR_CREATEPALETTE:
        if (!need(12))
            return false;
        return CreateObject(r, {TKind::Other, 0});
    case EMR_EXTCREATEFONTINDIRECTW:
        if (!need(40))
            return false;
        return CreateObject(r, {TKind::Font, b.AddFont(Font(r))});
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT: {
        if (!need(12))
            return false;
        const std::uint32_t slot = r.U32(8);
        if (slot & kStockObject)
            return type == EMR_SELECTOBJECT ? SelectStock(slot & ~kStockObject) : true;
        if (slot == 0 || !FObjects.Contains(slot))
            return false;
        // A deleted object stays in use where it is selected: GDI keeps it until it is replaced.
        if (type == EMR_SELECTOBJECT)
            b.Select(FObjects.Get(slot));
        else
            FObjects.Erase(slot);
        return true;
    }
    case EMR_POLYBEZIER:
    case EMR_POLYBEZIER16: return Points(TOp::PolyBezier, r, type == EMR_POLYBEZIER16);
    case EMR_POLYGON:
    case EMR_POLYGON16: return Points(TOp::Polygon, r, type == EMR_POLYGON16);
    case EMR_POLYLINE:
    case EMR_POLYLINE16: return Points(TOp::Polyline, r, type == EMR_POLYLINE16);
    case EMR_POLYBEZIERTO:
    case EMR_POLYBEZIERTO16: return Points(TOp::PolyBezierTo, r, type == EMR_POLYBEZIERTO16);
    case EMR_POLYLINETO:
    case EMR_POLYLINETO16: return Points(TOp::PolylineTo, r, type == EMR_POLYLINETO16);
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYLINE16: return PolyPoly(TOp::PolyPolyline, r, type == EMR_POLYPOLYLINE16);
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYGON16: return PolyPoly(TOp::PolyPolygon, r, type == EMR_POLYPOLYGON16);
    case EMR_RECTANGLE:
    case EMR_ELLIPSE:
        if (!need(24))
            return false;
        b.AddRect(type == EMR_RECTANGLE ? TOp::Rectangle : TOp::Ellipse, r.I32(8), r.I32(12), r.I32(16),
                  r.I32(20));
        return true;
    case EMR_ROUNDRECT:
        if (!need(32))
            return false;
        b.AddRect(TOp::RoundRect, r.I32(8), r.I32(12), r.I32(16), r.I32(20), {r.I32(24), r.I32(28)});
        return true;
    case EMR_ARC:
    case EMR_ARCTO:
    case EMR_PIE:
    case EMR_CHORD: {
        if (!need(40))
            return false;
        const TOp op = type == EMR_ARC     ? TOp::Arc
                       : type == EMR_ARCTO ? TOp::ArcTo
                       : type == EMR_PIE   ? TOp::Pie
                                           : TOp::Chord;
        b.AddRect(op, r.I32(8), r.I32(12), r.I32(16), r.I32(20),
                  {r.I32(24), r.I32(28), r.I32(32), r.I32(36)});
        return true;
    }
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW: return Text(r, type == EMR_EXTTEXTOUTW);
    case EMR_BEGINPATH:
    case EMR_ENDPATH:
    case EMR_CLOSEFIGURE:
    case EMR_FILLPATH:
    case EMR_STROKEANDFILLPATH:
    case EMR_STROKEPATH:
    case EMR_ABORTPATH: {
        static constexpr std::pair<std::uint32_t, TOp> kOps[] = {
            {EMR_BEGINPATH, TOp::BeginPath},
            {EMR_ENDPATH, TOp::EndPath},
            {EMR_CLOSEFIGURE, TOp::CloseFigure},
            {EMR_FILLPATH, TOp::FillPath},
            {EMR_STROKEANDFILLPATH, TOp::StrokeAndFillPath},
            {EMR_STROKEPATH, TOp::StrokePath},
            {EMR_ABORTPATH, TOp::AbortPath}};
        b.Add(std::find_if(std::begin(kOps), std::end(kOps), [&](const auto& e) {
                  return e.first == type;
              })->second);
        return true;
    }
    default: return true; // not drawn here: bitmaps, regions, palettes, comments (EMF+ included)
    }
}

} // namespace

TProgram ParseEmf(std::span<const std::uint8_t> data) {
    const TBytes bytes(data);
    if (!bytes.Has(0, kHeaderSize) || bytes.U32(0) != EMR_HEADER || bytes.U32(40) != kSignature)
        RaiseInvalid();
    const std::uint32_t headerSize = bytes.U32(4), fileBytes = bytes.U32(48);
    if (headerSize < kHeaderSize || headerSize % 4 != 0 || headerSize > fileBytes || fileBytes > bytes.Size())
        RaiseInvalid();

    TEmfReader reader(bytes.U16(56));
    const TBytes records = bytes.Sub(0, fileBytes);
    std::size_t pos = headerSize;
    while (records.Has(pos, 8)) {
        const std::uint32_t type = records.U32(pos), size = records.U32(pos + 4);
        // A size under 8 would stall; one past the end or off the 4-byte grid would overrun.
        if (size < 8 || size % 4 != 0 || size > records.Size() - pos || type == EMR_EOF)
            break;
        if (!reader.Record(type, records.Sub(pos, size)))
            break;
        pos += size;
    }

    TProgram program = reader.Builder().Take();
    const TDisplayInfo& display = DisplayInfo();
    const std::int64_t bl = bytes.I32(8), bt = bytes.I32(12), br = bytes.I32(16), bb = bytes.I32(20);
    const std::int64_t fl = bytes.I32(24), ft = bytes.I32(28), fr = bytes.I32(32), fb = bytes.I32(36);
    const std::int32_t deviceX = bytes.I32(72), deviceY = bytes.I32(76), mmX = bytes.I32(80),
                       mmY = bytes.I32(84);
    if (deviceX > 0 && deviceY > 0 && mmX > 0 && mmY > 0) {
        program.DevicePerMmX = static_cast<double>(deviceX) / mmX;
        program.DevicePerMmY = static_cast<double>(deviceY) / mmY;
    }
    if (fr > fl && fb > ft) {
        // The frame is in hundredths of a millimetre; playback maps it, in reference-device
        // pixels, onto the target rectangle.
        const double kx = program.DevicePerMmX / 100, ky = program.DevicePerMmY / 100;
        program.Frame = QRectF(QPointF(static_cast<double>(fl) * kx, static_cast<double>(ft) * ky),
                               QPointF(static_cast<double>(fr) * kx, static_cast<double>(fb) * ky));
        program.Width = ToPixels(static_cast<double>(fr - fl) * display.DpiX / 2540);
        program.Height = ToPixels(static_cast<double>(fb - ft) * display.DpiY / 2540);
    } else if (br >= bl && bb >= bt) {
        // Without a frame the bounds, inclusive and in device pixels, stand for it.
        program.Frame = QRectF(QPointF(static_cast<double>(bl), static_cast<double>(bt)),
                               QPointF(static_cast<double>(br + 1), static_cast<double>(bb + 1)));
        program.Width = ToPixels(static_cast<double>(br + 1 - bl));
        program.Height = ToPixels(static_cast<double>(bb + 1 - bt));
    }
    return program;
}

TProgram ParseMetafile(std::span<const std::uint8_t> bytes) {
    // A plain WMF begins with its type (1 or 2) and header size (9) as two 16-bit words, so a first
    // 32-bit word of exactly 1 can only be an EMF header.
    if (bytes.size() > kMaxMetafileBytes)
        RaiseInvalid();
    const TBytes b(bytes);
    if (b.Has(0, 4) && b.U32(0) == EMR_HEADER)
        return ParseEmf(bytes);
    return ParseWmf(bytes);
}

} // namespace tintwell::metafile
