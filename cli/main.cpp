#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // Many short lines for `show -`: no flushing per line, and no syncing with C's streams.
    std::ios::sync_with_stdio(false);
    const int code = tintwell::cli::Run(args, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
