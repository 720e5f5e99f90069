#include "ui/common/design_font.h"

namespace tintwell {

QFont DesignFont() {
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    return font;
}

} // namespace tintwell
