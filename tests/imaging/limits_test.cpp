#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "codec/errors.h"
#include "codec/limits.h"

namespace tintwell {
namespace {

struct SizeCase {
    const char* name;
    std::int64_t width;
    std::int64_t height;
    const char* error; // nullptr: accepted
};
void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.width << " x " << c.height; }

constexpr std::int64_t kBig = std::numeric_limits<std::int64_t>::max() / 2;

const SizeCase kSizes[] = {
    {"empty", 0, 0, nullptr},
    {"zero_width_huge_height", 0, kBig, nullptr},
    {"at_the_limit", 1 << 15, 1 << 15, nullptr},
    {"one_row_past", 1 << 15, (1 << 15) + 1, "Image is too large (32768 x 32769 pixels)"},
    {"product_overflows", kBig, kBig,
     "Image is too large (4611686018427387903 x 4611686018427387903 pixels)"},
    {"negative", -1, 5, "Image size is not valid (-1 x 5 pixels)"},
};

class ImageSizeLimit : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ImageSizeLimit, RefusesWhatCannotBeAllocated) {
    const std::int64_t saved = MaxImagePixels();
    SetMaxImagePixels(std::int64_t{1} << 30);
    try {
        CheckImageSize(GetParam().width, GetParam().height);
        EXPECT_EQ(GetParam().error, nullptr);
    } catch (const EInvalidGraphic& e) {
        ASSERT_NE(GetParam().error, nullptr) << e.Message();
        EXPECT_EQ(e.Message(), GetParam().error);
    }
    SetMaxImagePixels(saved);
}

INSTANTIATE_TEST_SUITE_P(, ImageSizeLimit, ::testing::ValuesIn(kSizes),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace tintwell
