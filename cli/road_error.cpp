#include <exception>

#include "cli/image_road.h"
#include "core/exception.h"

namespace tintwell::cli {

std::optional<std::string> RoadError(const std::function<void()>& read) noexcept {
    try {
        read();
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

} // namespace tintwell::cli
