#pragma once

// WMF and EMF files made record by record in memory, for the metafile tests and the fuzzing seeds.
// The helpers take their arguments in natural order (x before y, left-top-right-bottom) and write
// them in the order each format stores them; Record and Raw write anything at all, malformed
// records included.

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace tintwell::test {

constexpr std::uint32_t ColorRef(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
           (static_cast<std::uint32_t>(b) << 16);
}

// Little-endian bytes.
class TLeBytes {
public:
    TLeBytes& U8(std::uint32_t v) {
        FBytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    TLeBytes& U16(std::uint32_t v) { return U8(v & 0xFF).U8((v >> 8) & 0xFF); }
    TLeBytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    TLeBytes& I16(std::int32_t v) { return U16(static_cast<std::uint32_t>(v) & 0xFFFF); }
    TLeBytes& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    TLeBytes& F32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return U32(bits);
    }
    TLeBytes& Append(const std::vector<std::uint8_t>& bytes) {
        FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    TLeBytes& PadTo(std::size_t multiple) {
        while (FBytes.size() % multiple != 0)
            FBytes.push_back(0);
        return *this;
    }
    std::size_t Size() const { return FBytes.size(); }
    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

private:
    std::vector<std::uint8_t> FBytes;
};

inline void Poke16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t v) {
    bytes.at(offset) = static_cast<std::uint8_t>(v);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(v >> 8);
}
inline void Poke32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t v) {
    Poke16(bytes, offset, v & 0xFFFF);
    Poke16(bytes, offset + 2, v >> 16);
}

struct TPt {
    int X;
    int Y;
};

// GDI numbers the builders' callers use.
enum : std::uint32_t { PS_SOLID = 0, PS_DASH = 1, PS_NULL = 5 };
enum : std::uint32_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2 };

class TWmfBuilder {
public:
    // Parameters as 16-bit words in file order. The size is computed.
    TWmfBuilder& Record(std::uint16_t function, const std::vector<int>& words) {
        return Raw(static_cast<std::uint32_t>(3 + words.size()), function, words);
    }
    // A record whose size field says sizeWords, whatever it holds.
    TWmfBuilder& Raw(std::uint32_t sizeWords, std::uint16_t function, const std::vector<int>& words) {
        FRecords.U32(sizeWords).U16(function);
        for (const int w : words)
            FRecords.U16(static_cast<std::uint32_t>(w) & 0xFFFF);
        return *this;
    }
    TWmfBuilder& Bytes(const std::vector<std::uint8_t>& bytes) {
        FRecords.Append(bytes);
        return *this;
    }

    static std::vector<int> Color(std::uint32_t colorRef) {
        return {static_cast<int>(colorRef & 0xFFFF), static_cast<int>(colorRef >> 16)};
    }

    TWmfBuilder& SetWindowOrg(int x, int y) { return Record(0x020B, {y, x}); }
    TWmfBuilder& SetWindowExt(int x, int y) { return Record(0x020C, {y, x}); }
    TWmfBuilder& SetViewportOrg(int x, int y) { return Record(0x020D, {y, x}); }
    TWmfBuilder& SetViewportExt(int x, int y) { return Record(0x020E, {y, x}); }
    TWmfBuilder& SetMapMode(int mode) { return Record(0x0103, {mode}); }
    TWmfBuilder& SaveDC() { return Record(0x001E, {}); }
    TWmfBuilder& RestoreDC(int which) { return Record(0x0127, {which}); }
    TWmfBuilder& SetBkColor(std::uint32_t c) { return Record(0x0201, Color(c)); }
    TWmfBuilder& SetTextColor(std::uint32_t c) { return Record(0x0209, Color(c)); }
    TWmfBuilder& SetBkMode(int mode) { return Record(0x0102, {mode}); }
    TWmfBuilder& SetPolyFillMode(int mode) { return Record(0x0106, {mode}); }
    TWmfBuilder& SetTextAlign(int align) { return Record(0x012E, {align}); }
    TWmfBuilder& CreatePen(std::uint32_t style, int width, std::uint32_t c) {
        const auto color = Color(c);
        return Record(0x02FA, {static_cast<int>(style), width, 0, color[0], color[1]});
    }
    TWmfBuilder& CreateBrush(std::uint32_t style, std::uint32_t c, int hatch = 0) {
        const auto color = Color(c);
        return Record(0x02FC, {static_cast<int>(style), color[0], color[1], hatch});
    }
    TWmfBuilder& CreateFont(int height, const std::string& face, int weight = 400) {
        std::vector<int> words = {height, 0, 0, 0, weight, 0, 0, 0, 0};
        std::string name = face;
        name.resize(32, '\0');
        for (std::size_t i = 0; i < name.size(); i += 2)
            words.push_back(static_cast<std::uint8_t>(name[i]) |
                            (static_cast<std::uint8_t>(name[i + 1]) << 8));
        return Record(0x02FB, words);
    }
    TWmfBuilder& SelectObject(int slot) { return Record(0x012D, {slot}); }
    TWmfBuilder& DeleteObject(int slot) { return Record(0x01F0, {slot}); }
    TWmfBuilder& MoveTo(int x, int y) { return Record(0x0214, {y, x}); }
    TWmfBuilder& LineTo(int x, int y) { return Record(0x0213, {y, x}); }
    TWmfBuilder& Rectangle(int l, int t, int r, int b) { return Record(0x041B, {b, r, t, l}); }
    TWmfBuilder& Ellipse(int l, int t, int r, int b) { return Record(0x0418, {b, r, t, l}); }
    TWmfBuilder& RoundRect(int l, int t, int r, int b, int w, int h) {
        return Record(0x061C, {h, w, b, r, t, l});
    }
    TWmfBuilder& Pie(int l, int t, int r, int b, TPt s, TPt e) {
        return Record(0x081A, {e.Y, e.X, s.Y, s.X, b, r, t, l});
    }
    TWmfBuilder& Arc(int l, int t, int r, int b, TPt s, TPt e) {
        return Record(0x0817, {e.Y, e.X, s.Y, s.X, b, r, t, l});
    }
    TWmfBuilder& IntersectClipRect(int l, int t, int r, int b) { return Record(0x0416, {b, r, t, l}); }
    TWmfBuilder& Polygon(const std::vector<TPt>& points) { return Points(0x0324, points); }
    TWmfBuilder& Polyline(const std::vector<TPt>& points) { return Points(0x0325, points); }
    TWmfBuilder& PolyPolygon(const std::vector<std::vector<TPt>>& polygons) {
        std::vector<int> words = {static_cast<int>(polygons.size())};
        for (const auto& polygon : polygons)
            words.push_back(static_cast<int>(polygon.size()));
        for (const auto& polygon : polygons)
            for (const TPt& p : polygon)
                words.insert(words.end(), {p.X, p.Y});
        return Record(0x0538, words);
    }
    TWmfBuilder& TextOut(int x, int y, const std::string& text) {
        std::vector<int> words = {static_cast<int>(text.size())};
        AppendString(words, text);
        words.insert(words.end(), {y, x});
        return Record(0x0521, words);
    }
    // rect: left, top, right, bottom, written when options ask for it (2 opaque, 4 clipped).
    TWmfBuilder& ExtTextOut(int x, int y, int options, std::vector<int> rect, const std::string& text,
                            const std::vector<int>& dx = {}) {
        std::vector<int> words = {y, x, static_cast<int>(text.size()), options};
        if (options & 6)
            words.insert(words.end(), rect.begin(), rect.end());
        AppendString(words, text);
        words.insert(words.end(), dx.begin(), dx.end());
        return Record(0x0A32, words);
    }

    // The object table's size in the header.
    TWmfBuilder& Objects(int count) {
        FObjects = count;
        return *this;
    }

    // META_HEADER, the records, and META_EOF unless left out.
    std::vector<std::uint8_t> Plain(bool eof = true) const {
        TLeBytes body;
        body.Append(FRecords.Bytes());
        if (eof)
            body.U32(3).U16(0);
        TLeBytes out;
        const std::uint32_t words = static_cast<std::uint32_t>((18 + body.Size()) / 2);
        out.U16(1).U16(9).U16(0x0300).U32(words).U16(static_cast<std::uint32_t>(FObjects)).U32(0).U16(0);
        out.Append(body.Bytes());
        return out.Bytes();
    }

    // The placeable header (bounding box in logical units, units per inch, a correct checksum)
    // before the plain file.
    std::vector<std::uint8_t> Placeable(int left, int top, int right, int bottom, int unitsPerInch) const {
        TLeBytes head;
        head.U32(0x9AC6CDD7)
            .U16(0)
            .I16(left)
            .I16(top)
            .I16(right)
            .I16(bottom)
            .U16(static_cast<std::uint32_t>(unitsPerInch))
            .U32(0);
        std::uint16_t checksum = 0;
        for (std::size_t i = 0; i < 20; i += 2)
            checksum ^= static_cast<std::uint16_t>(head.Bytes()[i] | (head.Bytes()[i + 1] << 8));
        head.U16(checksum);
        head.Append(Plain());
        return head.Bytes();
    }

private:
    TWmfBuilder& Points(std::uint16_t function, const std::vector<TPt>& points) {
        std::vector<int> words = {static_cast<int>(points.size())};
        for (const TPt& p : points)
            words.insert(words.end(), {p.X, p.Y});
        return Record(function, words);
    }
    static void AppendString(std::vector<int>& words, const std::string& text) {
        for (std::size_t i = 0; i < text.size(); i += 2) {
            const int lo = static_cast<std::uint8_t>(text[i]);
            const int hi = i + 1 < text.size() ? static_cast<std::uint8_t>(text[i + 1]) : 0;
            words.push_back(lo | (hi << 8));
        }
    }

    TLeBytes FRecords;
    int FObjects = 8;
};

class TEmfBuilder {
public:
    // Stock objects for SelectObject.
    static constexpr std::uint32_t kWhiteBrush = 0x80000000, kGrayBrush = 0x80000002,
                                   kBlackBrush = 0x80000004, kNullBrush = 0x80000005, kBlackPen = 0x80000007,
                                   kNullPen = 0x80000008;

    // A record of type with payload after its type and size; the size is computed.
    TEmfBuilder& Record(std::uint32_t type, const TLeBytes& payload) {
        return Raw(type, static_cast<std::uint32_t>(8 + payload.Size()), payload);
    }
    TEmfBuilder& Record(std::uint32_t type, const std::vector<std::int32_t>& dwords) {
        TLeBytes payload;
        for (const std::int32_t d : dwords)
            payload.I32(d);
        return Record(type, payload);
    }
    // A record whose size field says size, whatever it holds.
    TEmfBuilder& Raw(std::uint32_t type, std::uint32_t size, const TLeBytes& payload) {
        FRecords.U32(type).U32(size).Append(payload.Bytes());
        return *this;
    }

    TEmfBuilder& SetMapMode(int mode) { return Record(17, {mode}); }
    TEmfBuilder& SetWindowExt(int x, int y) { return Record(9, {x, y}); }
    TEmfBuilder& SetWindowOrg(int x, int y) { return Record(10, {x, y}); }
    TEmfBuilder& SetViewportExt(int x, int y) { return Record(11, {x, y}); }
    TEmfBuilder& SetViewportOrg(int x, int y) { return Record(12, {x, y}); }
    TEmfBuilder& SaveDC() { return Record(33, std::vector<std::int32_t>{}); }
    TEmfBuilder& RestoreDC(int relative) { return Record(34, {relative}); }
    TEmfBuilder& SetBkMode(int mode) { return Record(18, {mode}); }
    TEmfBuilder& SetPolyFillMode(int mode) { return Record(19, {mode}); }
    TEmfBuilder& SetTextAlign(int align) { return Record(22, {align}); }
    TEmfBuilder& SetTextColor(std::uint32_t c) { return Record(24, {static_cast<std::int32_t>(c)}); }
    TEmfBuilder& SetBkColor(std::uint32_t c) { return Record(25, {static_cast<std::int32_t>(c)}); }
    TEmfBuilder& SetArcDirection(int direction) { return Record(57, {direction}); }
    TEmfBuilder& IntersectClipRect(int l, int t, int r, int b) { return Record(30, {l, t, r, b}); }
    TEmfBuilder& SetWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy) {
        TLeBytes p;
        p.F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy);
        return Record(35, p);
    }
    TEmfBuilder& CreatePen(int slot, std::uint32_t style, int width, std::uint32_t c) {
        return Record(38, {slot, static_cast<std::int32_t>(style), width, 0, static_cast<std::int32_t>(c)});
    }
    TEmfBuilder& CreateBrush(int slot, std::uint32_t style, std::uint32_t c, int hatch = 0) {
        return Record(39, {slot, static_cast<std::int32_t>(style), static_cast<std::int32_t>(c), hatch});
    }
    TEmfBuilder& CreateFont(int slot, int height, const std::u16string& face, int weight = 400,
                            int escapement = 0) {
        TLeBytes p;
        p.I32(slot).I32(height).I32(0).I32(escapement).I32(escapement).I32(weight).U32(0).U32(0);
        for (std::size_t i = 0; i < 32; ++i)
            p.U16(i < face.size() ? face[i] : 0);
        return Record(82, p);
    }
    TEmfBuilder& SelectObject(std::uint32_t slot) { return Record(37, {static_cast<std::int32_t>(slot)}); }
    TEmfBuilder& DeleteObject(std::uint32_t slot) { return Record(40, {static_cast<std::int32_t>(slot)}); }
    TEmfBuilder& MoveTo(int x, int y) { return Record(27, {x, y}); }
    TEmfBuilder& LineTo(int x, int y) { return Record(54, {x, y}); }
    TEmfBuilder& Rectangle(int l, int t, int r, int b) { return Record(43, {l, t, r, b}); }
    TEmfBuilder& Ellipse(int l, int t, int r, int b) { return Record(42, {l, t, r, b}); }
    TEmfBuilder& RoundRect(int l, int t, int r, int b, int w, int h) {
        return Record(44, {l, t, r, b, w, h});
    }
    TEmfBuilder& Arc(std::uint32_t type, int l, int t, int r, int b, TPt s, TPt e) {
        return Record(type, {l, t, r, b, s.X, s.Y, e.X, e.Y});
    }
    TEmfBuilder& Pie(int l, int t, int r, int b, TPt s, TPt e) { return Arc(47, l, t, r, b, s, e); }
    TEmfBuilder& Chord(int l, int t, int r, int b, TPt s, TPt e) { return Arc(46, l, t, r, b, s, e); }
    // EMR_POLYGON (3), POLYLINE (4), POLYBEZIER (2), POLYBEZIERTO (5), POLYLINETO (6) and, with
    // small, their 16-bit forms (type + 83).
    TEmfBuilder& Points(std::uint32_t type, const std::vector<TPt>& points, bool small = false) {
        TLeBytes p;
        p.I32(0).I32(0).I32(0).I32(0).U32(static_cast<std::uint32_t>(points.size()));
        for (const TPt& pt : points)
            small ? p.I16(pt.X).I16(pt.Y) : p.I32(pt.X).I32(pt.Y);
        return Record(small ? type + 83 : type, p);
    }
    TEmfBuilder& PolyPolygon(const std::vector<std::vector<TPt>>& polygons, bool small = false) {
        TLeBytes p;
        std::uint32_t total = 0;
        for (const auto& polygon : polygons)
            total += static_cast<std::uint32_t>(polygon.size());
        p.I32(0).I32(0).I32(0).I32(0).U32(static_cast<std::uint32_t>(polygons.size())).U32(total);
        for (const auto& polygon : polygons)
            p.U32(static_cast<std::uint32_t>(polygon.size()));
        for (const auto& polygon : polygons)
            for (const TPt& pt : polygon)
                small ? p.I16(pt.X).I16(pt.Y) : p.I32(pt.X).I32(pt.Y);
        return Record(small ? 91 : 8, p);
    }
    TEmfBuilder& BeginPath() { return Record(59, std::vector<std::int32_t>{}); }
    TEmfBuilder& EndPath() { return Record(60, std::vector<std::int32_t>{}); }
    TEmfBuilder& CloseFigure() { return Record(61, std::vector<std::int32_t>{}); }
    TEmfBuilder& FillPath() { return Record(62, {0, 0, 0, 0}); }
    TEmfBuilder& StrokePath() { return Record(64, {0, 0, 0, 0}); }
    TEmfBuilder& AbortPath() { return Record(68, std::vector<std::int32_t>{}); }
    // EMR_EXTTEXTOUTW; rect is left, top, right, bottom; dx empty or one per character.
    TEmfBuilder& TextOut(int x, int y, const std::u16string& text, std::uint32_t options = 0,
                         std::vector<int> rect = {0, 0, 0, 0}, const std::vector<int>& dx = {}) {
        const std::uint32_t offString = 76;
        const std::uint32_t stringBytes = static_cast<std::uint32_t>((text.size() * 2 + 3) & ~std::size_t{3});
        TLeBytes p;
        p.I32(0).I32(0).I32(-1).I32(-1).U32(1).F32(1).F32(1);
        p.I32(x).I32(y).U32(static_cast<std::uint32_t>(text.size())).U32(offString).U32(options);
        for (const int v : rect)
            p.I32(v);
        p.U32(dx.empty() ? 0 : offString + stringBytes);
        for (const char16_t c : text)
            p.U16(c);
        p.PadTo(4);
        for (const int d : dx)
            p.I32(d);
        return Record(84, p);
    }

    // Header fields: frame in hundredths of a millimetre, bounds in device pixels, the reference
    // device in pixels and millimetres, the object table's size.
    TEmfBuilder& Frame(int l, int t, int r, int b) {
        FFrame = {l, t, r, b};
        return *this;
    }
    TEmfBuilder& Bounds(int l, int t, int r, int b) {
        FBounds = {l, t, r, b};
        return *this;
    }
    TEmfBuilder& Device(int px, int py, int mmx, int mmy) {
        FDevice = {px, py, mmx, mmy};
        return *this;
    }
    TEmfBuilder& Handles(int count) {
        FHandles = count;
        return *this;
    }

    // EMR_HEADER (88 bytes), the records, and EMR_EOF unless left out; nBytes is the total.
    std::vector<std::uint8_t> Build(bool eof = true) const {
        TLeBytes body;
        body.Append(FRecords.Bytes());
        if (eof)
            body.U32(14).U32(20).U32(0).U32(16).U32(20);
        TLeBytes out;
        out.U32(1).U32(88);
        for (const int v : FBounds)
            out.I32(v);
        for (const int v : FFrame)
            out.I32(v);
        out.U32(0x464D4520).U32(0x10000).U32(static_cast<std::uint32_t>(88 + body.Size())).U32(0);
        out.U16(static_cast<std::uint32_t>(FHandles)).U16(0).U32(0).U32(0).U32(0);
        for (const int v : FDevice)
            out.I32(v);
        out.Append(body.Bytes());
        return out.Bytes();
    }

private:
    TLeBytes FRecords;
    std::vector<int> FFrame = {0, 0, 2540, 2540};
    std::vector<int> FBounds = {0, 0, 99, 99};
    // 100 pixels to 25.4 mm: one device pixel per logical unit over a 1-inch frame.
    std::vector<int> FDevice = {1000, 1000, 254, 254};
    int FHandles = 8;
};

} // namespace tintwell::test
