#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <set>
#include <string>

#include "codec/file_formats.h"
#include "core/file_name.h"

namespace tintwell {

// Found by the test framework through the enum's namespace, so failures name the decoder.
void PrintTo(TDecoderKind kind, std::ostream* os) {
    switch (kind) {
    case TDecoderKind::Metafile: *os << "Metafile"; return;
    case TDecoderKind::Icon: *os << "Icon"; return;
    case TDecoderKind::Bitmap: *os << "Bitmap"; return;
    case TDecoderKind::Tiff: *os << "Tiff"; return;
    case TDecoderKind::Jpeg: *os << "Jpeg"; return;
    }
    *os << "kind " << static_cast<int>(kind);
}

namespace {

struct TDecoderCase {
    const char* Name;
    std::string_view Extension;
    std::optional<TDecoderKind> Decoder;
};
void PrintTo(const TDecoderCase& row, std::ostream* os) { *os << "'" << row.Extension << "'"; }

class DecoderOfExtensionTable : public ::testing::TestWithParam<TDecoderCase> {};

TEST_P(DecoderOfExtensionTable, ChoosesTheDecoder) {
    EXPECT_EQ(DecoderOfExtension(GetParam().Extension), GetParam().Decoder);
}

INSTANTIATE_TEST_SUITE_P(
    , DecoderOfExtensionTable,
    ::testing::Values(
        TDecoderCase{"jpg", "jpg", TDecoderKind::Jpeg}, TDecoderCase{"JPG", "JPG", TDecoderKind::Jpeg},
        TDecoderCase{"Jpeg", "Jpeg", TDecoderKind::Jpeg}, TDecoderCase{"tif", "tif", TDecoderKind::Tiff},
        TDecoderCase{"TIFF", "TIFF", TDecoderKind::Tiff}, TDecoderCase{"bmp", "bmp", TDecoderKind::Bitmap},
        TDecoderCase{"BMP", "BMP", TDecoderKind::Bitmap}, TDecoderCase{"ico", "ico", TDecoderKind::Icon},
        TDecoderCase{"wmf", "wmf", TDecoderKind::Metafile},
        TDecoderCase{"EMF", "EMF", TDecoderKind::Metafile}, TDecoderCase{"gif", "gif", std::nullopt},
        TDecoderCase{"empty", "", std::nullopt}, TDecoderCase{"prefix_only", "jp", std::nullopt},
        TDecoderCase{"longer", "jpgx", std::nullopt}, TDecoderCase{"with_dot", ".jpg", std::nullopt},
        TDecoderCase{"trailing_space", "jpg ", std::nullopt},
        TDecoderCase{"utf8_capital_i",
                     "T\xC4\xB0"
                     "F",
                     std::nullopt}),
    [](const auto& row) { return std::string(row.param.Name); });

// The table itself: a second entry for an extension, or one not in lower case, would make the
// window's registry and the streaming road disagree about which entry counts.
TEST(FileFormats, EachExtensionOnceInLowerCase) {
    std::set<std::string> seen;
    for (const TFileFormat& format : kFileFormats) {
        const std::string extension(format.Extension);
        EXPECT_FALSE(extension.empty());
        EXPECT_EQ(LowerCaseAscii(extension), extension) << extension;
        EXPECT_EQ(extension.find('.'), std::string::npos) << extension;
        EXPECT_TRUE(seen.insert(LowerCaseAscii(extension)).second) << extension << " listed twice";
        EXPECT_FALSE(format.Description.empty()) << extension;
    }
}

} // namespace
} // namespace tintwell
