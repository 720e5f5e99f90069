#pragma once

// What the WMF and EMF record readers share: bounds-checked little-endian reads, GDI's object
// table, and the builder that keeps the internal form's invariants while records are translated.
// Private to imaging/.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <queue>
#include <span>
#include <vector>

#include "imaging/metafile/metafile_program.h"

namespace tintwell::metafile {

// A window on the file's bytes. Every read outside it yields 0, so a missed check reads nothing
// it should not; callers still test Has first, because a short record is malformed, not zero.
class TBytes {
public:
    TBytes() = default;
    explicit TBytes(std::span<const std::uint8_t> bytes) noexcept : FBytes(bytes) {}

    std::size_t Size() const noexcept { return FBytes.size(); }
    bool Has(std::size_t offset, std::size_t count) const noexcept {
        return offset <= FBytes.size() && count <= FBytes.size() - offset;
    }
    // count elements of elementSize bytes each from offset, without overflowing the product.
    bool HasArray(std::size_t offset, std::uint64_t count, std::size_t elementSize) const noexcept {
        return offset <= FBytes.size() && count <= (FBytes.size() - offset) / elementSize;
    }
    TBytes Sub(std::size_t offset, std::size_t count) const noexcept {
        return Has(offset, count) ? TBytes(FBytes.subspan(offset, count)) : TBytes();
    }

    std::uint8_t U8(std::size_t offset) const noexcept { return Has(offset, 1) ? FBytes[offset] : 0; }
    std::uint16_t U16(std::size_t offset) const noexcept {
        if (!Has(offset, 2))
            return 0;
        return static_cast<std::uint16_t>(FBytes[offset] | (FBytes[offset + 1] << 8));
    }
    std::int16_t I16(std::size_t offset) const noexcept { return static_cast<std::int16_t>(U16(offset)); }
    std::uint32_t U32(std::size_t offset) const noexcept {
        if (!Has(offset, 4))
            return 0;
        return static_cast<std::uint32_t>(FBytes[offset]) |
               (static_cast<std::uint32_t>(FBytes[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(FBytes[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(FBytes[offset + 3]) << 24);
    }
    std::int32_t I32(std::size_t offset) const noexcept { return static_cast<std::int32_t>(U32(offset)); }
    float F32(std::size_t offset) const noexcept {
        const std::uint32_t bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    std::span<const std::uint8_t> FBytes;
};

// GDI's COLORREF (0x00BBGGRR) as a Qt colour. The top byte (palette index or palette-relative)
// is dropped: there is no palette here, and the low bytes are the intended colour.
inline QRgb ColorRefToRgb(std::uint32_t colorRef) noexcept {
    return qRgb(static_cast<int>(colorRef & 0xFFu), static_cast<int>((colorRef >> 8) & 0xFFu),
                static_cast<int>((colorRef >> 16) & 0xFFu));
}

// 8-bit text in the Windows ANSI code page (1252), the code page of the fonts metafiles name.
QString DecodeAnsi(TBytes bytes, std::size_t offset, std::size_t count);

// GDI's table of object handles, sized by the file's header: at most 65535 slots, since both
// formats count them in 16 bits. A WMF puts each new object in the lowest free slot; an EMF names
// the slot. Selecting is resolved while reading, because which object a slot holds at each record
// depends only on the records before it.
class TObjectTable {
public:
    enum class TKind : std::uint8_t { Empty, Pen, Brush, Font, Other };
    struct TEntry {
        TKind Kind = TKind::Empty;
        std::uint32_t Index = 0; // into the program's Pens, Brushes or Fonts
    };

    explicit TObjectTable(std::size_t size) : FEntries(size) {}

    std::size_t Size() const noexcept { return FEntries.size(); }
    bool Contains(std::uint32_t slot) const noexcept { return slot < FEntries.size(); }

    // The lowest empty slot, or Size() when the table is full.
    std::uint32_t LowestFree();
    // slot must be within the table.
    void Put(std::uint32_t slot, TEntry entry) noexcept { FEntries[slot] = entry; }
    const TEntry& Get(std::uint32_t slot) const noexcept { return FEntries[slot]; }
    void Erase(std::uint32_t slot);

private:
    std::vector<TEntry> FEntries;
    // Freed slots below FNextUnused; may hold slots filled again since, skipped when met.
    std::priority_queue<std::uint32_t, std::vector<std::uint32_t>, std::greater<>> FFreed;
    std::uint32_t FNextUnused = 0;
};

// Appends records to a program while keeping what the player relies on: every index in range,
// SaveDC nesting within kMaxSaveDepth, RestoreDC never popping more than was saved.
class TProgramBuilder {
public:
    explicit TProgramBuilder(bool enhanced);

    TProgram& Program() noexcept { return FProgram; }
    TProgram Take() noexcept { return std::move(FProgram); }

    void Add(TOp op, std::initializer_list<std::int32_t> args = {});
    void AddColor(TOp op, std::uint32_t colorRef);

    // False when the nesting would pass kMaxSaveDepth: the file is malformed there.
    bool SaveDC();
    // which < 0 pops -which states, which > 0 returns to the which-th saved state (GDI's absolute
    // form, WMF only). A restore of more than was saved does nothing, as in GDI.
    void RestoreDC(std::int32_t which);

    // Only ISOTROPIC and ANISOTROPIC use extents; GDI refuses a zero extent.
    void AddMapping(TOp op, std::int32_t x, std::int32_t y);

    std::uint32_t AddPen(const TPen& pen);
    std::uint32_t AddBrush(const TBrush& brush);
    std::uint32_t AddFont(TFont font);
    // The brush that stands for pattern brushes, whose bitmaps are not read.
    static TBrush PatternBrush() noexcept { return {0, 0, qRgb(128, 128, 128)}; }

    // Selecting an empty or non-drawing slot does nothing, as GDI's SelectObject fails there.
    void Select(const TObjectTable::TEntry& entry);

    // A run of points for op; runs too short for the op are dropped, as GDI refuses them.
    void AddPoints(TOp op, std::vector<QPoint> points);
    // Polygons or polylines, all in one record; counts add up to points.size().
    void AddPolyPoly(TOp op, std::vector<std::uint32_t> counts, std::vector<QPoint> points);
    void AddRect(TOp op, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                 std::initializer_list<std::int32_t> more = {});
    void AddText(TText text);
    void AddTransform(std::int32_t mode, const QTransform& transform);

    // The bounding box of every coordinate drawn, as written (before any mapping). Empty when
    // nothing was drawn. A plain WMF without a window extent takes its size from it.
    QRect DrawingBounds() const noexcept;

private:
    void Extend(QPoint point) noexcept;

    TProgram FProgram;
    std::size_t FSaveDepth = 0;
    bool FHasBounds = false;
    std::int32_t FMinX = 0, FMinY = 0, FMaxX = 0, FMaxY = 0;
};

} // namespace tintwell::metafile
