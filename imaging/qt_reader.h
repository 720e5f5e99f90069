#pragma once

#include <QImage>
#include <string>
#include <string_view>

namespace tintwell {

// Reads a file with Qt's reader for format ("bmp", "ico"), chosen by our extension and never by
// content (Qt would otherwise load a PNG named x.bmp). Raises EFOpenError for a file that cannot
// be opened, EInvalidGraphic with the size message past the loaders' limit, and EInvalidGraphic
// with invalidMessage for anything the reader refuses.
QImage ReadWithQtReader(const std::string& fileName, const char* format, std::string_view invalidMessage);

} // namespace tintwell
