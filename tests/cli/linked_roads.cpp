// The in-process tests run both roads linked in, not loaded: the loading itself is checked on the
// real program (tests/e2e/cli_modules_test).
#include <string>

#include "cli/image_road.h"

namespace tintwell::cli {
namespace {

const TImageRoad* LinkedRoad(TRoadKind kind, std::string&) {
    return kind == TRoadKind::Stream ? &StreamRoad() : &BitmapRoad();
}

const bool gLinked = [] {
    SetRoadLoader(&LinkedRoad);
    return true;
}();

} // namespace
} // namespace tintwell::cli
