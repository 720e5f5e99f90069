// A second process for the store's tests: writes COUNT integer values named <PREFIX>0 ... into
// the key "Software\zorVIK\Quelm\Race" of the store file at PATH. With --crash-before-replace it
// writes one value and dies after the new text is written but before it replaces the file, holding
// the lock.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/user_store.h"

int main(int argc, char** argv) {
    using namespace tintwell;
    if (argc < 4) {
        std::fprintf(stderr, "usage: store_writer PATH PREFIX COUNT [--crash-before-replace]\n");
        return 2;
    }
    TUserStore store(argv[1]);
    const std::string prefix = argv[2];
    const int count = std::atoi(argv[3]);
    if (argc > 4 && std::string(argv[4]) == "--crash-before-replace")
        store.SetBeforeReplaceHook([] { _exit(3); });
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
