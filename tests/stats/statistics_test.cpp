#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "stats/histogram.h"

namespace tintwell {
namespace {

struct LevelCount {
    int level;
    std::int32_t count;
};

THistogram Make(const std::vector<LevelCount>& counts) {
    THistogram histogram;
    for (const LevelCount& lc : counts)
        histogram.Counts[static_cast<std::size_t>(lc.level)] = lc.count;
    return histogram;
}

THistogram Uniform(std::int32_t count) {
    THistogram histogram;
    histogram.Counts.fill(count);
    return histogram;
}

// A second, independent way to the four real statistics: two passes over the deviations from a
// long double mean, and powl for the 1.5 power. It shares no formula with GetStatistics (which
// works from S1 and S2 and a mean rounded to double), so close agreement says the formulas are
// right; the table's exact values then pin the rounding.
struct Moments {
    long double mean, sd, skewness, kurtosis;
};

Moments NaiveMoments(const THistogram& histogram) {
    long double n = 0;
    long double sum = 0;
    for (int i = 0; i < 256; ++i) {
        n += histogram.Counts[static_cast<std::size_t>(i)];
        sum += static_cast<long double>(i) * histogram.Counts[static_cast<std::size_t>(i)];
    }
    const long double mean = sum / n;
    long double m2 = 0;
    long double m3 = 0;
    long double m4 = 0;
    for (int i = 0; i < 256; ++i) {
        const long double c = histogram.Counts[static_cast<std::size_t>(i)];
        const long double d = i - mean;
        m2 += c * d * d;
        m3 += c * d * d * d;
        m4 += c * d * d * d * d;
    }
    const long double variance = m2 / n;
    Moments m{mean, std::sqrt(m2 / (n - 1)), 0, 0};
    if (variance != 0) {
        m.skewness = (m3 / n) / std::pow(variance, 1.5L);
        m.kurtosis = (m4 / n) / (variance * variance);
    }
    return m;
}

void ExpectClose(const char* what, double actual, long double expected, long double relative) {
    const long double scale = std::max(1.0L, std::fabs(expected));
    EXPECT_LE(std::fabs(static_cast<long double>(actual) - expected), relative * scale)
        << what << ": actual " << actual << ", oracle " << static_cast<double>(expected);
}

// ---------------------------------------------------------------------------------------------

struct StatsCase {
    const char* name;
    std::vector<LevelCount> counts; // when empty and uniform > 0: every level holds `uniform`
    std::int32_t uniform;
    std::int32_t n;
    int minimum, maximum, mode, median;
    double mean, standardDeviation, skewness, kurtosis; // compared bit for bit
};

std::ostream& operator<<(std::ostream& os, const StatsCase& c) {
    os << c.name << " {";
    if (c.uniform > 0)
        os << " every level: " << c.uniform;
    for (const LevelCount& lc : c.counts)
        os << " " << lc.level << ":" << lc.count;
    return os << " }";
}

THistogram MakeCase(const StatsCase& c) { return c.uniform > 0 ? Uniform(c.uniform) : Make(c.counts); }

// The reals are exact doubles. Where they are not obvious they come from an exact rational model
// of the long double steps (x87 extended: every operation rounded to 64 significant bits, ln, exp
// and sqrt correctly rounded), not from this code. Plain double arithmetic misses the standard
// deviation or kurtosis of most rows below "ten_twenty_thirty" in the last bit; powl in place of
// exp(1.5 ln V) misses the skewness of the three rows that follow "mode_tie_keeps_lowest".
// "one_at_each_end" has kurtosis 1 mathematically; the stored standard deviation rounds up, so the
// steps give one ulp below 1.
const StatsCase kStatsCases[] = {
    {"empty", {}, 0, 0, 255, 0, 255, 255, 0, 0, 0, 0},
    {"one_sample", {{100, 1}}, 0, 1, 100, 100, 100, 100, 100, 0, 0, 0},
    // The median is one above the level at which the running count reaches N div 2.
    {"two_samples_same_level", {{100, 2}}, 0, 2, 100, 100, 100, 101, 100, 0, 0, 0},
    {"median_stops_at_255", {{255, 3}}, 0, 3, 255, 255, 255, 255, 255, 0, 0, 0},
    // 200 x 200 white: i * i * c is 2.6e9, past a 32-bit sum; the spread must still be exactly 0.
    {"white_image_sums_pass_32_bits", {{255, 40000}}, 0, 40000, 255, 255, 255, 255, 255, 0, 0, 0},
    {"ten_twenty_thirty", {{10, 1}, {20, 1}, {30, 1}}, 0, 3, 10, 30, 10, 11, 20, 10, 0, 1.5},
    {"one_at_each_end",
     {{0, 1}, {255, 1}},
     0,
     2,
     0,
     255,
     0,
     1,
     127.5,
     0x1.689fdc818bc91p+7,
     0,
     0x1.fffffffffffffp-1},
    {"one_to_four",
     {{1, 1}, {2, 1}, {3, 1}, {4, 1}},
     0,
     4,
     1,
     4,
     1,
     3,
     2.5,
     0x1.4a7e9cb8a3491p+0,
     0,
     0x1.a3d70a3d70a3ep+0},
    {"five_at_every_level",
     {},
     5,
     1280,
     0,
     255,
     0,
     128,
     127.5,
     0x1.27b7745ebe3c8p+6,
     0,
     0x1.ccca6663fffd7p+0},
    // N, S1 and S2 far past 32 bits (S2 is about 1.1e13).
    {"two_million_at_every_level",
     {},
     2'000'000,
     512'000'000,
     0,
     255,
     0,
     128,
     127.5,
     0x1.2799e0907be92p+6,
     0,
     0x1.ccca6663fffdap+0},
    // Mode ties keep the lowest level; the median scan starts at Minimum, not at 0.
    {"mode_tie_keeps_lowest",
     {{5, 3}, {9, 7}, {200, 7}},
     0,
     17,
     5,
     200,
     9,
     10,
     0x1.5bc3c3c3c3c3cp+6,
     0x1.860e17af5fb1cp+6,
     0x1.6e7b3144d48e3p-2,
     0x1.2106fedd267f2p+0},
    {"negative_skew",
     {{74, 3}, {204, 4}},
     0,
     7,
     74,
     204,
     204,
     75,
     0x1.2892492492492p+7,
     0x1.15f3a20f5a4bcp+6,
     -0x1.279a745903310p-2,
     0x1.155555555554ep+0},
    {"long_right_tail",
     {{72, 4}, {105, 4}, {221, 1}},
     0,
     9,
     72,
     221,
     72,
     73,
     0x1.9ce38e38e38e4p+6,
     0x1.792f553aa3273p+5,
     0x1.e9a9e10227169p+0,
     0x1.6562252d74772p+2},
    // Mathematically skewness 1.5 and kurtosis 3.25; the cancellation in S2 - Mean*Mean*N shows.
    {"narrow_spread_far_from_0",
     {{103, 4}, {114, 1}},
     0,
     5,
     103,
     114,
     103,
     104,
     0x1.a4ccccccccccdp+6,
     0x1.3ad69f7f3f330p+2,
     0x1.800000000012fp+0,
     0x1.a0000000001bap+1},
};

class HistogramStatistics : public ::testing::TestWithParam<StatsCase> {};

TEST_P(HistogramStatistics, MatchesTable) {
    const StatsCase& c = GetParam();
    const THistogramStatistics s = MakeCase(c).GetStatistics();
    EXPECT_EQ(s.N, c.n);
    EXPECT_EQ(s.Minimum, c.minimum);
    EXPECT_EQ(s.Maximum, c.maximum);
    EXPECT_EQ(s.Mode, c.mode);
    EXPECT_EQ(s.Median, c.median);
    EXPECT_EQ(s.Mean, c.mean);
    EXPECT_EQ(s.StandardDeviation, c.standardDeviation);
    EXPECT_EQ(s.Skewness, c.skewness);
    EXPECT_EQ(s.Kurtosis, c.kurtosis);
}

INSTANTIATE_TEST_SUITE_P(, HistogramStatistics, ::testing::ValuesIn(kStatsCases),
                         [](const auto& row) { return std::string(row.param.name); });

// The rows with a spread to compare: the oracle divides by N - 1.
std::vector<StatsCase> RowsWithTwoOrMoreSamples() {
    std::vector<StatsCase> rows;
    std::copy_if(std::begin(kStatsCases), std::end(kStatsCases), std::back_inserter(rows),
                 [](const StatsCase& c) { return c.n >= 2; });
    return rows;
}

class HistogramStatisticsOracle : public ::testing::TestWithParam<StatsCase> {};

TEST_P(HistogramStatisticsOracle, AgreesWithTwoPassComputation) {
    const StatsCase& c = GetParam();
    const THistogram histogram = MakeCase(c);
    const THistogramStatistics s = histogram.GetStatistics();
    const Moments m = NaiveMoments(histogram);
    // S2 - Mean*Mean*N, with Mean rounded to double, loses digits when the spread is small beside
    // the mean ("narrow_spread_far_from_0" is off by 1.5e-14), hence 1e-12 for the spread figures.
    ExpectClose("Mean", s.Mean, m.mean, 1e-15L);
    ExpectClose("StandardDeviation", s.StandardDeviation, m.sd, 1e-12L);
    ExpectClose("Skewness", s.Skewness, m.skewness, 1e-12L);
    ExpectClose("Kurtosis", s.Kurtosis, m.kurtosis, 1e-12L);
}

INSTANTIATE_TEST_SUITE_P(, HistogramStatisticsOracle, ::testing::ValuesIn(RowsWithTwoOrMoreSamples()),
                         [](const auto& row) { return std::string(row.param.name); });

// The largest N a histogram from GetHistogram can hold, with a lone outlier. The spread comes from
// S2 - Mean*Mean*N with Mean rounded to double, so it may differ from the two-pass value in the
// seventh digit; it must stay positive and close.
TEST(HistogramStatisticsLimits, LargestCountWithLoneOutlier) {
    const THistogram histogram = Make({{0, 1}, {255, 2'147'483'646}});
    const THistogramStatistics s = histogram.GetStatistics();
    EXPECT_EQ(s.N, 2'147'483'647);
    EXPECT_EQ(s.Minimum, 0);
    EXPECT_EQ(s.Maximum, 255);
    EXPECT_EQ(s.Mode, 255);
    EXPECT_EQ(s.Median, 255);
    const Moments m = NaiveMoments(histogram);
    ExpectClose("Mean", s.Mean, m.mean, 1e-15L);
    EXPECT_GT(s.StandardDeviation, 0.0);
    EXPECT_NEAR(s.StandardDeviation, static_cast<double>(m.sd), 1e-6 * static_cast<double>(m.sd));
    EXPECT_TRUE(std::isfinite(s.Skewness));
    EXPECT_LT(s.Skewness, 0.0);
    EXPECT_TRUE(std::isfinite(s.Kurtosis));
}

// Counts is public, so a caller can write counters GetHistogram never produces. The outputs stay
// finite; with a negative counter S2 - Mean*Mean*N can be negative, which counts as no spread.
TEST(HistogramStatisticsLimits, NegativeCountersGiveFiniteResults) {
    const THistogramStatistics s = Make({{0, 3}, {10, -1}}).GetStatistics();
    EXPECT_EQ(s.N, 2);
    EXPECT_EQ(s.Minimum, 0);
    EXPECT_EQ(s.Maximum, 10);
    EXPECT_EQ(s.Mode, 0);
    EXPECT_EQ(s.Median, 1);
    EXPECT_EQ(s.Mean, -5.0);
    EXPECT_EQ(s.StandardDeviation, 0.0);
    EXPECT_EQ(s.Skewness, 0.0);
    EXPECT_EQ(s.Kurtosis, 0.0);

    const THistogramStatistics zero = Make({{3, 1}, {7, -1}}).GetStatistics();
    EXPECT_EQ(zero.N, 0);
    EXPECT_EQ(zero.Mean, 0.0);
    EXPECT_TRUE(std::isfinite(zero.StandardDeviation));
}

TEST(HistogramStatisticsLimits, LeavesTheCountersAlone) {
    THistogram histogram = Make({{3, 4}, {90, 1}, {250, 9}});
    const auto before = histogram.Counts;
    (void)histogram.GetStatistics();
    EXPECT_EQ(histogram.Counts, before);
}

} // namespace
} // namespace tintwell
