// The commands that run the Open Image road on files: load by extension, copy into a bitmap,
// make it 24-bit, then count.
#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_internal.h"
#include "colour/colour.h"
#include "core/conversions.h"
#include "core/exception.h"
#include "imaging/analysis.h"
#include "imaging/jpeg_image.h"
#include "imaging/picture.h"
#include "imaging/tiff/dib_graphic.h"
#include "imaging/tiff/tiff_graphic.h"
#include "stats/histogram.h"

namespace tintwell::cli {
namespace {

constexpr std::array<std::string_view, kPixelPlaneCount> kPlaneNames = {
    "gray",      "red",     "green",         "blue",           "hsv-hue", "hsv-saturation",
    "hsv-value", "hls-hue", "hls-lightness", "hls-saturation", "cyan",    "magenta",
    "yellow",    "black",   "intensity",     "luminance"};

std::optional<TPixelPlane> ParsePlane(std::string_view text) {
    for (std::size_t i = 0; i < kPlaneNames.size(); ++i)
        if (text == kPlaneNames[i])
            return static_cast<TPixelPlane>(i);
    std::int32_t number = -1;
    if (text.size() <= 2 && !text.empty() && text.front() != ' ' && text.front() != '+' &&
        text.front() != '-' && TryStrToInt(text, number) && number >= 0 && number < kPixelPlaneCount)
        return static_cast<TPixelPlane>(number);
    return std::nullopt;
}

std::string_view PlaneName(TPixelPlane plane) { return kPlaneNames[static_cast<std::size_t>(plane)]; }

// 17 significant digits: enough to tell every double apart.
std::string Real(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

// The 24-bit bitmap of one file, as Open Image makes it.
TBitmap LoadAnalysisBitmap(const std::string& fileName) {
    TPicture picture;
    picture.LoadFromFile(fileName);
    return AnalysisBitmap(*picture.Graphic());
}

// The common option shape: --json, repeated --plane values (stats, histogram), --jobs (average),
// and file operands.
struct TArgs {
    bool Json = false;
    std::vector<TPixelPlane> Planes;
    std::optional<unsigned> Jobs;
    std::vector<std::string> Files;
};

constexpr unsigned kMostJobs = 1024;

std::optional<unsigned> ParseJobs(std::string_view text) {
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs == 0 || jobs > kMostJobs)
        return std::nullopt;
    return jobs;
}

std::optional<int> ParseArgs(std::string_view command, std::span<const std::string> args, bool planesAllowed,
                             TArgs& parsed, std::ostream& err, bool jobsAllowed = false) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        std::string_view value;
        TOption option = TOption::No;
        if (optionsEnded || !arg.starts_with("--")) {
            parsed.Files.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            parsed.Json = true;
        } else if (planesAllowed && (option = OptionValue(args, i, "plane", value)) != TOption::No) {
            if (option == TOption::Missing)
                return UsageError(err, "--plane needs a plane name or number");
            const auto plane = ParsePlane(value);
            if (!plane)
                return UsageError(err, Join({"'", Printable(value),
                                             "' is not a plane; see 'tintwell-cli --help' for the names"}));
            parsed.Planes.push_back(*plane);
        } else if (jobsAllowed && (option = OptionValue(args, i, "jobs", value)) != TOption::No) {
            if (option == TOption::Missing)
                return UsageError(err, "--jobs needs a number");
            parsed.Jobs = ParseJobs(value);
            if (!parsed.Jobs)
                return UsageError(err,
                                  Join({"'", Printable(value), "' is not a number of jobs; use 1 to 1024"}));
        } else {
            return UsageError(err, Join({"unknown option '", Printable(arg), "' for ", command}));
        }
    }
    return std::nullopt;
}

int FileError(std::ostream& err, const std::string& file, const std::string& message) {
    err << "tintwell-cli: " << PrintableFileName(file) << ": " << message << '\n';
    return kExitFileFailed;
}

std::optional<int> RequireOneFile(std::string_view command, const TArgs& parsed, std::ostream& err) {
    if (parsed.Files.size() != 1)
        return UsageError(err, Join({command, " takes exactly one file"}));
    return std::nullopt;
}

} // namespace

// One file's average colour, or why it has none.
struct TAverage {
    std::string Colour;
    std::string Error;
};

TAverage AverageOf(const std::string& file) {
    try {
        TPicture picture;
        picture.LoadFromFile(file);
        return {ColorToHTML(PictureAverageColor(*picture.Graphic())), {}};
    } catch (const Exception& e) {
        return {{}, e.Message()};
    } catch (const std::exception& e) {
        // Out of memory and the like: this file fails, the others go on.
        return {{}, e.what()};
    }
}

// The files' averages, computed by up to `jobs` threads, each file by one of them; report(i, result)
// runs on the calling thread for every file in the order of the files, as soon as that file and all
// before it are done. At most `jobs` pictures are in memory at once.
template <class TReport>
void ForEachAverage(const std::vector<std::string>& files, unsigned jobs, TReport report) {
    jobs = std::max(1u, std::min<unsigned>(jobs, static_cast<unsigned>(files.size())));
    if (jobs == 1) {
        for (std::size_t i = 0; i < files.size(); ++i)
            report(i, AverageOf(files[i]));
        return;
    }
    std::vector<std::optional<TAverage>> done(files.size());
    std::atomic<std::size_t> next{0};
    std::mutex lock;
    std::condition_variable ready;
    std::vector<std::jthread> workers;
    for (unsigned j = 0; j < jobs; ++j)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < files.size(); i = next++) {
                TAverage result = AverageOf(files[i]);
                const std::lock_guard guard(lock);
                done[i] = std::move(result);
                ready.notify_one();
            }
        });
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::unique_lock guard(lock);
        ready.wait(guard, [&] { return done[i].has_value(); });
        TAverage result = std::move(*done[i]);
        guard.unlock();
        report(i, result);
    }
}

int RunAverage(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    TArgs parsed;
    if (const auto usage = ParseArgs("average", args, false, parsed, err, true))
        return *usage;
    if (parsed.Files.empty())
        return UsageError(err, "average needs at least one file");
    const unsigned jobs = parsed.Jobs.value_or(std::max(1u, std::thread::hardware_concurrency()));
    int code = kExitOk;
    if (parsed.Json)
        out << '[';
    ForEachAverage(parsed.Files, jobs, [&](std::size_t i, const TAverage& result) {
        const std::string& file = parsed.Files[i];
        if (!result.Error.empty())
            code = FileError(err, file, result.Error);
        if (parsed.Json) {
            out << (i ? "," : "") << "{\"file\":" << JsonString(file) << ','
                << (result.Error.empty() ? "\"average\":" + JsonString(result.Colour)
                                         : "\"error\":" + JsonString(result.Error))
                << '}';
        } else if (result.Error.empty()) {
            out << result.Colour << "  " << PrintableFileName(file) << '\n';
        }
    });
    if (parsed.Json)
        out << "]\n";
    return code;
}

int RunStats(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    TArgs parsed;
    if (const auto usage = ParseArgs("stats", args, true, parsed, err))
        return *usage;
    if (const auto usage = RequireOneFile("stats", parsed, err))
        return *usage;
    if (parsed.Planes.empty())
        parsed.Planes = {TPixelPlane::ppRed, TPixelPlane::ppGreen, TPixelPlane::ppBlue};
    const std::string& file = parsed.Files.front();
    std::vector<THistogramStatistics> results;
    try {
        const TBitmap bitmap = LoadAnalysisBitmap(file);
        THistogram histogram;
        for (const TPixelPlane plane : parsed.Planes) {
            GetHistogram(bitmap.View(), plane, histogram);
            results.push_back(histogram.GetStatistics());
        }
    } catch (const Exception& e) {
        return FileError(err, file, e.Message());
    }
    if (parsed.Json)
        out << "{\"file\":" << JsonString(file) << ",\"planes\":[";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const THistogramStatistics& s = results[i];
        const std::string_view plane = PlaneName(parsed.Planes[i]);
        if (parsed.Json) {
            out << (i ? "," : "") << "{\"plane\":" << JsonString(plane) << ",\"N\":" << s.N
                << ",\"Minimum\":" << int{s.Minimum} << ",\"Maximum\":" << int{s.Maximum}
                << ",\"Mode\":" << int{s.Mode} << ",\"Median\":" << int{s.Median}
                << ",\"Mean\":" << Real(s.Mean) << ",\"StandardDeviation\":" << Real(s.StandardDeviation)
                << ",\"Skewness\":" << Real(s.Skewness) << ",\"Kurtosis\":" << Real(s.Kurtosis) << '}';
        } else {
            out << plane << ": N " << s.N << ", Minimum " << int{s.Minimum} << ", Maximum " << int{s.Maximum}
                << ", Mode " << int{s.Mode} << ", Median " << int{s.Median} << ", Mean " << Real(s.Mean)
                << ", StandardDeviation " << Real(s.StandardDeviation) << ", Skewness " << Real(s.Skewness)
                << ", Kurtosis " << Real(s.Kurtosis) << '\n';
        }
    }
    if (parsed.Json)
        out << "]}\n";
    return kExitOk;
}

int RunHistogram(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    TArgs parsed;
    if (const auto usage = ParseArgs("histogram", args, true, parsed, err))
        return *usage;
    if (parsed.Planes.size() != 1)
        return UsageError(err, "histogram needs exactly one --plane");
    if (const auto usage = RequireOneFile("histogram", parsed, err))
        return *usage;
    const std::string& file = parsed.Files.front();
    THistogram histogram;
    try {
        GetHistogram(LoadAnalysisBitmap(file).View(), parsed.Planes.front(), histogram);
    } catch (const Exception& e) {
        return FileError(err, file, e.Message());
    }
    if (parsed.Json) {
        out << "{\"plane\":" << JsonString(PlaneName(parsed.Planes.front())) << ",\"counts\":[";
        for (std::size_t level = 0; level < 256; ++level)
            out << (level ? "," : "") << histogram.Counts[level];
        out << "]}\n";
    } else {
        for (std::size_t level = 0; level < 256; ++level)
            out << level << ' ' << histogram.Counts[level] << '\n';
    }
    return kExitOk;
}

int RunInfo(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    TArgs parsed;
    if (const auto usage = ParseArgs("info", args, false, parsed, err))
        return *usage;
    if (const auto usage = RequireOneFile("info", parsed, err))
        return *usage;
    const std::string& file = parsed.Files.front();
    TPicture picture;
    try {
        picture.LoadFromFile(file);
    } catch (const Exception& e) {
        return FileError(err, file, e.Message());
    }
    const TGraphic& graphic = *picture.Graphic();
    // Name and value pairs in the order they are shown; values are JSON already.
    std::vector<std::pair<std::string, std::string>> fields = {{"class", JsonString(graphic.ClassName())},
                                                               {"width", IntToStr(graphic.Width())},
                                                               {"height", IntToStr(graphic.Height())}};
    if (const auto* tiff = dynamic_cast<const TTiffGraphic*>(&graphic)) {
        fields.emplace_back("pixelFormat", JsonString(DisplayName(tiff->PixelFormat())));
        fields.emplace_back("compression", JsonString(DisplayName(tiff->Compression())));
    } else if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&graphic)) {
        fields.emplace_back("grayscale", jpeg->Grayscale() ? "true" : "false");
        fields.emplace_back("progressive", jpeg->ProgressiveEncoding() ? "true" : "false");
    }
    if (parsed.Json) {
        out << "{\"file\":" << JsonString(file);
        for (const auto& [name, value] : fields)
            out << ',' << JsonString(name) << ':' << value;
        out << "}\n";
    } else {
        for (const auto& [name, value] : fields)
            out << name << ": " << (value.front() == '"' ? value.substr(1, value.size() - 2) : value) << '\n';
    }
    return kExitOk;
}

} // namespace tintwell::cli
