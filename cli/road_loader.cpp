#include <array>
#include <mutex>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

#include "cli/image_road.h"

namespace tintwell::cli {
namespace {

constexpr std::array<const char*, 2> kModuleNames = {"tintwell-cli-stream.so", "tintwell-cli-bitmap.so"};
constexpr const char* kEntry = "tintwell_image_road";

// The program's own folder: the modules are built beside it.
std::string ProgramFolder() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        return ".";
    path.resize(static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

struct TLoaded {
    std::once_flag Once;
    const TImageRoad* Road = nullptr;
    std::string Error;
};

// Beside the program, else in the library folder an installation puts it in.
const TImageRoad* LoadModule(TRoadKind kind, std::string& error) {
    static std::array<TLoaded, 2> loaded;
    TLoaded& slot = loaded[static_cast<std::size_t>(kind)];
    std::call_once(slot.Once, [&slot, kind] {
        const std::string name = kModuleNames[static_cast<std::size_t>(kind)];
        const std::string folder = ProgramFolder();
        std::string reasons;
        for (const std::string& path : {folder + "/" + name, folder + "/../lib/tintwell/" + name}) {
            if (access(path.c_str(), F_OK) != 0)
                continue;
            // Kept open for the rest of the run: its code is in use until the end.
            void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle == nullptr) {
                const char* reason = dlerror();
                reasons = reason != nullptr ? reason : path;
                continue;
            }
            auto entry = reinterpret_cast<TTintwellImageRoadEntry>(dlsym(handle, kEntry));
            if (entry == nullptr) {
                reasons.assign(path).append(" has no ").append(kEntry);
                continue;
            }
            slot.Road = entry();
            return;
        }
        slot.Error.assign("cannot load the image reader ")
            .append(name)
            .append(reasons.empty() ? " (not found beside the program)" : ": ")
            .append(reasons);
    });
    error = slot.Error;
    return slot.Road;
}

TRoadLoader gLoader = &LoadModule;

} // namespace

void SetRoadLoader(TRoadLoader loader) noexcept { gLoader = loader != nullptr ? loader : &LoadModule; }

const TImageRoad* LoadRoad(TRoadKind kind, std::string& error) { return gLoader(kind, error); }

} // namespace tintwell::cli
