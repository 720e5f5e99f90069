// The heap meter counts with the allocator's own figures (glibc's, or the address sanitizer's).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "settings/heap_status.h"

namespace tintwell {
namespace {

struct RoundCase {
    const char* name;
    std::uint32_t bytes;
    std::uint32_t unit;
    std::uint32_t expected;
};

const RoundCase kRoundCases[] = {
    {"below_half", 511, 1024, 0},
    {"half_to_even_zero", 512, 1024, 0},
    {"above_half", 513, 1024, 1},
    {"one_and_a_half_to_two", 1536, 1024, 2},
    {"two_and_a_half_to_two", 2560, 1024, 2},
    {"mib_half_to_even", 3 * 1024 * 1024 / 2, 1024 * 1024, 2},
    {"largest", 0xFFFFFFFFu, 1024, 4194304},
};

class HeapStatusRounding : public ::testing::TestWithParam<RoundCase> {};

TEST_P(HeapStatusRounding, HalvesGoToEven) {
    EXPECT_EQ(THeapStatus::DivideRounded(GetParam().bytes, GetParam().unit), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, HeapStatusRounding, ::testing::ValuesIn(kRoundCases),
                         [](const auto& row) { return std::string(row.param.name); });

// Touched, so that neither the compiler nor the allocator can leave the block out.
std::unique_ptr<char[]> Allocate(std::size_t size) {
    std::unique_ptr<char[]> block(new char[size]);
    std::memset(block.get(), 1, size);
    return block;
}

TEST(HeapStatus, CountsWhatIsAllocatedSinceTheMark) {
    constexpr std::uint32_t kMiB = 1024 * 1024;
    THeapStatus meter;
    meter.mark();
    std::unique_ptr<char[]> block = Allocate(3 * kMiB);
    EXPECT_GE(meter.getB(), 3 * kMiB);
    EXPECT_LT(meter.getB(), 3 * kMiB + 64 * 1024) << "only the block and a little bookkeeping";
    EXPECT_EQ(meter.getMb(), 3u);
    EXPECT_GE(meter.getKb(), 3u * 1024);
    block.reset();
    // Back to about the mark, give or take what the test framework itself did meanwhile.
    EXPECT_LT(std::abs(static_cast<std::int32_t>(meter.getB())), 64 * 1024);
}

TEST(HeapStatus, LessThanAtTheMarkWrapsAround) {
    std::unique_ptr<char[]> block = Allocate(1024 * 1024);
    THeapStatus meter;
    meter.mark();
    block.reset();
    EXPECT_GT(meter.getB(), 0xFFE00000u) << "an unsigned 32-bit difference";
}

} // namespace
} // namespace tintwell
