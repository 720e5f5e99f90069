#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace tintwell {

class TPlatformServices;

// The application's title: the caption of the standard error box.
inline constexpr std::string_view kApplicationTitle = "Tintwell";

// The text the error box shows for a message: the message, with a full stop appended when it is
// not empty and its last byte sorts after "." ("Bitmap image is not valid." but
// "Unknown picture file extension (.gif)"). Bytes compare unsigned, so a message ending in a
// non-ASCII character gets the full stop too.
std::string ErrorBoxText(std::string_view message);

// The message of an error as the error box shows it before the full stop (the error's own, or
// "Out of memory" or "Unknown error"); nothing for EAbort, which is silent.
std::optional<std::string> ErrorMessage(std::exception_ptr error) noexcept;

// The standard error box for an error that escaped a handler: caption kApplicationTitle, the error
// icon, the error's message. EAbort shows nothing. While one box is open, any further error is
// dropped rather than stacked: a repeating cause (a timer tick, a repaint) would otherwise open a
// new box every time the first one's modal loop runs it. Never raises.
void ShowException(TPlatformServices& platform, std::exception_ptr error) noexcept;

// Whether an error box is open right now.
bool ErrorBoxOpen() noexcept;

// Runs a handler's body and hands anything that escapes it to ShowException, so that no
// exception crosses Qt code.
template <typename TBody> void Guarded(TPlatformServices& platform, TBody&& body) noexcept {
    try {
        body();
    } catch (...) {
        ShowException(platform, std::current_exception());
    }
}

} // namespace tintwell
