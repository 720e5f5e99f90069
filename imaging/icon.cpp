#include "imaging/icon.h"

#include <QImageReader>
#include <QPainter>

#include "core/resource_text.h"
#include "imaging/errors.h"
#include "imaging/file_io.h"
#include "imaging/limits.h"
#include "imaging/registry.h"

namespace tintwell {

const TGraphicClass kIconClass{"TIcon", [] { return std::unique_ptr<TGraphic>(std::make_unique<TIcon>()); }};

void TIcon::LoadFromFile(const std::string& fileName) {
    TFileStream probe(fileName); // a missing file is an open error, not an invalid icon
    QImageReader reader(QString::fromStdString(fileName), "ico");
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (size.isValid())
        CheckImageSize(size.width(), size.height());
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw EInvalidGraphic(ResString("Icon image is not valid"));
    FImage = std::move(image);
}

void TIcon::Draw(QPainter& painter, const QRectF& rect) const {
    if (!FImage.isNull())
        painter.drawImage(rect, FImage);
}

} // namespace tintwell
