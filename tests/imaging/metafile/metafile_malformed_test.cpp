// Records that lie about their sizes, counts and indexes. The header is sound, so the file loads;
// playback ends quietly at the bad record: what came before it is drawn, nothing after it.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "codec/errors.h"
#include "imaging/metafile/metafile_test_support.h"
#include "support/fixtures.h"

namespace tintwell::test {
namespace {

using TBytes = std::vector<std::uint8_t>;

// Red on the left half, the record under test, then blue on the right half.
TBytes WmfAround(void (*bad)(TWmfBuilder&)) {
    TWmfBuilder b;
    b.CreatePen(PS_NULL, 0, 0).SelectObject(0).CreateBrush(BS_SOLID, kRedRef).SelectObject(1);
    b.Rectangle(0, 0, 50, 100);
    bad(b);
    b.CreateBrush(BS_SOLID, kBlueRef).SelectObject(2).Rectangle(50, 0, 100, 100);
    return b.Placeable(0, 0, 100, 100, 96);
}
TBytes EmfAround(void (*bad)(TEmfBuilder&)) {
    TEmfBuilder b;
    b.SelectObject(TEmfBuilder::kNullPen)
        .CreateBrush(1, BS_SOLID, kRedRef)
        .SelectObject(1)
        .Rectangle(0, 0, 50, 100);
    bad(b);
    b.CreateBrush(2, BS_SOLID, kBlueRef).SelectObject(2).Rectangle(50, 0, 100, 100);
    return b.Build();
}

// An EMR_EXTTEXTOUTW whose character count and string offset are as given; two characters follow.
TLeBytes TextPayload(std::uint32_t chars, std::uint32_t offString) {
    TLeBytes p;
    p.I32(0).I32(0).I32(0).I32(0).U32(1).F32(1).F32(1).I32(10).I32(10).U32(chars).U32(offString).U32(0);
    p.I32(0).I32(0).I32(0).I32(0).U32(0).U16('A').U16('B');
    return p;
}
TLeBytes Rect(int l, int t, int r, int b) {
    TLeBytes p;
    p.I32(l).I32(t).I32(r).I32(b);
    return p;
}

struct TMalformedCase {
    const char* Name;
    void (*Wmf)(TWmfBuilder&);
    void (*Emf)(TEmfBuilder&);
};
void PrintTo(const TMalformedCase& c, std::ostream* os) { *os << c.Name; }

const TMalformedCase kMalformedCases[] = {
    {"wmf_record_size_0", [](TWmfBuilder& b) { b.Raw(0, 0x041B, {}); }, nullptr},
    {"wmf_record_size_below_header", [](TWmfBuilder& b) { b.Raw(2, 0x041B, {}); }, nullptr},
    {"wmf_record_size_past_end",
     [](TWmfBuilder& b) {
         b.Raw(0x10000, 0x041B, {0, 0, 0, 0});
     },
     nullptr},
    {"wmf_record_size_huge",
     [](TWmfBuilder& b) {
         b.Raw(0xFFFFFFFF, 0x041B, {0, 0, 0, 0});
     },
     nullptr},
    {"wmf_eof_in_the_middle", [](TWmfBuilder& b) { b.Record(0x0000, {}); }, nullptr},
    {"wmf_polygon_count_past_record",
     [](TWmfBuilder& b) {
         b.Record(0x0324, {0xFFFF, 0, 0, 10, 10});
     },
     nullptr},
    {"wmf_polyline_count_past_record",
     [](TWmfBuilder& b) {
         b.Record(0x0325, {5000, 1, 1});
     },
     nullptr},
    {"wmf_polypolygon_points_past_record",
     [](TWmfBuilder& b) {
         b.Record(0x0538, {2, 3, 0xFFFF, 0, 0, 10, 0, 10, 10});
     },
     nullptr},
    {"wmf_polypolygon_counts_past_record",
     [](TWmfBuilder& b) {
         b.Record(0x0538, {0xFFFF, 3});
     },
     nullptr},
    {"wmf_select_past_table", [](TWmfBuilder& b) { b.SelectObject(8); }, nullptr},
    {"wmf_delete_past_table", [](TWmfBuilder& b) { b.DeleteObject(0xFFFF); }, nullptr},
    {"wmf_textout_length_past_record",
     [](TWmfBuilder& b) {
         b.Record(0x0521, {200, 0x4141});
     },
     nullptr},
    {"wmf_exttextout_rect_missing",
     [](TWmfBuilder& b) {
         b.Record(0x0A32, {0, 0, 2, 2});
     },
     nullptr},
    {"wmf_exttextout_string_past_record",
     [](TWmfBuilder& b) {
         b.Record(0x0A32, {0, 0, 50, 0, 0x4141});
     },
     nullptr},
    {"wmf_rectangle_too_short",
     [](TWmfBuilder& b) {
         b.Record(0x041B, {1, 2});
     },
     nullptr},
    {"wmf_pen_too_short",
     [](TWmfBuilder& b) {
         b.Record(0x02FA, {0, 1});
     },
     nullptr},
    {"wmf_font_too_short",
     [](TWmfBuilder& b) {
         b.Record(0x02FB, {-20, 0, 0});
     },
     nullptr},
    {"wmf_save_too_deep",
     [](TWmfBuilder& b) {
         for (int i = 0; i < 1025; ++i)
             b.SaveDC();
     },
     nullptr},
    {"emf_record_size_0", nullptr, [](TEmfBuilder& b) { b.Raw(43, 0, {}); }},
    {"emf_record_size_4", nullptr, [](TEmfBuilder& b) { b.Raw(43, 4, {}); }},
    {"emf_record_size_unaligned", nullptr, [](TEmfBuilder& b) { b.Raw(43, 26, Rect(50, 0, 100, 100)); }},
    {"emf_record_size_past_end", nullptr,
     [](TEmfBuilder& b) { b.Raw(43, 0x7FFFFFF0, Rect(50, 0, 100, 100)); }},
    {"emf_eof_in_the_middle", nullptr,
     [](TEmfBuilder& b) {
         b.Record(14, {0, 16, 20});
     }},
    {"emf_polygon_count_huge", nullptr,
     [](TEmfBuilder& b) {
         b.Record(3, {0, 0, 0, 0, 0x40000000, 60, 0, 100, 0, 100, 100});
     }},
    {"emf_polygon16_count_past_record", nullptr,
     [](TEmfBuilder& b) {
         b.Record(86, {0, 0, 0, 0, 1000, 0, 0});
     }},
    {"emf_polypolygon_counts_disagree", nullptr,
     [](TEmfBuilder& b) {
         b.Record(8, {0, 0, 0, 0, 1, 3, 4, 60, 0, 100, 0, 100, 100});
     }},
    {"emf_polypolygon_polygons_huge", nullptr,
     [](TEmfBuilder& b) {
         b.Record(8, {0, 0, 0, 0, 0x40000000, 3, 3});
     }},
    {"emf_polypolygon16_points_huge", nullptr,
     [](TEmfBuilder& b) {
         b.Record(91, {0, 0, 0, 0, 1, static_cast<std::int32_t>(0xFFFFFFFF), -1});
     }},
    {"emf_select_past_table", nullptr, [](TEmfBuilder& b) { b.SelectObject(8); }},
    {"emf_select_slot_0", nullptr, [](TEmfBuilder& b) { b.SelectObject(0); }},
    {"emf_delete_past_table", nullptr, [](TEmfBuilder& b) { b.DeleteObject(0x7FFFFFFF); }},
    {"emf_create_in_slot_0", nullptr, [](TEmfBuilder& b) { b.CreateBrush(0, BS_SOLID, kGreenRef); }},
    {"emf_create_past_table", nullptr, [](TEmfBuilder& b) { b.CreatePen(9, PS_SOLID, 1, kGreenRef); }},
    {"emf_text_count_past_record", nullptr, [](TEmfBuilder& b) { b.Record(84, TextPayload(1000, 76)); }},
    {"emf_text_offset_past_record", nullptr,
     [](TEmfBuilder& b) { b.Record(84, TextPayload(2, 0xFFFFFFF0)); }},
    {"emf_text_count_overflows", nullptr, [](TEmfBuilder& b) { b.Record(84, TextPayload(0x80000001, 76)); }},
    {"emf_text_too_short", nullptr,
     [](TEmfBuilder& b) {
         b.Record(84, {0, 0, 0, 0, 1});
     }},
    {"emf_rectangle_too_short", nullptr,
     [](TEmfBuilder& b) {
         b.Record(43, {1, 2});
     }},
    {"emf_font_too_short", nullptr,
     [](TEmfBuilder& b) {
         b.Record(82, {3, -20});
     }},
    {"emf_transform_too_short", nullptr,
     [](TEmfBuilder& b) {
         b.Record(36, {0, 0, 0});
     }},
    {"emf_save_too_deep", nullptr,
     [](TEmfBuilder& b) {
         for (int i = 0; i < 1025; ++i)
             b.SaveDC();
     }},
};

class MetafileMalformed : public ::testing::TestWithParam<TMalformedCase> {};

TEST_P(MetafileMalformed, PlaybackEndsAtTheBadRecord) {
    const TMalformedCase& c = GetParam();
    const TMetafile metafile = LoadBytes(c.Wmf ? WmfAround(c.Wmf) : EmfAround(c.Emf));
    ExpectProbes(Render(metafile), {{25, 50, kRed}, {75, 50, kWhite}});
}

INSTANTIATE_TEST_SUITE_P(, MetafileMalformed, ::testing::ValuesIn(kMalformedCases),
                         [](const auto& row) { return std::string(row.param.Name); });

// Well-formed records with absurd values: they draw what they can and playback goes on.
const TMalformedCase kExtremeCases[] = {
    {"wmf_extreme_window",
     [](TWmfBuilder& b) {
         b.SaveDC()
             .SetWindowExt(1, 1)
             .SetViewportExt(32767, -32767)
             .Ellipse(-32768, -32768, 32767, 32767)
             .RestoreDC(-1);
     },
     nullptr},
    {"wmf_huge_font",
     [](TWmfBuilder& b) {
         b.CreateFont(-32768, "DejaVu Sans").SelectObject(2).TextOut(0, 0, "W").DeleteObject(2);
     },
     nullptr},
    {"wmf_zero_units_everywhere",
     [](TWmfBuilder& b) {
         b.SaveDC().SetWindowExt(0, 0).Record(0x0410, {0, 1, 0, 1}).Rectangle(0, 0, 0, 0).RestoreDC(-1);
     },
     nullptr},
    {"emf_huge_rectangle", nullptr, [](TEmfBuilder& b) { b.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX); }},
    {"emf_huge_pen", nullptr,
     [](TEmfBuilder& b) {
         b.CreatePen(3, PS_SOLID, INT_MAX, kGreenRef).SelectObject(3).MoveTo(0, 0).LineTo(10, 10);
         b.SelectObject(TEmfBuilder::kNullPen);
     }},
    {"emf_long_dashed_line", nullptr,
     [](TEmfBuilder& b) {
         b.CreatePen(3, PS_DASH, 1, kGreenRef).SelectObject(3).MoveTo(-9000000, 120).LineTo(9000000, 120);
         b.SelectObject(TEmfBuilder::kNullPen);
     }},
    {"emf_long_dashed_wide_line", nullptr,
     [](TEmfBuilder& b) {
         b.SaveDC().SetWorldTransform(4, 0, 0, 4, 0, 0).CreatePen(3, PS_DASH, 1, kGreenRef).SelectObject(3);
         b.MoveTo(-2000000, 30)
             .LineTo(2000000, 30)
             .Ellipse(-2000000, -2000000, 2000000, 2000000)
             .RestoreDC(-1);
     }},
    {"emf_most_negative_values", nullptr,
     [](TEmfBuilder& b) {
         b.CreatePen(3, PS_DASH, INT_MIN, kGreenRef).SelectObject(3).MoveTo(0, 0).LineTo(INT_MIN, 10);
         b.CreateFont(4, INT_MIN, u"DejaVu Sans", INT_MIN, INT_MIN).SelectObject(4).TextOut(INT_MIN, 0, u"W");
         b.SelectObject(TEmfBuilder::kNullPen);
     }},
    {"emf_huge_font", nullptr,
     [](TEmfBuilder& b) {
         b.CreateFont(3, INT_MIN + 1, u"DejaVu Sans")
             .SelectObject(3)
             .TextOut(0, 0, u"W", 0, {0, 0, 0, 0}, {INT_MAX});
     }},
    {"emf_huge_text_advances", nullptr,
     [](TEmfBuilder& b) {
         b.TextOut(0, 0, u"WWW", 0, {0, 0, 0, 0}, {INT_MAX, INT_MIN, INT_MAX});
     }},
    {"emf_extreme_mapping", nullptr,
     [](TEmfBuilder& b) {
         b.SaveDC().SetMapMode(8).SetWindowExt(1, 1).SetViewportExt(INT_MAX, INT_MAX);
         for (int i = 0; i < 40; ++i)
             b.Record(31, {INT_MAX, 1, INT_MAX, 1});
         b.Rectangle(0, 0, 1, 1).Pie(0, 0, 1, 1, {1, 0}, {0, 1}).IntersectClipRect(0, 0, 1, 1).RestoreDC(-1);
     }},
    {"emf_tiny_mapping", nullptr,
     [](TEmfBuilder& b) {
         b.SaveDC().SetMapMode(8).SetWindowExt(INT_MAX, INT_MAX).SetViewportExt(1, 1);
         b.TextOut(0, 0, u"x").Ellipse(0, 0, INT_MAX, INT_MAX).RestoreDC(-1);
     }},
    {"emf_huge_world_transform", nullptr,
     [](TEmfBuilder& b) {
         b.SaveDC().SetWorldTransform(1e30f, 0, 0, 1e30f, 1e30f, 0).Rectangle(0, 0, 2, 2).RestoreDC(-1);
     }},
    {"emf_non_finite_world_transform", nullptr,
     [](TEmfBuilder& b) {
         b.SetWorldTransform(std::numeric_limits<float>::quiet_NaN(), 0, 0, 1, 0, 0);
         b.SetWorldTransform(std::numeric_limits<float>::infinity(), 0, 0, 1, 0, 0)
             .SetWorldTransform(0, 0, 0, 0, 0, 0);
     }},
    {"emf_degenerate_shapes", nullptr,
     [](TEmfBuilder& b) {
         b.Pie(10, 10, 10, 50, {0, 0}, {0, 0}).Arc(45, 10, 10, 50, 50, {10, 10}, {10, 10});
         b.RoundRect(0, 0, 0, 0, INT_MIN, INT_MIN).Points(2, {{0, 0}, {1, 1}}).Points(6, {});
     }},
    {"emf_path_never_closed", nullptr,
     [](TEmfBuilder& b) {
         b.BeginPath().MoveTo(0, 0).LineTo(INT_MAX, INT_MIN).EndPath().BeginPath().FillPath().AbortPath();
     }},
};

class MetafileExtreme : public ::testing::TestWithParam<TMalformedCase> {};

TEST_P(MetafileExtreme, PlaybackGoesOn) {
    const TMalformedCase& c = GetParam();
    const TMetafile metafile = LoadBytes(c.Wmf ? WmfAround(c.Wmf) : EmfAround(c.Emf));
    ExpectProbes(Render(metafile), {{75, 50, kBlue}});
}

INSTANTIATE_TEST_SUITE_P(, MetafileExtreme, ::testing::ValuesIn(kExtremeCases),
                         [](const auto& row) { return std::string(row.param.Name); });

// ---- Damaged copies of the fixtures: each loads or raises the one error, and draws if it loads.

TEST(MetafileMutation, DamagedFilesLoadOrRaiseNotValid) {
    std::mt19937 random(20240611);
    for (const TFixtureFile& fixture : MetafileFixtures()) {
        SCOPED_TRACE(fixture.Name);
        int loaded = 0;
        constexpr int kMutants = 400;
        for (int i = 0; i < kMutants; ++i) {
            TBytes bytes = fixture.Bytes;
            const auto at = [&] {
                return std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(random);
            };
            switch (random() % 4) {
            case 0: // a few bytes changed anywhere, headers included
                for (int n = 0; n < 4; ++n)
                    bytes[at()] = static_cast<std::uint8_t>(random());
                break;
            case 1: // a record size or count made extreme
                for (const std::uint32_t v : {0u, 1u, 0xFFFFu, 0xFFFFFFFFu}) {
                    const std::size_t p = at() & ~std::size_t{1};
                    if (p + 4 <= bytes.size() && p >= 22 && random() % 2 == 0)
                        Poke32(bytes, p, v);
                }
                break;
            case 2: // cut short
                bytes.resize(at());
                break;
            default: // records repeated: a slice copied over a later place
            {
                const std::size_t from = at(), to = at(),
                                  n = std::min<std::size_t>(64, bytes.size() - std::max(from, to));
                std::copy_n(fixture.Bytes.begin() + static_cast<std::ptrdiff_t>(from), n,
                            bytes.begin() + static_cast<std::ptrdiff_t>(to));
                break;
            }
            }
            TMetafile metafile;
            try {
                metafile.LoadFromMemory(bytes);
            } catch (const EInvalidGraphic& e) {
                ASSERT_STREQ(e.what(), "Metafile is not valid");
                continue;
            }
            ++loaded;
            const QImage image = Render(metafile, 48, 32);
            ASSERT_FALSE(image.isNull());
        }
        // Most damage lies past the header, so most copies load and are played.
        EXPECT_GT(loaded, kMutants / 4);
    }
}

} // namespace
} // namespace tintwell::test
