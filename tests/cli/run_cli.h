#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace tintwell::cli {

// What one in-process run of tintwell-cli gave.
struct Result {
    int code;
    std::string out;
    std::string err;
};

inline Result RunWith(std::vector<std::string> args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int code = Run(args, in, out, err);
    return {code, out.str(), err.str()};
}

} // namespace tintwell::cli
