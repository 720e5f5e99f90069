#include "imaging/graphic.h"

#include "core/exception.h"
#include "core/resource_text.h"

namespace tintwell {

std::string CannotAssignMessage(std::string_view sourceClass, std::string_view targetClass) {
    return FormatText(ResString("Cannot assign a %s to a %s"), {sourceClass, targetClass});
}

void TGraphic::AssignTo(TBitmap&) { throw EConvertError(CannotAssignMessage(ClassName(), "TBitmap")); }

} // namespace tintwell
