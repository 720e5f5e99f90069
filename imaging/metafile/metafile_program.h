#pragma once

// The internal form of a metafile: its records validated once at load and translated into a flat
// list of drawing operations that both WMF and EMF share. Everything the player indexes (points,
// polygon counts, pens, brushes, fonts, texts, transforms) is checked here, so playback does no
// validation and cannot fail. Private to imaging/.

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QtGui/qrgb.h>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

class QPainter;

namespace tintwell::metafile {

// GDI's map modes, by their numbers in both formats.
enum TMapMode : std::int32_t {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8,
};

// Text alignment flags (SETTEXTALIGN) and text-out options (EXTTEXTOUT), as GDI numbers them.
inline constexpr std::uint32_t TA_UPDATECP = 0x0001;
inline constexpr std::uint32_t TA_RIGHT = 0x0002;
inline constexpr std::uint32_t TA_CENTER = 0x0006;
inline constexpr std::uint32_t TA_BOTTOM = 0x0008;
inline constexpr std::uint32_t TA_BASELINE = 0x0018;
inline constexpr std::uint32_t ETO_OPAQUE = 0x0002;
inline constexpr std::uint32_t ETO_CLIPPED = 0x0004;

// Background modes and polygon fill modes.
inline constexpr std::int32_t TRANSPARENT = 1;
inline constexpr std::int32_t OPAQUE = 2;
inline constexpr std::int32_t ALTERNATE = 1;
inline constexpr std::int32_t WINDING = 2;
inline constexpr std::int32_t AD_COUNTERCLOCKWISE = 1;
inline constexpr std::int32_t AD_CLOCKWISE = 2;

enum class TOp : std::uint8_t {
    // Mapping: Args[0], Args[1] are x and y (extents are never 0).
    SetWindowOrg,
    SetWindowExt,
    SetViewportOrg,
    SetViewportExt,
    OffsetWindowOrg,
    OffsetViewportOrg,
    // Args: x numerator, x denominator, y numerator, y denominator (denominators never 0).
    ScaleWindowExt,
    ScaleViewportExt,
    SetMapMode, // Args[0]: 1 to 8
    // First: index into Transforms; Args[0]: 1 identity, 2 left multiply, 3 right multiply, 4 set.
    ModifyWorldTransform,
    SaveDC,
    RestoreDC,         // Args[0]: how many saved states to pop, 1 to the depth at that point
    IntersectClipRect, // Args[0..3]: left, top, right, bottom
    // First: index into Pens, Brushes or Fonts.
    SelectPen,
    SelectBrush,
    SelectFont,
    SetTextColor,    // First: the colour as QRgb
    SetBkColor,      // First: the colour as QRgb
    SetBkMode,       // Args[0]: TRANSPARENT or OPAQUE
    SetPolyFillMode, // Args[0]: ALTERNATE or WINDING
    SetTextAlign,    // Args[0]: TA_* flags
    SetArcDirection, // Args[0]: AD_COUNTERCLOCKWISE or AD_CLOCKWISE
    MoveTo,          // Args[0], Args[1]
    // First, Count: a run of Points: at least 2, for PolylineTo at least 1 (a LineTo), for
    // PolyBezier 1 + 3n and for PolyBezierTo 3n.
    Polyline,
    Polygon,
    PolylineTo,
    PolyBezier,
    PolyBezierTo,
    // First, Count: a run of PolyCounts, whose point runs follow each other from Points[Extra].
    PolyPolygon,
    PolyPolyline,
    Rectangle, // Args[0..3]: left, top, right, bottom
    Ellipse,
    RoundRect, // Args[4], Args[5]: width and height of the corner ellipse
    // Args[0..3]: bounding box; Args[4..5]: start radial point; Args[6..7]: end radial point.
    Arc,
    ArcTo,
    Pie,
    Chord,
    Text, // First: index into Texts
    BeginPath,
    EndPath,
    CloseFigure,
    FillPath,
    StrokePath,
    StrokeAndFillPath,
    AbortPath,
};

struct TRecord {
    TOp Op;
    std::array<std::int32_t, 8> Args{};
    std::uint32_t First = 0;
    std::uint32_t Count = 0;
    std::uint32_t Extra = 0;
};

// A logical pen: GDI's style word (style in the low 4 bits, end cap and join above), width in
// logical units (0 is one device pixel).
struct TPen {
    std::uint32_t Style = 0;
    std::int32_t Width = 0;
    QRgb Color = qRgb(0, 0, 0);
};

// Style: 0 solid, 1 hollow, 2 hatched (Hatch: 0 to 5 as HS_*). Pattern brushes are solid gray.
struct TBrush {
    std::uint32_t Style = 0;
    std::uint32_t Hatch = 0;
    QRgb Color = qRgb(255, 255, 255);
};

// A logical font. Height in logical units: negative is the character height, positive the cell
// height, 0 the default. Escapement in tenths of a degree, counter-clockwise.
struct TFont {
    QString Face;
    std::int32_t Height = 0;
    std::int32_t Escapement = 0;
    std::int32_t Weight = 0; // 0 default, else 1 to 1000
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool FixedPitch = false;
};

struct TText {
    QPoint Reference;
    QString Text;
    std::vector<std::int32_t> Dx; // empty, or one advance per UTF-16 unit of Text, logical units
    QRect Rect;                   // left, top, right, bottom as written; used by the options
    std::uint32_t Options = 0;    // ETO_OPAQUE, ETO_CLIPPED
};

// How logical coordinates map to the picture's device space at the start of playback.
struct TMapping {
    std::int32_t Mode = MM_TEXT;
    QPointF WindowOrg{0, 0};
    QPointF WindowExt{1, 1};
    QPointF ViewportOrg{0, 0};
    QPointF ViewportExt{1, 1};
};

// Indexes of the objects every device context starts with, and of GDI's stock objects.
inline constexpr std::uint32_t kDefaultPen = 0; // black, one pixel
inline constexpr std::uint32_t kWhitePen = 1;
inline constexpr std::uint32_t kNullPen = 2;
inline constexpr std::uint32_t kDefaultBrush = 0; // white
inline constexpr std::uint32_t kLtGrayBrush = 1;
inline constexpr std::uint32_t kGrayBrush = 2;
inline constexpr std::uint32_t kDkGrayBrush = 3;
inline constexpr std::uint32_t kBlackBrush = 4;
inline constexpr std::uint32_t kNullBrush = 5;
inline constexpr std::uint32_t kDefaultFont = 0;
inline constexpr std::uint32_t kFixedFont = 1;

struct TProgram {
    bool Enhanced = false;
    int Width = 0; // pixels at the display's resolution
    int Height = 0;
    // The picture's extent in its device space (logical units for WMF, reference-device pixels for
    // EMF); Draw maps it onto the target rectangle. Empty: nothing to draw.
    QRectF Frame;
    // Device units per millimetre, for the metric map modes.
    double DevicePerMmX = 96 / 25.4;
    double DevicePerMmY = 96 / 25.4;
    TMapping Initial;

    std::vector<TRecord> Records;
    std::vector<QPoint> Points;
    std::vector<std::uint32_t> PolyCounts;
    std::vector<TPen> Pens;
    std::vector<TBrush> Brushes;
    std::vector<TFont> Fonts;
    std::vector<TText> Texts;
    std::vector<QTransform> Transforms;
};

// The deepest nesting of SaveDC; a file that goes deeper ends there.
inline constexpr std::size_t kMaxSaveDepth = 1024;

// The largest metafile read at all, in bytes: keeps every index of the internal form in 32 bits.
inline constexpr std::size_t kMaxMetafileBytes = std::size_t{1} << 30;

// Raises EInvalidGraphic "Metafile is not valid".
[[noreturn]] void RaiseInvalid();

// Validates the header and translates the records that follow. Raises EInvalidGraphic
// "Metafile is not valid" when the header is not that of a placeable WMF, a plain WMF or an EMF
// (the content decides the kind, never the file name). Records are read up to the end of the data,
// an EOF record, or the first malformed record, whichever comes first; nothing past a malformed
// record is played.
TProgram ParseMetafile(std::span<const std::uint8_t> bytes);

// The two halves of ParseMetafile, for files already known to be of their kind.
TProgram ParseWmf(std::span<const std::uint8_t> bytes);
TProgram ParseEmf(std::span<const std::uint8_t> bytes);

// Plays the program into rect: the picture's frame is stretched onto rect and drawing is clipped
// to it. Draws nothing for an empty frame or rect. Never raises.
void Play(const TProgram& program, QPainter& painter, const QRectF& rect) noexcept;

} // namespace tintwell::metafile
