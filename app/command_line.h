#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tintwell {

// What the program's arguments ask for, after Qt has taken its own (-platform, -style...).
struct TCommandLine {
    enum class TAction { Run, Help, Version, Error };
    TAction Action = TAction::Run;
    std::optional<std::string> File; // Run: the picture to open once the main window shows
    std::string Message;             // Error: what is wrong, for standard error
};

// The arguments without the program's name. At most one file; "--" ends the options, so a file
// whose name starts with "-" can follow it; "-" alone is a file name. --help (-h) and --version are
// the only options; any other is an error, as is a second file.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// Whether the arguments ask for --help or --version before any "--": the program answers those
// without a display, before the application object takes its own arguments.
std::optional<TCommandLine::TAction> EarlyAction(const std::vector<std::string>& arguments);

// The usage text for --help and under an error.
const char* UsageText() noexcept;

} // namespace tintwell
