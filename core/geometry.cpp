#include "core/geometry.h"

#include <algorithm>
#include <cstdint>

namespace tintwell {

TSize FitPictureSize(TSize picture, TSize area) noexcept {
    if (picture.IsEmpty() || area.IsEmpty())
        return {};
    if (picture.Width <= area.Width && picture.Height <= area.Height)
        return picture;
    // The width the area's height would give; if that does not fit, the width decides. Products in
    // 64 bits: both factors may be near the int limit.
    const std::int64_t width = std::int64_t{area.Height} * picture.Width / picture.Height;
    TSize fitted =
        width <= area.Width
            ? TSize{static_cast<int>(width), area.Height}
            : TSize{area.Width, static_cast<int>(std::int64_t{area.Width} * picture.Height / picture.Width)};
    fitted.Width = std::max(fitted.Width, 1);
    fitted.Height = std::max(fitted.Height, 1);
    return fitted;
}

} // namespace tintwell
