// Start-up of whole programs as the user sees it, under an X server: for each run, each program is
// started (in turn, the order alternating from run to run) and timed from just before its start
// to the moment the X server reports its first top-level window mapped (MapNotify on the root
// window); one second later its resident memory is read, and the libraries it has mapped are
// searched for a Mesa driver or LLVM. Then it is ended.
//   bench_startup RUNS PROGRAM... (DISPLAY set; each program started without arguments)
// Prints one line a run and program, then a summary line a program: median milliseconds, median
// resident MiB, the Mesa or LLVM libraries seen ("none" when none).
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>
#include <xcb/xcb.h>

extern char** environ;

namespace {

struct TSample {
    double Milliseconds = 0;
    double ResidentMiB = 0;
    std::set<std::string> DriverLibraries;
};

double ResidentMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

// Mesa's drivers and vendor libraries and LLVM, which a program that draws no OpenGL needs not map;
// glvnd's small dispatch libraries (libGLX, libOpenGL, libGLdispatch, libEGL) do not count.
std::set<std::string> DriverLibraries(pid_t pid) {
    std::set<std::string> found;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);) {
        const std::size_t slash = line.rfind('/');
        if (slash == std::string::npos)
            continue;
        const std::string name = line.substr(slash + 1);
        for (const char* mark : {"_dri.so", "libgallium", "libLLVM", "_mesa.so", "swrast", "libvulkan"})
            if (name.find(mark) != std::string::npos)
                found.insert(name);
    }
    return found;
}

// Waits for the first MapNotify of a window that is not override-redirect (a menu or tooltip).
bool WaitForMap(xcb_connection_t* connection, std::chrono::steady_clock::time_point deadline) {
    while (std::chrono::steady_clock::now() < deadline) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (event == nullptr) {
            if (xcb_connection_has_error(connection) != 0)
                return false;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                            reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect == 0;
        std::free(event);
        if (mapped)
            return true;
    }
    return false;
}

bool RunOnce(const char* program, TSample& sample) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "bench_startup: no X server (DISPLAY)\n");
        return false;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    // A round trip, so the server has the mask before the program can map anything.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    char* const arguments[] = {const_cast<char*>(program), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, arguments, environ) != 0) {
        std::fprintf(stderr, "bench_startup: cannot start %s\n", program);
        xcb_disconnect(connection);
        return false;
    }
    const bool mapped = WaitForMap(connection, start + std::chrono::seconds(30));
    const auto end = std::chrono::steady_clock::now();
    xcb_disconnect(connection);
    if (mapped) {
        sample.Milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        sample.ResidentMiB = ResidentMiB(pid);
        sample.DriverLibraries = DriverLibraries(pid);
    } else {
        std::fprintf(stderr, "bench_startup: %s mapped no window within 30 s\n", program);
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return mapped;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup RUNS PROGRAM...\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::vector<const char*> programs(argv + 2, argv + argc);
    std::vector<std::vector<TSample>> samples(programs.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t k = 0; k < programs.size(); ++k) {
            // Alternating the order, so neither program always comes first after the other.
            const std::size_t i = run % 2 == 0 ? k : programs.size() - 1 - k;
            TSample sample;
            if (!RunOnce(programs[i], sample))
                return 1;
            std::printf("run %d %s: %.1f ms, %.1f MiB\n", run + 1, programs[i], sample.Milliseconds,
                        sample.ResidentMiB);
            samples[i].push_back(sample);
        }
    }
    for (std::size_t i = 0; i < programs.size(); ++i) {
        std::vector<double> times;
        std::vector<double> memory;
        std::set<std::string> libraries;
        for (const TSample& sample : samples[i]) {
            times.push_back(sample.Milliseconds);
            memory.push_back(sample.ResidentMiB);
            libraries.insert(sample.DriverLibraries.begin(), sample.DriverLibraries.end());
        }
        std::string names;
        for (const std::string& library : libraries)
            names += (names.empty() ? "" : ",") + library;
        std::printf("summary %s %.2f %.2f %s\n", programs[i], Median(times), Median(memory),
                    names.empty() ? "none" : names.c_str());
    }
    return 0;
}
