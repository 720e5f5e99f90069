// Properties checked over every one of the 16,777,216 colours: cheaper than guessing which
// hand-picked sample would have found a slip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "colour/colour.h"
#include "colour/hsv.h"
#include "colour/palette.h"

namespace tintwell {
namespace {

constexpr TColor kColourCount = 1 << 24;

bool IsWhole(double x) { return std::nearbyint(x) == x; }

bool InPercentRange(const THSVColor& hsv) {
    return hsv.Saturation >= 0 && hsv.Saturation <= 100 && hsv.Value >= 0 && hsv.Value <= 100 &&
           IsWhole(hsv.Hue) && IsWhole(hsv.Saturation) && IsWhole(hsv.Value);
}

TEST(EveryColour, HtmlRoundTripIsExactAndUpperCase) {
    int failures = 0;
    for (TColor c = 0; c < kColourCount && failures < 5; ++c) {
        const std::string html = ColorToHTML(c);
        const bool upper =
            std::none_of(html.begin(), html.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; });
        if (html.size() != 7 || !upper || HTMLToColor(html) != c) {
            ADD_FAILURE() << "colour " << c << " wrote " << html;
            ++failures;
        }
    }
}

TEST(EveryColour, PaletteTriplesAndChannelsStayInRange) {
    int failures = 0;
    for (TColor c = 0; c < kColourCount && failures < 5; ++c) {
        const THSVColor base = ColorToHSV(c);
        bool ok = InPercentRange(base) && base.Hue >= 0 && base.Hue <= 360;
        const auto triples = BuildPaletteHSV(base);
        // Scheme1 keeps the base hue (360 included); the band rules give Scheme2 and Scheme3
        // hues within 0..359.
        ok = ok && triples[0].Hue == base.Hue;
        ok = ok && triples[1].Hue >= 0 && triples[1].Hue <= 359 && triples[2].Hue >= 0 &&
             triples[2].Hue <= 359;
        for (const THSVColor& hsv : triples) {
            ok = ok && InPercentRange(hsv);
            for (const int level : HSVToChannels(hsv))
                ok = ok && level >= 0 && level <= 255;
        }
        if (!ok) {
            ADD_FAILURE() << "colour " << ColorToHTML(c) << " leaves the range";
            ++failures;
        }
    }
}

TEST(EveryColour, CorrectionsOnlyLiftTheInverse) {
    int failures = 0;
    for (TColor c = 0; c < kColourCount && failures < 5; ++c) {
        const TColor inverse = InvertColor(c);
        const TColor maximized = CorrectedInverse(c, TGrayCorrectionMode::gcMaximized);
        // Maximized lifts all channels by one amount until the brightest reaches full intensity.
        const int lift = 255 - std::max({GetRValue(inverse), GetGValue(inverse), GetBValue(inverse)});
        bool ok = maximized == AddColors(inverse, RGB(lift, lift, lift)) &&
                  std::max({GetRValue(maximized), GetGValue(maximized), GetBValue(maximized)}) == 255;
        for (const auto mode : {TGrayCorrectionMode::gcAverage, TGrayCorrectionMode::gcPartial}) {
            const TColor corrected = CorrectedInverse(c, mode);
            ok = ok && GetRValue(corrected) >= GetRValue(inverse) &&
                 GetGValue(corrected) >= GetGValue(inverse) && GetBValue(corrected) >= GetBValue(inverse) &&
                 (corrected >> 24) == 0;
        }
        if (!ok) {
            ADD_FAILURE() << "colour " << ColorToHTML(c);
            ++failures;
        }
    }
}

} // namespace
} // namespace tintwell
