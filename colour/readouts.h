#pragma once

#include <array>
#include <string>
#include <string_view>

#include "colour/colour.h"
#include "colour/palette.h"

namespace tintwell {

// Everything the main window shows for one current colour and correction mode, in the order it
// writes it. The window only copies these into its fields, swatches and labels.
struct TColorReadouts {
    // The swatch fills: shpAvg, shpAvgInv, shpAvgInvCorrected.
    TColor Current = 0;
    TColor Inverse = 0;
    TColor Corrected = 0;

    // The field texts in writing order; kReadoutFieldNames gives each one's field.
    std::array<std::string, 12> Fields;

    TColorScheme Scheme;
    // lblHTML1..5 and lblRGB1..5, taken from the scheme colours.
    std::array<std::string, 5> SchemeHTML;
    std::array<std::string, 5> SchemeRGB;
};

inline constexpr std::array<std::string_view, 12> kReadoutFieldNames = {
    "dfR", "dfG", "dfB", "dfHTML", "dfRi", "dfGi", "dfBi", "dfHTMLi", "dfRc", "dfGc", "dfBc", "dfHTMLc"};

TColorReadouts ComputeReadouts(TColor color, TGrayCorrectionMode mode);

} // namespace tintwell
