#pragma once

#include <QSize>
#include <optional>
#include <string>

#include "platform/platform_services.h"

namespace tintwell {

class TGraphic;

// A prepared picture at target size. Rasters are reduced by area averaging, so every pixel of a
// large photo counts where point sampling would show its grain; metafiles are drawn at that size.
// A null image when memory for it cannot be had.
QImage ScaleGraphic(const TGraphic& graphic, QSize target);

// What the open dialog's picture pane and its "Preview" window show for a file: the picture
// loaded by its extension and drawn at most maxSize (aspect ratio kept, never enlarged), with its
// real size. A JPEG is decoded at a reduced scale where that is enough, so browsing large photos
// stays cheap. Nothing when the file does not load; the pane reports no errors, so none escape.
std::optional<TFilePreview> LoadFilePreview(const std::string& fileName, QSize maxSize) noexcept;

} // namespace tintwell
