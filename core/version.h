#pragma once

#include <string_view>

namespace tintwell {

// The program's version as the build defines it ("0.41"): the window's caption and
// tintwell-cli --version both show it.
std::string_view ProgramVersion() noexcept;

} // namespace tintwell
