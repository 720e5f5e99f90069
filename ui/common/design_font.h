#pragma once

#include <QFont>

namespace tintwell {

// The face the windows are designed in: Liberation Sans (fonts-liberation2) at 11 pixels, whose
// widths match the design's captions. It is the application's default font as well, so that the
// open dialog, the error box and every widget without a font of its own use it too, instead of
// whatever the machine's "sans-serif" happens to resolve to (a monospaced face on a bare system).
QFont DesignFont();

} // namespace tintwell
