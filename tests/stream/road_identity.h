#pragma once

// The streaming road against the bitmap road, on one file: every plane's histogram, or the error.

#include <string>

#include "stream/plane_counter.h"

namespace tintwell::test {

struct TRoadComparison {
    bool Streamed = false;  // the streaming road read the file (else it left it to the bitmap road)
    std::string Difference; // empty when both roads gave the same counts, or the same error
};

TRoadComparison CompareRoads(const std::string& file, const TCountingOptions& options);

} // namespace tintwell::test
