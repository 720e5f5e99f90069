#include <exception>

#include "cli/image_road.h"
#include "core/exception.h"

namespace tintwell::cli {

namespace {

// The roads' answers take an empty error text for success, so an error must never be empty.
std::string NonEmpty(std::string message) {
    return message.empty() ? std::string(kErrorWithoutMessage) : message;
}

} // namespace

std::optional<std::string> RoadError(const std::function<void()>& read) noexcept {
    try {
        read();
    } catch (const Exception& e) {
        return NonEmpty(e.Message());
    } catch (const std::exception& e) {
        return NonEmpty(e.what());
    }
    return std::nullopt;
}

} // namespace tintwell::cli
