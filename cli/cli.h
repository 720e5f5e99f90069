#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "core/tcolor.h"

namespace tintwell::cli {

// Exit codes of tintwell-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileFailed = 1;
inline constexpr int kExitUsage = 2;

// "#RRGGBB" or "RRGGBB" (hex digits in either case) or "R,G,B" (1 to 3 decimal digits each, 0..255).
// No blanks, no signs; anything else is nullopt.
std::optional<TColor> ParseColourArgument(std::string_view text);

// Text from the command line made safe to echo in one line of a message: control and non-ASCII
// bytes as \xNN, cut after 60 bytes.
std::string Printable(std::string_view text);

// A JSON string literal, quotes included.
std::string JsonString(std::string_view text);

// Runs one command line (without the program name). Results go to out, messages to err; `show -`
// reads its colours from in.
int Run(std::span<const std::string> args, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace tintwell::cli
