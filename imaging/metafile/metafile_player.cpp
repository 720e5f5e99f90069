// Plays the internal form of a metafile with QPainter, the way GDI plays one into a device
// context: logical coordinates go through the world transform (EMF), the window-to-viewport
// mapping of the map mode, and finally the stretch of the picture's frame onto the target
// rectangle. Shapes are mapped into painter coordinates here rather than by the painter's
// transform, because GDI keeps text upright, measures pen widths and arc directions in device space,
// and a y-up map mode would otherwise mirror all three.

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "imaging/metafile/metafile_program.h"

namespace tintwell::metafile {
namespace {

// Painter coordinates past this are not drawn. No preview is that large, and it keeps absurd
// scales (a 2^31 extent over a 1-unit window) away from Qt's stroker and rasterizer.
constexpr double kCoordinateLimit = 1e7;
// Widest pen (QPen's own limit) and largest glyphs drawn, in painter units; larger ones are drawn
// at this size.
constexpr double kMaxPenWidth = 32767;
constexpr double kMaxTextPixels = 4096;
// A font of height 0 asks for the device's default font, about this tall on a 96 dpi screen.
constexpr double kDefaultTextPixels = 16;

bool Sane(const QRectF& box) {
    return std::isfinite(box.left()) && std::isfinite(box.right()) && std::isfinite(box.top()) &&
           std::isfinite(box.bottom()) && std::abs(box.left()) < kCoordinateLimit &&
           std::abs(box.right()) < kCoordinateLimit && std::abs(box.top()) < kCoordinateLimit &&
           std::abs(box.bottom()) < kCoordinateLimit;
}

bool Finite(const QTransform& m) {
    return std::isfinite(m.m11()) && std::isfinite(m.m12()) && std::isfinite(m.m21()) &&
           std::isfinite(m.m22()) && std::isfinite(m.dx()) && std::isfinite(m.dy());
}

QRectF Box(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    return QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
}

// The window-to-viewport mapping of one device context.
QTransform PageTransform(const TMapping& map) {
    double sx = map.ViewportExt.x() / map.WindowExt.x();
    double sy = map.ViewportExt.y() / map.WindowExt.y();
    if (map.Mode == MM_ISOTROPIC) {
        // GDI shrinks the viewport extent on the longer side so that units are square.
        const double s = std::min(std::abs(sx), std::abs(sy));
        sx = std::copysign(s, sx);
        sy = std::copysign(s, sy);
    }
    return QTransform(sx, 0, 0, sy, map.ViewportOrg.x() - map.WindowOrg.x() * sx,
                      map.ViewportOrg.y() - map.WindowOrg.y() * sy);
}

// The font GDI would choose for f at this size in painter pixels, as near as Qt's fonts come.
QFont TextFont(const TFont& f, double pixels) {
    QFont font;
    if (!f.Face.isEmpty())
        font.setFamily(f.Face);
    if (f.FixedPitch)
        font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(static_cast<int>(std::lround(std::min(pixels, kMaxTextPixels))));
    if (f.Weight > 0)
        font.setWeight(static_cast<QFont::Weight>(f.Weight));
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    return font;
}

// Where each UTF-16 unit of a text starts along the baseline, and the whole run's advance, in
// painter units. With advances each character sits where the writer placed it; without, the font
// spaces them and Offsets is empty.
struct TGlyphRun {
    std::vector<double> Offsets;
    double Advance = 0;
};

TGlyphRun GlyphRun(const TText& text, double sx, const QFontMetricsF& metrics) {
    TGlyphRun run;
    if (!text.Dx.empty()) {
        run.Offsets.reserve(text.Dx.size());
        for (const std::int32_t dx : text.Dx) {
            run.Offsets.push_back(run.Advance);
            run.Advance += dx * sx;
        }
    } else {
        run.Advance = metrics.horizontalAdvance(text.Text);
    }
    return run;
}

// Where the run begins relative to its reference point: along the baseline by the horizontal
// alignment, across it by the vertical one.
QPointF TextStart(std::uint32_t align, double advance, const QFontMetricsF& metrics) {
    const double x0 = (align & TA_CENTER) == TA_CENTER ? -advance / 2 : (align & TA_RIGHT) ? -advance : 0;
    const double baseline = (align & TA_BASELINE) == TA_BASELINE ? 0
                            : (align & TA_BOTTOM)                ? -metrics.descent()
                                                                 : metrics.ascent();
    return {x0, baseline};
}

struct TDc {
    TMapping Map;
    QTransform World;
    std::uint32_t Pen = kDefaultPen;
    std::uint32_t Brush = kDefaultBrush;
    std::uint32_t Font = kDefaultFont;
    QRgb TextColor = qRgb(0, 0, 0);
    QRgb BkColor = qRgb(255, 255, 255);
    std::int32_t BkMode = OPAQUE;
    std::int32_t FillMode = ALTERNATE;
    std::int32_t ArcDirection = AD_COUNTERCLOCKWISE;
    std::uint32_t TextAlign = 0;
    QPointF Current;
    std::optional<QRectF> Clip; // painter coordinates, within the target rectangle
};

class TPlayer {
public:
    TPlayer(const TProgram& program, QPainter& painter, const QRectF& rect);
    ~TPlayer() { FPainter.restore(); }
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;

    void Run();

private:
    void Execute(const TRecord& r);
    QTransform Transform() const { return FDc.World * PageTransform(FDc.Map) * FOuter; }
    void SetMapMode(std::int32_t mode);
    void ApplyClip();

    QPen Pen(const QTransform& m) const;
    QBrush Brush() const;
    QPolygonF Points(std::uint32_t first, std::uint32_t count) const;
    void Paint(const QPainterPath& mapped, const QPen& pen, const QBrush& brush);
    // Draws a shape given in logical coordinates, or adds it to the path being recorded.
    void Shape(const QPainterPath& logical, bool fill);
    // Draws (or records) a figure that continues from the current position.
    void Continue(const QPainterPath& logical);
    bool ArcSweep(const QRectF& box, QPointF start, QPointF end, double& startAngle, double& sweep) const;
    void ArcShape(const TRecord& r);
    void Text(const TText& text);
    // The box of the text's options: filled with the background colour, clipping the characters.
    void TextBox(const TText& text, const QTransform& m);
    // Draws the characters with the reference point at origin; returns their advance in painter
    // units.
    double DrawTextRun(const TText& text, const TFont& f, double pixels, double sx, QPointF origin);
    void FinishPath(TOp op);

    const TProgram& FProgram;
    QPainter& FPainter;
    QRectF FRect;
    QTransform FOuter; // the frame onto the target rectangle
    TDc FDc;
    std::vector<TDc> FSaved;
    QPainterPath FPath; // painter coordinates
    bool FInPath = false;
    bool FPathReady = false;
    bool FFigureOpen = false;
};

TPlayer::TPlayer(const TProgram& program, QPainter& painter, const QRectF& rect)
    : FProgram(program), FPainter(painter), FRect(rect) {
    const QRectF& frame = program.Frame;
    const double sx = rect.width() / frame.width(), sy = rect.height() / frame.height();
    FOuter = QTransform(sx, 0, 0, sy, rect.left() - frame.left() * sx, rect.top() - frame.top() * sy);
    FDc.Map = program.Initial;
    FPainter.setClipRect(rect, Qt::IntersectClip);
    FPainter.save(); // the level that ApplyClip replaces
}

void TPlayer::Run() {
    for (const TRecord& r : FProgram.Records)
        Execute(r);
}

void TPlayer::SetMapMode(std::int32_t mode) {
    if (mode == FDc.Map.Mode)
        return;
    // Millimetres per logical unit of the metric modes; negative y: they count upwards.
    double mm = 0;
    switch (mode) {
    case MM_LOMETRIC:
    case MM_ISOTROPIC: // starts from the extents of MM_LOMETRIC, as in GDI
        mm = 0.1;
        break;
    case MM_HIMETRIC: mm = 0.01; break;
    case MM_LOENGLISH: mm = 0.254; break;
    case MM_HIENGLISH: mm = 0.0254; break;
    case MM_TWIPS: mm = 25.4 / 1440; break;
    default: break;
    }
    FDc.Map.Mode = mode;
    if (mode == MM_ANISOTROPIC)
        return; // keeps the extents of the mode before
    FDc.Map.WindowExt = QPointF(1, 1);
    FDc.Map.ViewportExt =
        mode == MM_TEXT ? QPointF(1, 1) : QPointF(mm * FProgram.DevicePerMmX, -mm * FProgram.DevicePerMmY);
}

void TPlayer::ApplyClip() {
    FPainter.restore();
    FPainter.save();
    if (FDc.Clip)
        FPainter.setClipRect(*FDc.Clip, Qt::IntersectClip);
}

QPen TPlayer::Pen(const QTransform& m) const {
    const TPen& pen = FProgram.Pens[FDc.Pen];
    const std::uint32_t style = pen.Style & 0x0F;
    constexpr std::uint32_t PS_NULL = 5;
    if (style == PS_NULL)
        return Qt::NoPen;
    QPen q{QColor(pen.Color)};
    // GDI scales a pen's width like a horizontal distance and never draws thinner than a pixel.
    const double width = std::abs(static_cast<double>(pen.Width)) * std::hypot(m.m11(), m.m12());
    const bool thin = !(width > 1.0);
    if (thin) {
        q.setWidth(0); // cosmetic: one device pixel
        q.setCapStyle(Qt::FlatCap);
    } else {
        q.setWidthF(std::min(width, kMaxPenWidth));
        const std::uint32_t cap = pen.Style & 0x0F00, join = pen.Style & 0xF000;
        q.setCapStyle(cap == 0x0100 ? Qt::SquareCap : cap == 0x0200 ? Qt::FlatCap : Qt::RoundCap);
        q.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
    }
    // Only pens one unit wide or less are styled; GDI draws wider ones solid.
    if (pen.Width >= -1 && pen.Width <= 1) {
        static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                                   Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                                   Qt::SolidLine,   Qt::SolidLine,      Qt::DotLine};
        if (style < std::size(kStyles))
            q.setStyle(kStyles[style]);
    }
    return q;
}

QBrush TPlayer::Brush() const {
    const TBrush& brush = FProgram.Brushes[FDc.Brush];
    constexpr std::uint32_t BS_NULL = 1, BS_HATCHED = 2;
    if (brush.Style == BS_NULL)
        return Qt::NoBrush;
    if (brush.Style == BS_HATCHED) {
        static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                      Qt::FDiagPattern, Qt::BDiagPattern,
                                                      Qt::CrossPattern, Qt::DiagCrossPattern};
        if (brush.Hatch < std::size(kHatches))
            return QBrush(QColor(brush.Color), kHatches[brush.Hatch]);
    }
    return QBrush(QColor(brush.Color));
}

QPolygonF TPlayer::Points(std::uint32_t first, std::uint32_t count) const {
    QPolygonF polygon;
    polygon.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        polygon.append(QPointF(FProgram.Points[first + i]));
    return polygon;
}

void TPlayer::Paint(const QPainterPath& mapped, const QPen& pen, const QBrush& brush) {
    if (!Sane(mapped.controlPointRect()))
        return;
    // The background shows through the gaps of hatches and styled pens only when it is opaque.
    FPainter.setBackgroundMode(FDc.BkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    FPainter.setBackground(QColor(FDc.BkColor));
    FPainter.setPen(pen);
    FPainter.setBrush(brush);
    FPainter.drawPath(mapped);
}

void TPlayer::Shape(const QPainterPath& logical, bool fill) {
    const QTransform m = Transform();
    if (!Finite(m))
        return;
    QPainterPath mapped = m.map(logical);
    if (FInPath) {
        FPath.addPath(mapped);
        FFigureOpen = false;
        return;
    }
    mapped.setFillRule(FDc.FillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    Paint(mapped, Pen(m), fill ? Brush() : QBrush(Qt::NoBrush));
}

void TPlayer::Continue(const QPainterPath& logical) {
    const QTransform m = Transform();
    if (!Finite(m))
        return;
    const QPainterPath mapped = m.map(logical);
    if (!FInPath) {
        Paint(mapped, Pen(m), Qt::NoBrush);
        return;
    }
    // The figure goes on from where the last one stopped, or starts at the current position.
    if (!FFigureOpen)
        FPath.moveTo(mapped.elementAt(0));
    for (int i = 1; i < mapped.elementCount(); ++i) {
        const QPainterPath::Element e = mapped.elementAt(i);
        if (e.isCurveTo() && i + 2 < mapped.elementCount()) {
            FPath.cubicTo(e, mapped.elementAt(i + 1), mapped.elementAt(i + 2));
            i += 2;
        } else if (e.isMoveTo()) {
            FPath.moveTo(e);
        } else {
            FPath.lineTo(e);
        }
    }
    FFigureOpen = true;
}

bool TPlayer::ArcSweep(const QRectF& box, QPointF start, QPointF end, double& startAngle,
                       double& sweep) const {
    if (!(box.width() > 0 && box.height() > 0))
        return false;
    // Qt's angles: degrees, counter-clockwise on screen, the point at angle a being
    // (cx + rx cos a, cy - ry sin a); the radial points need not lie on the ellipse.
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2;
    const auto angle = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / std::numbers::pi;
    };
    startAngle = angle(start);
    sweep = std::fmod(angle(end) - startAngle, 360.0);
    if (sweep <= 0)
        sweep += 360; // equal radials draw the whole ellipse
    // GDI's direction holds on the device; a mirroring mapping reverses it in logical space.
    const bool counterClockwise = FDc.ArcDirection == AD_COUNTERCLOCKWISE;
    if (counterClockwise == (Transform().determinant() < 0))
        sweep -= 360;
    if (sweep == 0)
        sweep = -360;
    return true;
}

void TPlayer::ArcShape(const TRecord& r) {
    const QRectF box = Box(r.Args[0], r.Args[1], r.Args[2], r.Args[3]);
    double start = 0, sweep = 0;
    if (!ArcSweep(box, QPointF(r.Args[4], r.Args[5]), QPointF(r.Args[6], r.Args[7]), start, sweep))
        return;
    QPainterPath path;
    switch (r.Op) {
    case TOp::Arc:
        path.arcMoveTo(box, start);
        path.arcTo(box, start, sweep);
        Shape(path, false);
        break;
    case TOp::ArcTo: {
        path.moveTo(FDc.Current);
        path.arcTo(box, start, sweep); // the line from the current position comes with it
        Continue(path);
        FDc.Current = path.currentPosition();
        break;
    }
    case TOp::Pie:
        path.moveTo(box.center());
        path.arcTo(box, start, sweep);
        path.closeSubpath();
        Shape(path, true);
        break;
    default: // Chord
        path.arcMoveTo(box, start);
        path.arcTo(box, start, sweep);
        path.closeSubpath();
        Shape(path, true);
        break;
    }
}

void TPlayer::Text(const TText& text) {
    if (FInPath)
        return; // glyph outlines are not followed into paths
    const QTransform m = Transform();
    if (!Finite(m))
        return;
    const bool updateCp = FDc.TextAlign & TA_UPDATECP;
    const QPointF reference = updateCp ? FDc.Current : QPointF(text.Reference);
    const QPointF origin = m.map(reference);
    if (!Sane(QRectF(origin, QSizeF(0, 0))))
        return;
    const double sx = std::hypot(m.m11(), m.m12()), sy = std::hypot(m.m21(), m.m22());

    FPainter.save();
    TextBox(text, m);
    const TFont& f = FProgram.Fonts[FDc.Font];
    const double pixels = f.Height == 0 ? kDefaultTextPixels : std::abs(static_cast<double>(f.Height)) * sy;
    double advance = 0; // painter units along the baseline
    if (!text.Text.isEmpty() && pixels >= 0.5)
        advance = DrawTextRun(text, f, pixels, sx, origin);
    FPainter.restore();

    if (updateCp && sx > 0) {
        const std::uint32_t align = FDc.TextAlign;
        const double logical = advance / sx;
        if ((align & TA_CENTER) != TA_CENTER)
            FDc.Current.rx() += (align & TA_RIGHT) ? -logical : logical;
    }
}

void TPlayer::TextBox(const TText& text, const QTransform& m) {
    if (!(text.Options & (ETO_OPAQUE | ETO_CLIPPED)))
        return;
    QPainterPath box;
    box.addRect(Box(text.Rect.left(), text.Rect.top(), text.Rect.right(), text.Rect.bottom()));
    box = m.map(box);
    if (!Sane(box.controlPointRect()))
        return;
    if (text.Options & ETO_OPAQUE)
        FPainter.fillPath(box, QColor(FDc.BkColor));
    if (text.Options & ETO_CLIPPED)
        FPainter.setClipPath(box, Qt::IntersectClip);
}

double TPlayer::DrawTextRun(const TText& text, const TFont& f, double pixels, double sx, QPointF origin) {
    const QFont font = TextFont(f, pixels);
    const QFontMetricsF metrics(font);
    const TGlyphRun run = GlyphRun(text, sx, metrics);
    const double advance = run.Advance;
    const QPointF start = TextStart(FDc.TextAlign, advance, metrics);
    FPainter.translate(origin);
    FPainter.rotate(-std::fmod(static_cast<double>(f.Escapement), 3600.0) / 10.0);
    if (FDc.BkMode == OPAQUE && std::abs(advance) < kCoordinateLimit)
        FPainter.fillRect(
            QRectF(start.x(), start.y() - metrics.ascent(), advance, metrics.ascent() + metrics.descent()),
            QColor(FDc.BkColor));
    FPainter.setFont(font);
    FPainter.setPen(QColor(FDc.TextColor));
    if (run.Offsets.empty()) {
        FPainter.drawText(start, text.Text);
        return advance;
    }
    const qsizetype n = text.Text.size();
    for (qsizetype i = 0; i < n;) {
        const qsizetype length = text.Text.at(i).isHighSurrogate() && i + 1 < n ? 2 : 1;
        const double x = start.x() + run.Offsets[static_cast<std::size_t>(i)];
        if (std::abs(x) < kCoordinateLimit)
            FPainter.drawText(QPointF(x, start.y()), text.Text.mid(i, length));
        i += length;
    }
    return advance;
}

void TPlayer::FinishPath(TOp op) {
    if (!FPathReady)
        return;
    FPath.setFillRule(FDc.FillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    Paint(FPath, op == TOp::FillPath ? QPen(Qt::NoPen) : Pen(Transform()),
          op == TOp::StrokePath ? QBrush(Qt::NoBrush) : Brush());
    FPath.clear();
    FPathReady = false;
}

void TPlayer::Execute(const TRecord& r) {
    const auto& a = r.Args;
    TMapping& map = FDc.Map;
    const bool extents = map.Mode == MM_ISOTROPIC || map.Mode == MM_ANISOTROPIC;
    switch (r.Op) {
    case TOp::SetWindowOrg: map.WindowOrg = QPointF(a[0], a[1]); break;
    case TOp::SetViewportOrg: map.ViewportOrg = QPointF(a[0], a[1]); break;
    case TOp::OffsetWindowOrg: map.WindowOrg += QPointF(a[0], a[1]); break;
    case TOp::OffsetViewportOrg: map.ViewportOrg += QPointF(a[0], a[1]); break;
    case TOp::SetWindowExt:
        if (extents)
            map.WindowExt = QPointF(a[0], a[1]);
        break;
    case TOp::SetViewportExt:
        if (extents)
            map.ViewportExt = QPointF(a[0], a[1]);
        break;
    case TOp::ScaleWindowExt:
    case TOp::ScaleViewportExt: {
        QPointF& ext = r.Op == TOp::ScaleWindowExt ? map.WindowExt : map.ViewportExt;
        const QPointF scaled(ext.x() * a[0] / a[1], ext.y() * a[2] / a[3]);
        if (extents && std::isfinite(scaled.x()) && std::isfinite(scaled.y()) && scaled.x() != 0 &&
            scaled.y() != 0)
            ext = scaled;
        break;
    }
    case TOp::SetMapMode: SetMapMode(a[0]); break;
    case TOp::ModifyWorldTransform: {
        const QTransform& x = FProgram.Transforms[r.First];
        switch (a[0]) {
        case 1: FDc.World.reset(); break;
        case 2: FDc.World = x * FDc.World; break;
        case 3: FDc.World = FDc.World * x; break;
        default: FDc.World = x; break;
        }
        break;
    }
    case TOp::SaveDC: FSaved.push_back(FDc); break;
    case TOp::RestoreDC: {
        const std::size_t pops = std::min(static_cast<std::size_t>(a[0]), FSaved.size());
        if (pops == 0)
            break;
        FDc = FSaved[FSaved.size() - pops];
        FSaved.resize(FSaved.size() - pops);
        ApplyClip();
        break;
    }
    case TOp::IntersectClipRect: {
        const QTransform m = Transform();
        const QRectF box = Finite(m) ? m.mapRect(Box(a[0], a[1], a[2], a[3])) : QRectF();
        FDc.Clip = Sane(box) ? FDc.Clip.value_or(FRect).intersected(box) : FDc.Clip;
        ApplyClip();
        break;
    }
    case TOp::SelectPen: FDc.Pen = r.First; break;
    case TOp::SelectBrush: FDc.Brush = r.First; break;
    case TOp::SelectFont: FDc.Font = r.First; break;
    case TOp::SetTextColor: FDc.TextColor = r.First; break;
    case TOp::SetBkColor: FDc.BkColor = r.First; break;
    case TOp::SetBkMode: FDc.BkMode = a[0]; break;
    case TOp::SetPolyFillMode: FDc.FillMode = a[0]; break;
    case TOp::SetTextAlign: FDc.TextAlign = static_cast<std::uint32_t>(a[0]); break;
    case TOp::SetArcDirection: FDc.ArcDirection = a[0]; break;
    case TOp::MoveTo:
        FDc.Current = QPointF(a[0], a[1]);
        if (FInPath && Finite(Transform())) {
            FPath.moveTo(Transform().map(FDc.Current));
            FFigureOpen = true;
        }
        break;
    case TOp::PolylineTo: {
        const QPolygonF points = Points(r.First, r.Count);
        QPainterPath path(FDc.Current);
        for (const QPointF& p : points)
            path.lineTo(p);
        Continue(path);
        FDc.Current = points.back();
        break;
    }
    case TOp::PolyBezierTo: {
        const QPolygonF points = Points(r.First, r.Count);
        QPainterPath path(FDc.Current);
        for (qsizetype i = 0; i + 2 < points.size(); i += 3)
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
        Continue(path);
        FDc.Current = points.back();
        break;
    }
    case TOp::PolyBezier: {
        const QPolygonF points = Points(r.First, r.Count);
        QPainterPath path(points.front());
        for (qsizetype i = 1; i + 2 < points.size(); i += 3)
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
        Shape(path, false);
        break;
    }
    case TOp::Polyline:
    case TOp::Polygon: {
        QPainterPath path;
        path.addPolygon(Points(r.First, r.Count));
        if (r.Op == TOp::Polygon)
            path.closeSubpath();
        Shape(path, r.Op == TOp::Polygon);
        break;
    }
    case TOp::PolyPolygon:
    case TOp::PolyPolyline: {
        QPainterPath path;
        std::uint32_t point = r.Extra;
        for (std::uint32_t i = 0; i < r.Count; ++i) {
            const std::uint32_t count = FProgram.PolyCounts[r.First + i];
            if (count >= 2) {
                path.addPolygon(Points(point, count));
                if (r.Op == TOp::PolyPolygon)
                    path.closeSubpath();
            }
            point += count;
        }
        Shape(path, r.Op == TOp::PolyPolygon);
        break;
    }
    case TOp::Rectangle:
    case TOp::Ellipse:
    case TOp::RoundRect: {
        const QRectF box = Box(a[0], a[1], a[2], a[3]);
        QPainterPath path;
        if (r.Op == TOp::Rectangle)
            path.addRect(box);
        else if (r.Op == TOp::Ellipse)
            path.addEllipse(box);
        else
            path.addRoundedRect(box, std::abs(a[4] / 2.0), std::abs(a[5] / 2.0));
        Shape(path, true);
        break;
    }
    case TOp::Arc:
    case TOp::ArcTo:
    case TOp::Pie:
    case TOp::Chord: ArcShape(r); break;
    case TOp::Text: Text(FProgram.Texts[r.First]); break;
    case TOp::BeginPath:
        FPath.clear();
        FInPath = true;
        FPathReady = false;
        FFigureOpen = false;
        break;
    case TOp::EndPath:
        FPathReady = FInPath;
        FInPath = false;
        break;
    case TOp::CloseFigure:
        if (FInPath) {
            FPath.closeSubpath();
            FFigureOpen = false;
        }
        break;
    case TOp::FillPath:
    case TOp::StrokePath:
    case TOp::StrokeAndFillPath:
        if (!FInPath)
            FinishPath(r.Op);
        break;
    case TOp::AbortPath:
        FPath.clear();
        FInPath = FPathReady = false;
        break;
    }
}

} // namespace

void Play(const TProgram& program, QPainter& painter, const QRectF& rect) noexcept {
    if (program.Frame.isEmpty() || rect.isEmpty() || !painter.isActive() || !Sane(rect))
        return;
    painter.save();
    try {
        TPlayer player(program, painter, rect);
        player.Run();
    } catch (...) {
        // Only memory can run out here; the picture stays as far as it was drawn.
    }
    painter.restore();
}

} // namespace tintwell::metafile
