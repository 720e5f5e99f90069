#include "ui/main/picture_preview.h"

#include <QPainter>

#include "app/platform/open_picture_dialog.h"
#include "imaging/jpeg_image.h"
#include "imaging/picture.h"

namespace tintwell {

std::optional<TFilePreview> LoadFilePreview(const std::string& fileName, QSize maxSize) noexcept {
    try {
        TPicture picture;
        picture.LoadFromFile(fileName);
        TGraphic* graphic = picture.Graphic();
        const QSize original(graphic->Width(), graphic->Height());
        const QSize target = FitPictureSize(original, maxSize);
        if (target.isEmpty())
            return std::nullopt;

        QImage source;
        if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(graphic))
            source = jpeg->DecodeForPreview(target);
        QImage shown(target, QImage::Format_ARGB32_Premultiplied);
        if (shown.isNull())
            return std::nullopt;
        shown.fill(Qt::transparent);
        QPainter painter(&shown);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF area(0, 0, target.width(), target.height());
        if (!source.isNull()) {
            painter.drawImage(area, source);
        } else {
            graphic->Prepare();
            graphic->Draw(painter, area);
        }
        painter.end();
        return TFilePreview{std::move(shown), original};
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace tintwell
