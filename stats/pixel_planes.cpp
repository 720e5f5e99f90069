#include "stats/pixel_planes.h"

#include <stdexcept>
#include <string>

#include "stats/pixel_planes_p.h"

namespace tintwell {

std::int64_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c <= 0)
        throw std::invalid_argument("MulDiv: divisor must be positive, got " + std::to_string(c));
    return detail::MulDivUnchecked(a, b, c);
}

THSVInt RGBToHSVInt(std::uint8_t R, std::uint8_t G, std::uint8_t B) noexcept {
    return detail::HSVInt(R, G, B);
}

THLSReal RGBToHLSReal(float r, float g, float b) noexcept { return detail::HLSReal(r, g, b); }

THLSInt RGBToHLSInt(std::uint8_t R, std::uint8_t G, std::uint8_t B) noexcept {
    return detail::HLSInt(R, G, B);
}

TCMYK RGBToCMYK(std::uint8_t R, std::uint8_t G, std::uint8_t B) noexcept { return detail::CMYK(R, G, B); }

std::uint8_t PlaneLevel(TPixelPlane plane, std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    std::uint8_t level = 0;
    const bool known = detail::DispatchPlane(
        plane, [&](auto p) { level = detail::PlaneLevelOf<decltype(p)::value>(R, G, B); });
    if (!known)
        throw std::invalid_argument("PlaneLevel: unknown pixel plane " +
                                    std::to_string(static_cast<int>(plane)));
    return level;
}

} // namespace tintwell
