#include "imaging/icon.h"

#include <QPainter>

#include "core/resource_text.h"
#include "imaging/qt_reader.h"
#include "imaging/registry.h"

namespace tintwell {

const TGraphicClass kIconClass{"TIcon", [] { return std::unique_ptr<TGraphic>(std::make_unique<TIcon>()); }};

void TIcon::LoadFromFile(const std::string& fileName) {
    FImage = ReadWithQtReader(fileName, "ico", ResString("Icon image is not valid"));
}

void TIcon::Draw(QPainter& painter, const QRectF& rect) const {
    if (!FImage.isNull())
        painter.drawImage(rect, FImage);
}

} // namespace tintwell
