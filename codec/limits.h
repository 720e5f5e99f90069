#pragma once

#include <cstdint>

namespace tintwell {

// The largest image any loader will allocate, in pixels. The histogram counters need fewer than
// 2^31; memory needs less still (a 24-bit raster of 2^30 pixels takes 3 GiB). Fuzzing lowers it so
// a few header bytes cannot claim gigabytes.
std::int64_t MaxImagePixels() noexcept;
void SetMaxImagePixels(std::int64_t pixels) noexcept;

// Raises EInvalidGraphic "Image is too large (<w> x <h> pixels)" when width x height passes the
// limit, and "Image size is not valid (<w> x <h> pixels)" for a negative side.
void CheckImageSize(std::int64_t width, std::int64_t height);

} // namespace tintwell
