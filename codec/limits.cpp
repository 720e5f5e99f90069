#include "codec/limits.h"

#include "codec/errors.h"
#include "core/conversions.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

std::int64_t gMaxImagePixels = std::int64_t{1} << 30;

} // namespace

std::int64_t MaxImagePixels() noexcept { return gMaxImagePixels; }

void SetMaxImagePixels(std::int64_t pixels) noexcept { gMaxImagePixels = pixels; }

void CheckImageSize(std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0)
        throw EInvalidGraphic(FormatText(ResString("Image size is not valid (%d x %d pixels)"),
                                         {IntToStr(width), IntToStr(height)}));
    // Divided rather than multiplied: two huge sides must not overflow on the way to the answer.
    if (width > 0 && height > gMaxImagePixels / width)
        throw EInvalidGraphic(FormatText(ResString("Image is too large (%d x %d pixels)"),
                                         {IntToStr(width), IntToStr(height)}));
}

} // namespace tintwell
