#include "imaging/display_info.h"

namespace tintwell {
namespace {

TDisplayInfo gDisplayInfo;

} // namespace

const TDisplayInfo& DisplayInfo() noexcept { return gDisplayInfo; }

void SetDisplayInfo(const TDisplayInfo& info) noexcept { gDisplayInfo = info; }

} // namespace tintwell
