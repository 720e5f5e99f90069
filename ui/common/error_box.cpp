#include "ui/common/error_box.h"

#include <new>

#include "core/exception.h"
#include "core/resource_text.h"
#include "platform/platform_services.h"

namespace tintwell {
namespace {

bool gBoxOpen = false;

} // namespace

std::optional<std::string> ErrorMessage(std::exception_ptr error) noexcept {
    if (!error)
        return std::nullopt;
    try {
        try {
            std::rethrow_exception(error);
        } catch (const EAbort&) {
            return std::nullopt;
        } catch (const std::bad_alloc&) {
            return ResString("Out of memory");
        } catch (const std::exception& e) {
            return std::string(e.what());
        } catch (...) {
            return ResString("Unknown error");
        }
    } catch (...) {
        // The translation of the fallback failed too: say it untranslated.
        return std::string("Unknown error");
    }
}

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
        const std::optional<std::string> message = ErrorMessage(error);
        if (!message)
            return;
        gBoxOpen = true;
        struct TClose {
            ~TClose() { gBoxOpen = false; }
        } close;
        platform.ShowErrorBox(std::string(kApplicationTitle), ErrorBoxText(*message));
    } catch (...) {
        // Nothing is left to report an error of the error box with; the loop goes on.
    }
}

bool ErrorBoxOpen() noexcept { return gBoxOpen; }

} // namespace tintwell
