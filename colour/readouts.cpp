#include "colour/readouts.h"

#include "core/conversions.h"

namespace tintwell {
namespace {

TColorReadout ReadoutOf(TColor color) {
    return {color, IntToStr(GetRValue(color)), IntToStr(GetGValue(color)), IntToStr(GetBValue(color)),
            ColorToHTML(color)};
}

} // namespace

TColorReadouts ComputeReadouts(TColor color, TGrayCorrectionMode mode) {
    TColorReadouts readouts;
    readouts.Current = ReadoutOf(color);
    readouts.Inverse = ReadoutOf(InvertColor(color));
    readouts.Corrected = ReadoutOf(CorrectedInverse(color, mode));

    readouts.Scheme = BuildPalette(color);
    const std::array<TColor, 5> schemes = readouts.Scheme.Schemes();
    for (std::size_t i = 0; i < schemes.size(); ++i)
        readouts.Palette[i] = {schemes[i], ColorToHTML(schemes[i]), ColorToRGBText(schemes[i])};
    return readouts;
}

} // namespace tintwell
