#include "imaging/metafile/metafile_builder.h"

#include <algorithm>

#include "codec/errors.h"
#include "core/resource_text.h"

namespace tintwell::metafile {

void RaiseInvalid() { throw EInvalidGraphic(ResString("Metafile is not valid")); }

QString DecodeAnsi(TBytes bytes, std::size_t offset, std::size_t count) {
    // Code page 1252 differs from Latin-1 only in 0x80 to 0x9F; unassigned codes stay as they are.
    static constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t c = bytes.U8(offset + i);
        text.append(QChar(c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : static_cast<char16_t>(c)));
    }
    return text;
}

std::uint32_t TObjectTable::LowestFree() {
    while (!FFreed.empty() && FEntries[FFreed.top()].Kind != TKind::Empty)
        FFreed.pop();
    while (FNextUnused < FEntries.size() && FEntries[FNextUnused].Kind != TKind::Empty)
        ++FNextUnused;
    const std::uint32_t size = static_cast<std::uint32_t>(FEntries.size());
    const std::uint32_t freed = FFreed.empty() ? size : FFreed.top();
    return std::min({freed, FNextUnused, size});
}

void TObjectTable::Erase(std::uint32_t slot) {
    if (slot >= FEntries.size() || FEntries[slot].Kind == TKind::Empty)
        return;
    FEntries[slot] = {};
    if (slot < FNextUnused)
        FFreed.push(slot);
}

TProgramBuilder::TProgramBuilder(bool enhanced) {
    FProgram.Enhanced = enhanced;
    // The defaults of a fresh device context come first, then the stock objects.
    FProgram.Pens = {TPen{0, 0, qRgb(0, 0, 0)}, TPen{0, 0, qRgb(255, 255, 255)}, TPen{5, 0, qRgb(0, 0, 0)}};
    FProgram.Brushes = {TBrush{0, 0, qRgb(255, 255, 255)}, TBrush{0, 0, qRgb(192, 192, 192)},
                        TBrush{0, 0, qRgb(128, 128, 128)}, TBrush{0, 0, qRgb(64, 64, 64)},
                        TBrush{0, 0, qRgb(0, 0, 0)},       TBrush{1, 0, qRgb(0, 0, 0)}};
    TFont fixed;
    fixed.FixedPitch = true;
    FProgram.Fonts = {TFont{}, fixed};
}

void TProgramBuilder::Add(TOp op, std::initializer_list<std::int32_t> args) {
    TRecord record{op};
    std::copy_n(args.begin(), std::min(args.size(), record.Args.size()), record.Args.begin());
    FProgram.Records.push_back(record);
}

void TProgramBuilder::AddColor(TOp op, std::uint32_t colorRef) {
    TRecord record{op};
    record.First = ColorRefToRgb(colorRef);
    FProgram.Records.push_back(record);
}

bool TProgramBuilder::SaveDC() {
    if (FSaveDepth >= kMaxSaveDepth)
        return false;
    ++FSaveDepth;
    Add(TOp::SaveDC);
    return true;
}

void TProgramBuilder::RestoreDC(std::int32_t which) {
    std::int64_t pops = 0;
    if (which < 0)
        pops = -static_cast<std::int64_t>(which);
    else if (which > 0)
        pops = static_cast<std::int64_t>(FSaveDepth) - which + 1;
    if (pops < 1 || pops > static_cast<std::int64_t>(FSaveDepth))
        return;
    FSaveDepth -= static_cast<std::size_t>(pops);
    Add(TOp::RestoreDC, {static_cast<std::int32_t>(pops)});
}

void TProgramBuilder::AddMapping(TOp op, std::int32_t x, std::int32_t y) {
    if ((op == TOp::SetWindowExt || op == TOp::SetViewportExt) && (x == 0 || y == 0))
        return;
    Add(op, {x, y});
}

std::uint32_t TProgramBuilder::AddPen(const TPen& pen) {
    FProgram.Pens.push_back(pen);
    return static_cast<std::uint32_t>(FProgram.Pens.size() - 1);
}

std::uint32_t TProgramBuilder::AddBrush(const TBrush& brush) {
    FProgram.Brushes.push_back(brush);
    return static_cast<std::uint32_t>(FProgram.Brushes.size() - 1);
}

std::uint32_t TProgramBuilder::AddFont(TFont font) {
    FProgram.Fonts.push_back(std::move(font));
    return static_cast<std::uint32_t>(FProgram.Fonts.size() - 1);
}

void TProgramBuilder::Select(const TObjectTable::TEntry& entry) {
    TRecord record{TOp::SelectPen};
    switch (entry.Kind) {
    case TObjectTable::TKind::Pen: break;
    case TObjectTable::TKind::Brush: record.Op = TOp::SelectBrush; break;
    case TObjectTable::TKind::Font: record.Op = TOp::SelectFont; break;
    case TObjectTable::TKind::Empty:
    case TObjectTable::TKind::Other: return;
    }
    record.First = entry.Index;
    FProgram.Records.push_back(record);
}

void TProgramBuilder::AddPoints(TOp op, std::vector<QPoint> points) {
    const std::size_t n = points.size();
    const bool fits = op == TOp::PolyBezier     ? n >= 4 && (n - 1) % 3 == 0
                      : op == TOp::PolyBezierTo ? n >= 3 && n % 3 == 0
                      : op == TOp::PolylineTo   ? n >= 1
                                                : n >= 2;
    if (!fits)
        return;
    for (const QPoint& p : points)
        Extend(p);
    TRecord record{op};
    record.First = static_cast<std::uint32_t>(FProgram.Points.size());
    record.Count = static_cast<std::uint32_t>(n);
    FProgram.Points.insert(FProgram.Points.end(), points.begin(), points.end());
    FProgram.Records.push_back(record);
}

void TProgramBuilder::AddPolyPoly(TOp op, std::vector<std::uint32_t> counts, std::vector<QPoint> points) {
    // Runs of fewer than two points draw nothing in GDI; they are kept so the runs stay aligned.
    if (counts.empty() || points.empty())
        return;
    for (const QPoint& p : points)
        Extend(p);
    TRecord record{op};
    record.First = static_cast<std::uint32_t>(FProgram.PolyCounts.size());
    record.Count = static_cast<std::uint32_t>(counts.size());
    record.Extra = static_cast<std::uint32_t>(FProgram.Points.size());
    FProgram.PolyCounts.insert(FProgram.PolyCounts.end(), counts.begin(), counts.end());
    FProgram.Points.insert(FProgram.Points.end(), points.begin(), points.end());
    FProgram.Records.push_back(record);
}

void TProgramBuilder::AddRect(TOp op, std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom, std::initializer_list<std::int32_t> more) {
    TRecord record{op};
    record.Args[0] = left;
    record.Args[1] = top;
    record.Args[2] = right;
    record.Args[3] = bottom;
    std::copy_n(more.begin(), std::min<std::size_t>(more.size(), 4), record.Args.begin() + 4);
    Extend({left, top});
    Extend({right, bottom});
    FProgram.Records.push_back(record);
}

void TProgramBuilder::AddText(TText text) {
    Extend(text.Reference);
    TRecord record{TOp::Text};
    record.First = static_cast<std::uint32_t>(FProgram.Texts.size());
    FProgram.Texts.push_back(std::move(text));
    FProgram.Records.push_back(record);
}

void TProgramBuilder::AddTransform(std::int32_t mode, const QTransform& transform) {
    TRecord record{TOp::ModifyWorldTransform};
    record.Args[0] = mode;
    record.First = static_cast<std::uint32_t>(FProgram.Transforms.size());
    FProgram.Transforms.push_back(transform);
    FProgram.Records.push_back(record);
}

void TProgramBuilder::Extend(QPoint point) noexcept {
    if (!FHasBounds) {
        FMinX = FMaxX = point.x();
        FMinY = FMaxY = point.y();
        FHasBounds = true;
        return;
    }
    FMinX = std::min(FMinX, point.x());
    FMaxX = std::max(FMaxX, point.x());
    FMinY = std::min(FMinY, point.y());
    FMaxY = std::max(FMaxY, point.y());
}

QRect TProgramBuilder::DrawingBounds() const noexcept {
    if (!FHasBounds)
        return {};
    return QRect(QPoint(FMinX, FMinY), QPoint(FMaxX, FMaxY));
}

} // namespace tintwell::metafile
