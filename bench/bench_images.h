#pragma once

// The whole-command benchmark's images, the same bytes on every run: photo-like content (smooth
// gradients, a few soft shapes, fine grain) so that the codecs work as on real photos. The road
// identity test writes them small; make_bench_images writes them at full size.

#include <string>

namespace tintwell::bench {

// False when the file cannot be written.
bool WriteJpeg(const std::string& path, int width, int height);
// LZW with the horizontal predictor, 16 rows per strip.
bool WriteTiff(const std::string& path, int width, int height);
// Uncompressed 24-bit, bottom-up.
bool WriteBmp(const std::string& path, int width, int height);

} // namespace tintwell::bench
