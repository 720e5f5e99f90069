// Which files load, and the size each kind reports.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "codec/errors.h"
#include "imaging/display_info.h"
#include "imaging/metafile/metafile_test_support.h"
#include "support/scoped_global.h"

namespace tintwell::test {
namespace {

using TBytes = std::vector<std::uint8_t>;

TWmfBuilder OneRectangle() {
    TWmfBuilder b;
    b.CreateBrush(BS_SOLID, kRedRef).SelectObject(0).Rectangle(0, 0, 500, 500);
    return b;
}
TBytes Placeable() { return OneRectangle().Placeable(0, 0, 1000, 1000, 1000); }
TBytes Plain() { return OneRectangle().Plain(); }
TBytes Emf() {
    TEmfBuilder b;
    b.SelectObject(TEmfBuilder::kBlackBrush).Rectangle(0, 0, 50, 50);
    return b.Build();
}

TBytes With(TBytes bytes, const std::function<void(TBytes&)>& change) {
    change(bytes);
    return bytes;
}
TBytes Cut(TBytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

struct THeaderCase {
    const char* Name;
    TBytes (*Make)();
    bool Valid;
    bool Enhanced;
};
void PrintTo(const THeaderCase& c, std::ostream* os) { *os << c.Name; }

// Offsets: placeable header 0 key, 6 box, 14 units per inch, 20 checksum; META_HEADER (at 22 in a
// placeable file) +0 type, +2 header words, +4 version, +6 size in words; EMR_HEADER 4 size,
// 40 signature, 48 file bytes.
const THeaderCase kHeaderCases[] = {
    {"placeable", Placeable, true, false},
    {"placeable_wrong_checksum", [] { return With(Placeable(), [](TBytes& b) { Poke16(b, 20, 0x1234); }); },
     true, false},
    {"placeable_inverted_box", [] { return OneRectangle().Placeable(1000, 1000, 0, 0, 1000); }, true, false},
    {"plain", Plain, true, false},
    {"plain_memory_type_version_1",
     [] {
         return With(Plain(), [](TBytes& b) {
             Poke16(b, 0, 1);
             Poke16(b, 4, 0x0100);
         });
     },
     true, false},
    {"plain_without_eof", [] { return OneRectangle().Plain(false); }, true, false},
    {"plain_trailing_bytes", [] { return With(Plain(), [](TBytes& b) { b.resize(b.size() + 10, 0xEE); }); },
     true, false},
    {"emf", Emf, true, true},
    {"emf_without_eof", [] { return TEmfBuilder().Rectangle(0, 0, 5, 5).Build(false); }, true, true},
    {"emf_trailing_bytes", [] { return With(Emf(), [](TBytes& b) { b.resize(b.size() + 12, 0xEE); }); }, true,
     true},

    {"empty", [] { return TBytes{}; }, false, false},
    {"text",
     [] {
         const std::string t = "not a metafile, only some words of text";
         return TBytes(t.begin(), t.end());
     },
     false, false},
    {"zeros", [] { return TBytes(200, 0); }, false, false},
    {"placeable_truncated_header", [] { return Cut(Placeable(), 21); }, false, false},
    {"placeable_without_meta_header", [] { return Cut(Placeable(), 30); }, false, false},
    {"placeable_bad_key", [] { return With(Placeable(), [](TBytes& b) { Poke32(b, 0, 0x9AC6CDD8); }); },
     false, false},
    {"placeable_zero_units_per_inch", [] { return With(Placeable(), [](TBytes& b) { Poke16(b, 14, 0); }); },
     false, false},
    {"placeable_empty_box", [] { return OneRectangle().Placeable(0, 0, 0, 1000, 1000); }, false, false},
    {"placeable_bad_meta_header", [] { return With(Placeable(), [](TBytes& b) { Poke16(b, 24, 8); }); },
     false, false},
    {"plain_truncated_header", [] { return Cut(Plain(), 17); }, false, false},
    {"plain_type_3", [] { return With(Plain(), [](TBytes& b) { Poke16(b, 0, 3); }); }, false, false},
    {"plain_header_size_10", [] { return With(Plain(), [](TBytes& b) { Poke16(b, 2, 10); }); }, false, false},
    {"plain_version_0x0200", [] { return With(Plain(), [](TBytes& b) { Poke16(b, 4, 0x0200); }); }, false,
     false},
    {"plain_size_below_header", [] { return With(Plain(), [](TBytes& b) { Poke32(b, 6, 8); }); }, false,
     false},
    {"plain_size_past_end",
     [] {
         return With(Plain(), [](TBytes& b) { Poke32(b, 6, static_cast<std::uint32_t>(b.size() / 2 + 1)); });
     },
     false, false},
    {"plain_cut_short", [] { return Cut(Plain(), Plain().size() - 2); }, false, false},
    {"placeable_cut_short", [] { return Cut(Placeable(), Placeable().size() - 2); }, false, false},
    {"emf_truncated_header", [] { return Cut(Emf(), 87); }, false, false},
    {"emf_bad_signature", [] { return With(Emf(), [](TBytes& b) { Poke32(b, 40, 0x464D4521); }); }, false,
     false},
    {"emf_header_record_too_small", [] { return With(Emf(), [](TBytes& b) { Poke32(b, 4, 84); }); }, false,
     false},
    {"emf_header_record_unaligned", [] { return With(Emf(), [](TBytes& b) { Poke32(b, 4, 90); }); }, false,
     false},
    {"emf_header_record_past_file",
     [] { return With(Emf(), [](TBytes& b) { Poke32(b, 4, static_cast<std::uint32_t>(b.size() + 4)); }); },
     false, false},
    {"emf_file_bytes_past_end",
     [] { return With(Emf(), [](TBytes& b) { Poke32(b, 48, static_cast<std::uint32_t>(b.size() + 4)); }); },
     false, false},
    {"emf_cut_short", [] { return Cut(Emf(), Emf().size() - 4); }, false, false},
};

class MetafileHeader : public ::testing::TestWithParam<THeaderCase> {};

TEST_P(MetafileHeader, LoadsOrRaisesNotValid) {
    const THeaderCase& c = GetParam();
    TMetafile metafile;
    if (c.Valid) {
        ASSERT_NO_THROW(metafile.LoadFromMemory(c.Make()));
        EXPECT_EQ(metafile.Enhanced(), c.Enhanced);
        EXPECT_GT(metafile.Width(), 0);
        EXPECT_GT(metafile.Height(), 0);
    } else {
        try {
            metafile.LoadFromMemory(c.Make());
            FAIL() << "loaded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "Metafile is not valid");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, MetafileHeader, ::testing::ValuesIn(kHeaderCases),
                         [](const auto& row) { return std::string(row.param.Name); });

// ---- Sizes.

struct TSizeCase {
    const char* Name;
    TBytes (*Make)();
    int DpiX;
    int DpiY;
    int Width;
    int Height;
};
void PrintTo(const TSizeCase& c, std::ostream* os) { *os << c.Name; }

const TSizeCase kSizeCases[] = {
    // Box over units per inch, at the display's resolution.
    {"placeable_twips", [] { return OneRectangle().Placeable(0, 0, 1440, 720, 1440); }, 96, 96, 96, 48},
    {"placeable_offset_box", [] { return OneRectangle().Placeable(-500, 300, 500, 800, 1000); }, 96, 96, 96,
     48},
    {"placeable_inverted_box", [] { return OneRectangle().Placeable(1440, 720, 0, 0, 1440); }, 96, 96, 96,
     48},
    {"placeable_high_dpi", [] { return OneRectangle().Placeable(0, 0, 1440, 720, 1440); }, 192, 144, 192, 72},
    {"placeable_rounds", [] { return OneRectangle().Placeable(0, 0, 1000, 10, 3000); }, 96, 96, 32, 0},
    // A plain WMF: its first window, one unit a pixel at 96 dpi; else what it draws.
    {"plain_window",
     [] { return TWmfBuilder().SetWindowOrg(0, 400).SetWindowExt(300, -200).Rectangle(0, 0, 5, 5).Plain(); },
     96, 96, 300, 200},
    {"plain_window_high_dpi", [] { return TWmfBuilder().SetWindowExt(300, 200).Plain(); }, 192, 192, 600,
     400},
    {"plain_first_window_wins",
     [] { return TWmfBuilder().SetWindowExt(300, 200).SetWindowExt(30, 20).Plain(); }, 96, 96, 300, 200},
    {"plain_zero_window_ignored",
     [] { return TWmfBuilder().SetWindowExt(0, 200).SetWindowExt(40, 20).Plain(); }, 96, 96, 40, 20},
    {"plain_drawing_extent",
     [] {
         return TWmfBuilder().Rectangle(10, 20, 60, 45).Polyline({{110, 70}, {20, 30}}).Plain();
     },
     96, 96, 100, 50},
    {"plain_nothing", [] { return TWmfBuilder().SetBkMode(1).Plain(); }, 96, 96, 0, 0},
    // An EMF: frame in hundredths of a millimetre, else the inclusive bounds in pixels.
    {"emf_frame", [] { return TEmfBuilder().Frame(0, 0, 2540, 5080).Build(); }, 96, 96, 96, 192},
    {"emf_frame_offset", [] { return TEmfBuilder().Frame(-1270, 1000, 1270, 2270).Build(); }, 96, 96, 96, 48},
    {"emf_frame_high_dpi", [] { return TEmfBuilder().Frame(0, 0, 2540, 2540).Build(); }, 120, 240, 120, 240},
    {"emf_bounds_without_frame",
     [] { return TEmfBuilder().Frame(0, 0, 0, 0).Bounds(10, 10, 59, 39).Build(); }, 96, 96, 50, 30},
    {"emf_without_extent", [] { return TEmfBuilder().Frame(0, 0, 0, 0).Bounds(0, 0, -1, -1).Build(); }, 96,
     96, 0, 0},
};

class MetafileSize : public ::testing::TestWithParam<TSizeCase> {};

TEST_P(MetafileSize, FollowsTheKindsRule) {
    const TSizeCase& c = GetParam();
    TDisplayInfo display = DisplayInfo();
    display.DpiX = c.DpiX;
    display.DpiY = c.DpiY;
    const TScopedGlobal<TDisplayInfo> scope(SetDisplayInfo, display);
    const TMetafile metafile = LoadBytes(c.Make());
    EXPECT_EQ(metafile.Width(), c.Width);
    EXPECT_EQ(metafile.Height(), c.Height);
}

INSTANTIATE_TEST_SUITE_P(, MetafileSize, ::testing::ValuesIn(kSizeCases),
                         [](const auto& row) { return std::string(row.param.Name); });

TEST(MetafileUnloaded, HasNoSizeAndIsNotEnhanced) {
    const TMetafile metafile;
    EXPECT_EQ(metafile.Width(), 0);
    EXPECT_EQ(metafile.Height(), 0);
    EXPECT_FALSE(metafile.Enhanced());
}

} // namespace
} // namespace tintwell::test
