#include "cli/cli.h"

#include <array>
#include <exception>
#include <initializer_list>

#include "cli/cli_internal.h"
#include "colour/colour.h"
#include "colour/hsv.h"
#include "colour/readouts.h"
#include "core/conversions.h"
#include "core/version.h"

namespace tintwell::cli {
namespace {

constexpr std::string_view kProgram = "tintwell-cli";

constexpr std::string_view kUsage =
    "Usage: tintwell-cli COMMAND [OPTIONS]\n"
    "\n"
    "Tintwell's colour analysis for scripts.\n"
    "\n"
    "Commands:\n"
    "  show COLOUR [--correction maximized|average|partial] [--json]\n"
    "      The readouts of one colour: the colour itself, its inverse, the inverse\n"
    "      with gray correction (maximized unless chosen), its HSV and its\n"
    "      five-colour palette.\n"
    "  show - [--correction ...] [--json]\n"
    "      The same for each line of standard input, one output line each:\n"
    "      original, inverse, corrected, H,S,V and the five palette colours, or one\n"
    "      JSON object. A line that is no colour is reported with its number on\n"
    "      standard error, the others go on, and the exit status is then 1.\n"
    "  average [--jobs N] [--json] FILE...\n"
    "      Each image's average colour: per channel, the level half of the\n"
    "      pixels lie below. N files at once (every core unless told), the\n"
    "      results in the order of the files.\n"
    "  stats [--plane PLANE]... [--json] FILE\n"
    "      Nine statistics per plane (red, green and blue unless chosen).\n"
    "  histogram --plane PLANE [--json] FILE\n"
    "      The 256 counters of one plane.\n"
    "  info [--json] FILE\n"
    "      What was loaded: class, size, and the format's particulars.\n"
    "  --help       Show this help.\n"
    "  --version    Show the version.\n"
    "\n"
    "COLOUR is #RRGGBB or RRGGBB (hexadecimal, either case) or R,G,B (decimal 0..255).\n"
    "FILE is a .bmp, .ico, .wmf, .emf, .jpg, .jpeg, .tif or .tiff image.\n"
    "PLANE is a name or its number: gray (0), red, green, blue, hsv-hue, hsv-saturation,\n"
    "hsv-value, hls-hue, hls-lightness, hls-saturation, cyan, magenta, yellow, black,\n"
    "intensity, luminance (15).\n"
    "Exit status: 0 success, 1 a file failed, 2 bad usage.\n";

constexpr std::array<std::string_view, 3> kModeNames = {"maximized", "average", "partial"};

std::optional<int> ParseChannel(std::string_view text) {
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > 255)
        return std::nullopt;
    return value;
}

std::string ModeName(TGrayCorrectionMode mode) {
    return std::string(kModeNames[static_cast<std::size_t>(mode)]);
}

std::optional<TGrayCorrectionMode> ParseMode(std::string_view text) {
    for (std::size_t i = 0; i < kModeNames.size(); ++i)
        if (text == kModeNames[i])
            return GrayCorrectionModeFromIndex(static_cast<int>(i));
    return std::nullopt;
}

void WriteShowText(std::ostream& out, const TColorReadouts& r, TGrayCorrectionMode mode,
                   const THSVColor& hsv) {
    const auto line = [&out](std::string_view label, std::string_view html, std::string_view rgb) {
        out << label << std::string(12 - label.size(), ' ') << html << "  " << rgb;
    };
    const auto readout = [&line](std::string_view label, const TColorReadout& colour) {
        line(label, colour.HTML, ColorToRGBText(colour.Color));
    };
    readout("original", r.Current);
    out << '\n';
    readout("inverse", r.Inverse);
    out << '\n';
    readout("corrected", r.Corrected);
    out << "  (" << ModeName(mode) << ")\n";
    out << "hsv         " << IntToStr(static_cast<long long>(hsv.Hue)) << ','
        << IntToStr(static_cast<long long>(hsv.Saturation)) << ','
        << IntToStr(static_cast<long long>(hsv.Value)) << '\n';
    for (std::size_t i = 0; i < r.Palette.size(); ++i) {
        line(Join({"scheme ", IntToStr(static_cast<long long>(i + 1))}), r.Palette[i].HTML, r.Palette[i].RGB);
        out << '\n';
    }
}

void WriteShowJson(std::ostream& out, const TColorReadouts& r, TGrayCorrectionMode mode,
                   const THSVColor& hsv) {
    out << "{\"original\":" << JsonString(r.Current.HTML) << ",\"inverse\":" << JsonString(r.Inverse.HTML)
        << ",\"corrected\":" << JsonString(r.Corrected.HTML)
        << ",\"correction\":" << JsonString(ModeName(mode)) << ",\"hsv\":["
        << IntToStr(static_cast<long long>(hsv.Hue)) << ','
        << IntToStr(static_cast<long long>(hsv.Saturation)) << ','
        << IntToStr(static_cast<long long>(hsv.Value)) << "],\"scheme\":[";
    for (std::size_t i = 0; i < r.Palette.size(); ++i)
        out << (i ? "," : "") << JsonString(r.Palette[i].HTML);
    out << "]}\n";
}

// The batch form's line: the three readouts' codes, the HSV and the palette, blank-separated.
void WriteShowLine(std::ostream& out, const TColorReadouts& r, const THSVColor& hsv) {
    out << r.Current.HTML << ' ' << r.Inverse.HTML << ' ' << r.Corrected.HTML << ' '
        << IntToStr(static_cast<long long>(hsv.Hue)) << ','
        << IntToStr(static_cast<long long>(hsv.Saturation)) << ','
        << IntToStr(static_cast<long long>(hsv.Value));
    for (const auto& cell : r.Palette)
        out << ' ' << cell.HTML;
    out << '\n';
}

std::string NotAColour(std::string_view text) {
    return Join({"'", Printable(text),
                 "' is not a colour; use #RRGGBB or RRGGBB (hexadecimal) or R,G,B (decimal 0..255)"});
}

// show -: every line of in; a bad line is reported with its number and the rest go on.
int RunShowBatch(std::istream& in, std::ostream& out, std::ostream& err, TGrayCorrectionMode mode,
                 bool json) {
    int code = kExitOk;
    std::string line;
    for (long long number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto colour = ParseColourArgument(line);
        if (!colour) {
            err << kProgram << ": line " << IntToStr(number) << ": " << NotAColour(line) << '\n';
            code = kExitFileFailed;
            continue;
        }
        const TColorReadouts readouts = ComputeReadouts(*colour, mode);
        const THSVColor hsv = ColorToHSV(*colour);
        if (json)
            WriteShowJson(out, readouts, mode, hsv);
        else
            WriteShowLine(out, readouts, hsv);
    }
    return code;
}

int RunShow(std::span<const std::string> args, std::istream& in, std::ostream& out, std::ostream& err) {
    std::optional<std::string> colourText;
    TGrayCorrectionMode mode = TGrayCorrectionMode::gcMaximized;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        std::string_view value;
        TOption option = TOption::No;
        if (arg == "--json") {
            json = true;
        } else if ((option = OptionValue(args, i, "correction", value)) != TOption::No) {
            if (option == TOption::Missing)
                return UsageError(err, "--correction needs a value: maximized, average or partial");
            const auto parsed = ParseMode(value);
            if (!parsed)
                return UsageError(err, Join({"'", Printable(value),
                                             "' is not a correction; use maximized, average or partial"}));
            mode = *parsed;
        } else if (arg.starts_with("--")) {
            return UsageError(err, Join({"unknown option '", Printable(arg), "' for show"}));
        } else if (colourText) {
            return UsageError(err,
                              Join({"show takes one colour, and '", Printable(arg), "' is a second one"}));
        } else {
            colourText = std::string(arg);
        }
    }
    if (!colourText)
        return UsageError(err, "show needs a colour: #RRGGBB, RRGGBB or R,G,B, or - for standard input");
    if (*colourText == "-")
        return RunShowBatch(in, out, err, mode, json);
    const auto colour = ParseColourArgument(*colourText);
    if (!colour)
        return UsageError(err, NotAColour(*colourText));

    const TColorReadouts readouts = ComputeReadouts(*colour, mode);
    const THSVColor hsv = ColorToHSV(*colour);
    if (json)
        WriteShowJson(out, readouts, mode, hsv);
    else
        WriteShowText(out, readouts, mode, hsv);
    return kExitOk;
}

} // namespace

std::string Join(std::initializer_list<std::string_view> parts) {
    std::string joined;
    for (const std::string_view part : parts)
        joined.append(part);
    return joined;
}

TOption OptionValue(std::span<const std::string> args, std::size_t& i, std::string_view name,
                    std::string_view& value) {
    const std::string_view arg = args[i];
    if (!arg.starts_with("--") || arg.substr(2, name.size()) != name)
        return TOption::No;
    const std::string_view rest = arg.substr(2 + name.size());
    if (rest.starts_with('=')) {
        value = rest.substr(1);
        return TOption::Value;
    }
    if (!rest.empty())
        return TOption::No;
    if (i + 1 == args.size())
        return TOption::Missing;
    value = args[++i];
    return TOption::Value;
}

int UsageError(std::ostream& err, std::string_view message) {
    err << kProgram << ": " << message << "\nTry 'tintwell-cli --help'.\n";
    return kExitUsage;
}

std::string PrintableFileName(std::string_view name) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0x0F];
        } else {
            shown += c;
        }
    }
    return shown;
}

std::optional<TColor> ParseColourArgument(std::string_view text) {
    if (text.find(',') != std::string_view::npos) {
        std::array<int, 3> channels{};
        for (std::size_t i = 0; i < channels.size(); ++i) {
            const std::size_t comma = text.find(',');
            if ((i < 2) == (comma == std::string_view::npos))
                return std::nullopt;
            const auto channel = ParseChannel(text.substr(0, comma));
            if (!channel)
                return std::nullopt;
            channels[i] = *channel;
            text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        }
        return RGB(channels[0], channels[1], channels[2]);
    }
    if (text.size() == 7 && text.front() == '#')
        text.remove_prefix(1);
    if (text.size() != 6)
        return std::nullopt;
    std::array<int, 6> digits{};
    for (std::size_t i = 0; i < 6; ++i) {
        digits[i] = HexDigitValue(text[i]);
        if (digits[i] < 0)
            return std::nullopt;
    }
    return RGB(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5]);
}

std::string Printable(std::string_view text) {
    constexpr std::size_t kLimit = 60;
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < kLimit; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            shown += static_cast<char>(byte);
        } else {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0x0F];
        }
    }
    if (text.size() > kLimit)
        shown += "...";
    return shown;
}

std::string JsonString(std::string_view text) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (byte < 0x20) {
                json += "\\u00";
                json += kHex[byte >> 4];
                json += kHex[byte & 0x0F];
            } else {
                json += c;
            }
        }
    }
    json += '"';
    return json;
}

int Run(std::span<const std::string> args, std::istream& in, std::ostream& out, std::ostream& err) {
    try {
        if (args.empty())
            return UsageError(err, "no command given");
        const std::string_view command = args.front();
        if (command == "--help" || command == "-h") {
            out << kUsage;
            return kExitOk;
        }
        if (command == "--version") {
            out << kProgram << ' ' << ProgramVersion() << '\n';
            return kExitOk;
        }
        if (command == "show")
            return RunShow(args.subspan(1), in, out, err);
        if (command == "average")
            return RunAverage(args.subspan(1), out, err);
        if (command == "stats")
            return RunStats(args.subspan(1), out, err);
        if (command == "histogram")
            return RunHistogram(args.subspan(1), out, err);
        if (command == "info")
            return RunInfo(args.subspan(1), out, err);
        return UsageError(err, Join({"unknown command '", Printable(command), "'"}));
    } catch (const std::exception& e) {
        err << kProgram << ": " << e.what() << '\n';
        return kExitFileFailed;
    }
}

} // namespace tintwell::cli
