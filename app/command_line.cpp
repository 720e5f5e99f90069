#include "app/command_line.h"

namespace tintwell {

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    TCommandLine line;
    bool options = true;
    for (const std::string& argument : arguments) {
        if (options && argument == "--") {
            options = false;
            continue;
        }
        if (options && argument.size() > 1 && argument.front() == '-') {
            if (argument == "--help" || argument == "-h")
                return {TCommandLine::TAction::Help, std::nullopt, {}};
            if (argument == "--version")
                return {TCommandLine::TAction::Version, std::nullopt, {}};
            return {TCommandLine::TAction::Error, std::nullopt, "unknown option '" + argument + "'"};
        }
        if (line.File)
            return {TCommandLine::TAction::Error, std::nullopt,
                    "one picture at a time: '" + *line.File + "' and '" + argument + "' were given"};
        line.File = argument;
    }
    return line;
}

std::optional<TCommandLine::TAction> EarlyAction(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--")
            break;
        if (argument == "--help" || argument == "-h")
            return TCommandLine::TAction::Help;
        if (argument == "--version")
            return TCommandLine::TAction::Version;
    }
    return std::nullopt;
}

const char* UsageText() noexcept {
    return "Usage: tintwell [FILE]\n"
           "Opens the colour tool, with FILE (.bmp, .ico, .wmf, .emf, .jpg, .jpeg, .tif or .tiff) opened\n"
           "as Open Image would.\n"
           "  -h, --help   this text\n"
           "  --version    the program's version\n";
}

} // namespace tintwell
