#include "imaging/display_info.h"

#include <utility>

namespace tintwell {
namespace {

TDisplayInfo gDisplayInfo;

} // namespace

const TDisplayInfo& DisplayInfo() noexcept { return gDisplayInfo; }

TDisplayInfo SetDisplayInfo(const TDisplayInfo& info) noexcept { return std::exchange(gDisplayInfo, info); }

} // namespace tintwell
