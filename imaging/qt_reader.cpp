#include "imaging/qt_reader.h"

#include <QImageReader>
#include <algorithm>
#include <climits>

#include "codec/errors.h"
#include "codec/file_io.h"
#include "codec/limits.h"

namespace tintwell {

QImage ReadWithQtReader(const std::string& fileName, const char* format, std::string_view invalidMessage) {
    TFileStream probe(fileName); // a missing file is an open error, not an invalid picture
    // Qt refuses images above 128 MB decoded by default; ours is the loaders' own limit, at the
    // four bytes per pixel Qt's readers decode into.
    const std::int64_t limitMb = MaxImagePixels() * 4 / (1024 * 1024) + 1;
    QImageReader::setAllocationLimit(static_cast<int>(std::min<std::int64_t>(limitMb, INT_MAX)));
    QImageReader reader(QString::fromStdString(fileName), format);
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (size.isValid())
        CheckImageSize(size.width(), size.height());
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw EInvalidGraphic(std::string(invalidMessage));
    // Qt keeps a file's short palette as it is, and a damaged file's pixels may name entries past
    // its end, which Qt's painting and conversions then read beyond the table. Every index the
    // depth allows gets a colour: black, as our own rasters pad theirs.
    if (image.depth() <= 8 && image.colorCount() < (1 << image.depth())) {
        QList<QRgb> table = image.colorTable();
        table.resize(qsizetype{1} << image.depth(), qRgb(0, 0, 0));
        image.setColorTable(table);
    }
    return image;
}

} // namespace tintwell
