#pragma once

#include <array>
#include <string>

#include "colour/colour.h"
#include "colour/palette.h"

namespace tintwell {

// One colour as the main window shows it: the swatch fill, its channels in decimal (no leading
// zeros) and its HTML code.
struct TColorReadout {
    TColor Color = 0;
    std::string R;
    std::string G;
    std::string B;
    std::string HTML;
};

// One palette swatch with the two labels under it.
struct TPaletteCell {
    TColor Color = 0;
    std::string HTML; // "#CCCCCC"
    std::string RGB;  // "204,204,204"
};

// Everything the main window shows for one current colour and correction mode. The window only
// copies these into its fields, swatches and labels, in the order it writes them.
struct TColorReadouts {
    TColorReadout Current;
    TColorReadout Inverse;
    TColorReadout Corrected;

    TColorScheme Scheme;
    // Scheme1..Scheme5 with the texts of their labels, so that the labels say what the swatches show.
    std::array<TPaletteCell, 5> Palette;
};

TColorReadouts ComputeReadouts(TColor color, TGrayCorrectionMode mode);

} // namespace tintwell
