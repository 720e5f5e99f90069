#pragma once

// Between tintwell-cli and the modules that read images. The program itself links neither Qt nor
// an image library, so `show`, `--help` and `--version` start like a small C tool; the first file
// loads the streaming module (libjpeg and libtiff, no Qt), and only a file that it does not read
// loads the bitmap module (the window's Open Image road, with Qt's GUI library).

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "stats/histogram.h"

namespace tintwell::cli {

// One file's histograms from a road, or why there are none.
struct TRoadHistograms {
    bool Taken = false; // false: this road does not read such a file, and has read nothing of it
    std::vector<THistogram> Histograms; // one per plane asked for, in their order
    std::string Error;                  // the error's own text; empty on success
};

// What `info` shows, field by field in their order: a text, or a number or truth value as written.
struct TInfoField {
    std::string Name;
    std::string Value;
    bool Text = false;
};
struct TRoadInfo {
    std::vector<TInfoField> Fields;
    std::string Error;
};

struct TImageRoad {
    // workers: threads a streaming road may count on besides the caller's. Never throws.
    TRoadHistograms (*Histograms)(const std::string& file, std::span<const TPixelPlane> planes,
                                  unsigned workers);
    // Null for a road that has no `info`. Never throws.
    TRoadInfo (*Info)(const std::string& file);
};

// Both roads read a file inside this, which is what keeps their promise never to throw: read
// fills the road's answer; what it raises comes back as the error's own text (our Exception's
// message, or a standard exception's, such as running out of memory), so that this file fails
// and the others go on; an error that says nothing comes back as kErrorWithoutMessage, since an
// empty text means success to the roads' callers. Nothing when read returned.
inline constexpr std::string_view kErrorWithoutMessage =
    "the file could not be read (an error without a message)";
std::optional<std::string> RoadError(const std::function<void()>& read) noexcept;

enum class TRoadKind { Stream, Bitmap };

// The road of that kind, or null with the reason in error. The first call per kind loads its module.
using TRoadLoader = const TImageRoad* (*)(TRoadKind kind, std::string& error);
// Tests link the roads in and hand them over here; the program keeps the module loader.
void SetRoadLoader(TRoadLoader loader) noexcept;
const TImageRoad* LoadRoad(TRoadKind kind, std::string& error);

// The roads themselves, as their modules export them.
const TImageRoad& StreamRoad() noexcept;
const TImageRoad& BitmapRoad() noexcept;

} // namespace tintwell::cli

// Each module's one exported symbol.
extern "C" {
using TTintwellImageRoadEntry = const tintwell::cli::TImageRoad* (*)();
}
