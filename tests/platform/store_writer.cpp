// A second process for the store's tests: writes COUNT integer values named <PREFIX>0 ... into
// the key "Software\zorVIK\Quelm\Race" of the store file at PATH. A mode acts at the moment each
// value's new text is written and before it replaces the file, holding the lock:
//   --crash-before-replace   dies there, leaving the lock file behind
//   --stop-before-replace    prints "holding" and stops itself (SIGSTOP): a hung owner
//   --pause-before-replace MS  prints "holding" the first time, and sleeps MS milliseconds each time:
//                            an owner that keeps the lock most of the time but makes progress
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/user_store.h"

namespace {

void SayHolding() {
    std::fputs("holding\n", stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    using namespace tintwell;
    if (argc < 4) {
        std::fprintf(stderr, "usage: store_writer PATH PREFIX COUNT [--crash-before-replace | "
                             "--stop-before-replace | --pause-before-replace MS]\n");
        return 2;
    }
    TUserStore store(argv[1]);
    const std::string prefix = argv[2];
    const int count = std::atoi(argv[3]);
    const std::string mode = argc > 4 ? argv[4] : "";
    if (mode == "--crash-before-replace") {
        store.SetBeforeReplaceHook([] { _exit(3); });
    } else if (mode == "--stop-before-replace") {
        store.SetBeforeReplaceHook([] {
            SayHolding();
            std::raise(SIGSTOP);
        });
    } else if (mode == "--pause-before-replace" && argc > 5) {
        const std::chrono::milliseconds pause(std::atoi(argv[5]));
        store.SetBeforeReplaceHook([pause, said = false]() mutable {
            if (!said)
                SayHolding();
            said = true;
            std::this_thread::sleep_for(pause);
        });
    } else if (!mode.empty()) {
        std::fprintf(stderr, "store_writer: unknown mode %s\n", mode.c_str());
        return 2;
    }
    try {
        const auto key = store.OpenKey("\\Software\\zorVIK\\Quelm\\Race", TRegistryAccess::WriteCreate);
        for (int i = 0; i < count; ++i)
            key->WriteInteger(prefix + std::to_string(i), i);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "store_writer: %s\n", e.what());
        return 1;
    }
    return 0;
}
