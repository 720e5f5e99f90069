// The commands that count files' pixels: through the streaming road where it reads the file, else
// through the bitmap road (the window's Open Image road); both give the same counts.
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
#include "cli/image_road.h"
#include "colour/colour.h"
#include "core/conversions.h"
#include "core/exception.h"
#include "stats/average_colour.h"
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

// One file's histograms: the streaming road where it reads such a file, else the bitmap road.
TRoadHistograms HistogramsOf(const std::string& file, std::span<const TPixelPlane> planes, unsigned workers) {
    std::string error;
    const TImageRoad* stream = LoadRoad(TRoadKind::Stream, error);
    if (stream == nullptr)
        return {true, {}, error};
    TRoadHistograms result = stream->Histograms(file, planes, workers);
    if (result.Taken)
        return result;
    const TImageRoad* bitmap = LoadRoad(TRoadKind::Bitmap, error);
    if (bitmap == nullptr)
        return {true, {}, error};
    return bitmap->Histograms(file, planes, workers);
}

// Threads that count beside the decoder when one file has the machine to itself.
unsigned CountingWorkers() { return std::min(std::thread::hardware_concurrency(), 4u); }

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

// The colour of the three channels' counts, by the window's own rule.
TAverage AverageOf(const std::string& file, unsigned workers) {
    constexpr TPixelPlane kChannels[] = {TPixelPlane::ppRed, TPixelPlane::ppGreen, TPixelPlane::ppBlue};
    const TRoadHistograms result = HistogramsOf(file, kChannels, workers);
    if (!result.Error.empty())
        return {{}, result.Error};
    return {
        ColorToHTML(HistogramAverageColor(result.Histograms[0], result.Histograms[1], result.Histograms[2])),
        {}};
}

// The files' averages, computed by up to `jobs` threads, each file by one of them; report(i, result)
// runs on the calling thread for every file in the order of the files, as soon as that file and all
// before it are done. At most `jobs` files are read at once; with several, each counts on its own
// thread, with one, a worker counts beside the decoder.
template <class TReport>
void ForEachAverage(const std::vector<std::string>& files, unsigned jobs, TReport report) {
    jobs = std::max(1u, std::min<unsigned>(jobs, static_cast<unsigned>(files.size())));
    if (jobs == 1) {
        for (std::size_t i = 0; i < files.size(); ++i)
            report(i, AverageOf(files[i], CountingWorkers()));
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
                TAverage result = AverageOf(files[i], 0);
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
    const TRoadHistograms counted = HistogramsOf(file, parsed.Planes, CountingWorkers());
    if (!counted.Error.empty())
        return FileError(err, file, counted.Error);
    std::vector<THistogramStatistics> results;
    for (const THistogram& histogram : counted.Histograms)
        results.push_back(histogram.GetStatistics());
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
    const TRoadHistograms counted = HistogramsOf(file, parsed.Planes, CountingWorkers());
    if (!counted.Error.empty())
        return FileError(err, file, counted.Error);
    const THistogram& histogram = counted.Histograms.front();
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
    std::string error;
    const TImageRoad* road = LoadRoad(TRoadKind::Bitmap, error);
    const TRoadInfo info = road != nullptr ? road->Info(file) : TRoadInfo{{}, error};
    if (!info.Error.empty())
        return FileError(err, file, info.Error);
    if (parsed.Json) {
        out << "{\"file\":" << JsonString(file);
        for (const TInfoField& field : info.Fields)
            out << ',' << JsonString(field.Name) << ':'
                << (field.Text ? JsonString(field.Value) : field.Value);
        out << "}\n";
    } else {
        for (const TInfoField& field : info.Fields)
            out << field.Name << ": " << field.Value << '\n';
    }
    return kExitOk;
}

} // namespace tintwell::cli
