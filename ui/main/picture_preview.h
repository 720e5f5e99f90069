#pragma once

#include <QSize>
#include <optional>
#include <string>

#include "app/platform/platform_services.h"

namespace tintwell {

// What the open dialog's picture pane and its "Preview" window show for a file: the picture
// loaded by its extension and drawn at most maxSize (aspect ratio kept, never enlarged), with its
// real size. A JPEG is decoded at a reduced scale where that is enough, so browsing large photos
// stays cheap. Nothing when the file does not load; the pane reports no errors, so none escape.
std::optional<TFilePreview> LoadFilePreview(const std::string& fileName, QSize maxSize) noexcept;

} // namespace tintwell
