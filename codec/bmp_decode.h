#pragma once

#include <string>

#include "codec/raster.h"

namespace tintwell {

// An uncompressed 24-bit BMP file already has a 24-bit raster's row layout (blue, green, red, rows
// padded to four bytes), so its rows are read straight into the sink's bands, many rows per read.
// Returns false, having delivered nothing, for every other kind of file. Raises EFOpenError when
// the file cannot be opened, EInvalidGraphic "Bitmap image is not valid" when its pixels do not
// fit the file or cannot be read, and for a size past the loaders' limit or a sink without room.
bool ReadPlain24BitBmp(const std::string& fileName, TRasterSink& sink);

} // namespace tintwell
