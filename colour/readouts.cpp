#include "colour/readouts.h"

#include "core/conversions.h"

namespace tintwell {
namespace {

void WriteChannels(std::string* fields, TColor color) {
    fields[0] = IntToStr(GetRValue(color));
    fields[1] = IntToStr(GetGValue(color));
    fields[2] = IntToStr(GetBValue(color));
    fields[3] = ColorToHTML(color);
}

} // namespace

TColorReadouts ComputeReadouts(TColor color, TGrayCorrectionMode mode) {
    TColorReadouts readouts;
    readouts.Current = color;
    readouts.Inverse = InvertColor(color);
    readouts.Corrected = CorrectedInverse(color, mode);

    WriteChannels(&readouts.Fields[0], readouts.Current);
    WriteChannels(&readouts.Fields[4], readouts.Inverse);
    WriteChannels(&readouts.Fields[8], readouts.Corrected);

    readouts.Scheme = BuildPalette(color);
    const std::array<TColor, 5> schemes = readouts.Scheme.Schemes();
    for (std::size_t i = 0; i < schemes.size(); ++i) {
        readouts.SchemeHTML[i] = ColorToHTML(schemes[i]);
        readouts.SchemeRGB[i] = ColorToRGBText(schemes[i]);
    }
    return readouts;
}

} // namespace tintwell
