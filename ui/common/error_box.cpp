#include "ui/common/error_box.h"

#include <new>

#include "core/exception.h"
#include "core/resource_text.h"
#include "platform/platform_services.h"

namespace tintwell {
namespace {

bool gBoxOpen = false;

// The message of the error, or nothing for the silent abort.
bool MessageOf(std::exception_ptr error, std::string& message) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return false;
    } catch (const std::bad_alloc&) {
        message = ResString("Out of memory");
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = ResString("Unknown error");
    }
    return true;
}

} // namespace

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text += '.';
    return text;
}

void ShowException(TPlatformServices& platform, std::exception_ptr error) noexcept {
    if (gBoxOpen || !error)
        return;
    try {
        std::string message;
        if (!MessageOf(error, message))
            return;
        gBoxOpen = true;
        struct TClose {
            ~TClose() { gBoxOpen = false; }
        } close;
        platform.ShowErrorBox(std::string(kApplicationTitle), ErrorBoxText(message));
    } catch (...) {
        // Nothing is left to report an error of the error box with; the loop goes on.
    }
}

bool ErrorBoxOpen() noexcept { return gBoxOpen; }

} // namespace tintwell
