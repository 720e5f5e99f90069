// Decoding a JPEG file as it is read, a block at a time, gives what decoding the same bytes held
// in memory gives: the same layout, every row the same, or the same error. The files are made
// larger than one read block, so that the data, a cut and a skipped marker fall past a block's end.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "codec/errors.h"
#include "codec/file_io.h"
#include "codec/jpeg_decode.h"
#include "support/jpeg_builder.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

// Keeps every row a decoder delivers, in a raster of the layout's size, and what it was told.
class TRecordingSink final : public TRasterSink {
public:
    std::uint32_t Begin(const TRasterLayout& layout) noexcept override {
        Layout = layout;
        Rows.assign(std::size_t{layout.Height} * layout.RowBytes(), 0);
        return 7; // not a whole number of libjpeg's row groups
    }
    TBandView Band(std::uint32_t first, std::uint32_t count) noexcept override {
        FBand.assign(Layout.RowBytes() * count, 0);
        FFirst = first;
        return TBandView{FBand.data(), static_cast<std::ptrdiff_t>(Layout.RowBytes()), first, count};
    }
    void Commit(std::uint32_t rows) noexcept override {
        std::copy_n(FBand.begin(), Layout.RowBytes() * rows,
                    Rows.begin() + static_cast<std::ptrdiff_t>(FFirst * Layout.RowBytes()));
        Committed += rows;
    }
    void Discard() noexcept override {
        std::fill(Rows.begin(), Rows.end(), 0);
        ++Discards;
    }

    TRasterLayout Layout;
    std::vector<std::uint8_t> Rows;
    std::uint32_t Committed = 0;
    int Discards = 0;

private:
    std::vector<std::uint8_t> FBand;
    std::uint32_t FFirst = 0;
};

struct TOutcome {
    TRecordingSink Sink;
    std::string Error;
};

template <typename Decode> TOutcome Outcome(Decode decode) {
    TOutcome outcome;
    try {
        decode(outcome.Sink);
    } catch (const Exception& e) {
        outcome.Error = e.Message();
    }
    return outcome;
}

void ExpectSame(const TOutcome& file, const TOutcome& memory) {
    EXPECT_EQ(file.Error, memory.Error);
    EXPECT_EQ(file.Sink.Layout.Width, memory.Sink.Layout.Width);
    EXPECT_EQ(file.Sink.Layout.Height, memory.Sink.Layout.Height);
    EXPECT_EQ(file.Sink.Layout.Indexed, memory.Sink.Layout.Indexed);
    EXPECT_EQ(file.Sink.Layout.Table, memory.Sink.Layout.Table);
    EXPECT_EQ(file.Sink.Committed, memory.Sink.Committed);
    EXPECT_EQ(file.Sink.Discards, memory.Sink.Discards);
    EXPECT_TRUE(file.Sink.Rows == memory.Sink.Rows) << "the decoded rows differ";
}

// A photo-like picture that compresses badly, so its file spans several 64 KiB read blocks.
std::vector<std::uint8_t> NoisyJpeg(test::TJpegKind kind = test::TJpegKind::Colour) {
    test::TJpegRecipe recipe;
    recipe.Width = 500;
    recipe.Height = 330;
    recipe.Kind = kind;
    recipe.Quality = 95;
    recipe.Pixel = [](int x, int y, std::uint8_t rgb[3]) {
        const auto ux = static_cast<unsigned>(x);
        const auto uy = static_cast<unsigned>(y);
        const unsigned noise = (ux * 2654435761u ^ uy * 40503u) >> 7;
        rgb[0] = static_cast<std::uint8_t>(ux + (noise & 63));
        rgb[1] = static_cast<std::uint8_t>(uy * 3 + ((noise >> 6) & 63));
        rgb[2] = static_cast<std::uint8_t>(ux ^ uy ^ (noise >> 12));
    };
    return test::MakeJpeg(recipe);
}

constexpr std::size_t kBlock = std::size_t{64} << 10;

// Application markers libjpeg skips, inserted after the start of image: each `size` bytes long
// in all, so that the skip runs over a block's end.
std::vector<std::uint8_t> WithSkippedMarkers(std::vector<std::uint8_t> bytes, int markers, std::size_t size) {
    std::vector<std::uint8_t> inserted;
    for (int i = 0; i < markers; ++i) {
        const std::size_t length = size - 2;
        inserted.insert(inserted.end(), {0xFF, 0xE5, static_cast<std::uint8_t>(length >> 8),
                                         static_cast<std::uint8_t>(length & 0xFF)});
        inserted.resize(inserted.size() + length - 2, static_cast<std::uint8_t>(i + 1));
    }
    bytes.insert(bytes.begin() + 2, inserted.begin(), inserted.end());
    return bytes;
}

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t size) {
    bytes.resize(std::min(size, bytes.size()));
    return bytes;
}

struct TFileCase {
    const char* Name;
    std::vector<std::uint8_t> (*Bytes)();
    bool Quantize = false;
};

void PrintTo(const TFileCase& fileCase, std::ostream* out) { *out << fileCase.Name; }

const TFileCase kFileCases[] = {
    {"several_blocks", [] { return NoisyJpeg(); }},
    {"several_blocks_quantized", [] { return NoisyJpeg(); }, true},
    {"grayscale", [] { return NoisyJpeg(test::TJpegKind::Grayscale); }},
    {"adobe_cmyk", [] { return NoisyJpeg(test::TJpegKind::AdobeCmyk); }},
    {"cut_inside_a_later_block", [] { return Cut(NoisyJpeg(), 2 * kBlock + 1234); }},
    {"cut_at_a_block_end", [] { return Cut(NoisyJpeg(), 2 * kBlock); }},
    {"markers_skipped_across_a_block_end", [] { return WithSkippedMarkers(NoisyJpeg(), 2, 40000); }},
    {"marker_running_past_the_end",
     [] { return Cut(WithSkippedMarkers(NoisyJpeg(), 2, 40000), kBlock + 10); }},
    {"header_only", [] { return Cut(NoisyJpeg(), 700); }},
    {"one_byte", [] { return std::vector<std::uint8_t>{0xFF}; }},
    {"empty", [] { return std::vector<std::uint8_t>{}; }},
};

class JpegFileDecode : public ::testing::TestWithParam<TFileCase> {
protected:
    test::TempDir folder;
};

TEST_P(JpegFileDecode, GivesWhatTheBytesInMemoryGive) {
    const std::vector<std::uint8_t> bytes = GetParam().Bytes();
    const std::string path = folder.Path("picture.jpg");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const TJpegDecodeOptions options{GetParam().Quantize, 1};
    const TOutcome memory =
        Outcome([&](TRasterSink& sink) { DecodeJpeg(bytes.data(), bytes.size(), options, sink); });
    const TOutcome file = Outcome([&](TRasterSink& sink) { DecodeJpegFile(path, options, sink); });
    ExpectSame(file, memory);
}

INSTANTIATE_TEST_SUITE_P(, JpegFileDecode, ::testing::ValuesIn(kFileCases),
                         [](const ::testing::TestParamInfo<TFileCase>& fileCase) {
                             return std::string(fileCase.param.Name);
                         });

TEST(JpegFileDecodeFixtures, ThePictureReallySpansSeveralBlocks) {
    // The cases above lose their point on a file that fits one block.
    EXPECT_GT(NoisyJpeg().size(), 2 * kBlock + 1234);
}

TEST(JpegFileDecodeErrors, AFileThatCannotBeOpenedFailsAsReadingItWholeDoes) {
    const test::TempDir folder;
    for (const std::string& path : {folder.Path("missing.jpg"), folder.Path("")}) {
        std::string whole;
        try {
            ReadWholeFile(path);
        } catch (const EFOpenError& e) {
            whole = e.Message();
        }
        ASSERT_NE(whole, "") << path;
        TRecordingSink sink;
        try {
            DecodeJpegFile(path, TJpegDecodeOptions{}, sink);
            ADD_FAILURE() << path << " decoded";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), whole);
        }
        EXPECT_EQ(sink.Committed, 0u);
    }
}

} // namespace
} // namespace tintwell
