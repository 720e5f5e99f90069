// One tick of the capture frame on a real X server (run it under Xvfb: bench/run_picker.sh), at
// N = 21, 201, 1080 and 1920, against a bare shared-memory read of the same square in the same run.
// The tick reads the pointer, writes the panels, copies the square into the stored capture and
// draws the magnified preview. Counters: the shared segment and the heap the capture keeps, and
// their sum over the goal of 2 x N x N x 4 bytes + 1 MiB.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include "platform/qt_platform_services.h"
#include "settings/heap_status.h"
#include "ui/picker/color_picker_frame.h"

namespace tintwell {
namespace {

QRect Square(int n) {
    const QSize screen(1920, 1080);
    return {QPoint(screen.width() / 2 - (n - 1) / 2, screen.height() / 2 - (n - 1) / 2), QSize(n, n)};
}

// xcb_shm_get_image into a segment, nothing more: what any shared-memory screen reader must pay.
void BM_BareSharedMemoryRead(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::size_t size = static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * 4;
    const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    void* data = shmat(id, nullptr, 0);
    const xcb_shm_seg_t segment = xcb_generate_id(connection);
    std::free(xcb_request_check(
        connection, xcb_shm_attach_checked(connection, segment, static_cast<std::uint32_t>(id), 0)));
    shmctl(id, IPC_RMID, nullptr);
    const QRect inside = Square(n).intersected(QRect(0, 0, 1920, 1080));
    for (auto _ : state) {
        std::free(xcb_shm_get_image_reply(
            connection,
            xcb_shm_get_image(
                connection, root, static_cast<std::int16_t>(inside.x()),
                static_cast<std::int16_t>(inside.y()), static_cast<std::uint16_t>(inside.width()),
                static_cast<std::uint16_t>(inside.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0),
            nullptr));
        benchmark::DoNotOptimize(static_cast<volatile std::uint8_t*>(data)[0]);
    }
    xcb_shm_detach(connection, segment);
    shmdt(data);
}

void BM_Tick(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TQtPlatformServices platform("/nonexistent/settings.conf"); // never read here
    QWidget host;
    auto* frame = new TfraColorPicker(platform, &host);
    host.show();
    QApplication::processEvents();
    THeapStatus heap;
    heap.mark();
    frame->pbCaptureClick(); // the maximum rises to the screen's larger side
    frame->seMatrixSize->setValue(n);
    for (auto _ : state)
        frame->Timer1Timer();
    frame->StopCapture();
    state.counters["heap_kept_bytes"] = heap.getB();
    state.counters["shm_bytes"] = static_cast<double>(n) * n * 4;
    state.counters["memory_over_goal"] =
        (heap.getB() + static_cast<double>(n) * n * 4) / (2.0 * n * n * 4 + 1024.0 * 1024.0);
}

BENCHMARK(BM_BareSharedMemoryRead)->Arg(21)->Arg(201)->Arg(1080)->Arg(1920)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tick)->Arg(21)->Arg(201)->Arg(1080)->Arg(1920)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tintwell

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    if (qGuiApp->nativeInterface<QNativeInterface::QX11Application>() == nullptr) {
        std::fprintf(stderr, "bench_picker needs an X server (bench/run_picker.sh starts one)\n");
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
