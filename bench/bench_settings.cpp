// Restoring and storing a window's placement with a settings file of 1,000 values, where tests keep
// it (the system's temporary folder), on the ordinary disk (the folder given) and in memory
// (/dev/shm). Every read reads the file afresh and every write replaces it under its lock, so the
// figures are the file's: a restore reads it five times, a store rewrites it six times.
//   bench_settings DISK_FOLDER [benchmark options]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/qt_platform_services.h"
#include "settings/settings_store.h"
#include "settings/zorvik_form.h"

namespace tintwell {
namespace {

std::string gDiskFolder;

class TProbeForm : public TzorvikForm {
public:
    explicit TProbeForm(TPlatformServices& platform) : TzorvikForm(platform, nullptr) {
        setObjectName("frmColorPicker");
        move(192, 114);
        resize(218, 348);
    }
};

// 1,000 values: the window's six among 99 other keys of ten values of each kind.
void WriteStore(const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "; Tintwell settings.\n";
    for (int key = 0; key < 99; ++key) {
        out << "[Software\\zorVIK\\Quelm\\Forms\\frmOther" << key << "]\n";
        for (int value = 0; value < 10; ++value) {
            if (value % 3 == 0)
                out << "\"Text" << value << "\"=\"some text of a setting " << value << "\"\n";
            else if (value % 3 == 1)
                out << "\"Integer" << value << "\"=dword:" << -value * 1000 << "\n";
            else
                out << "\"Binary" << value << "\"=hex:00,00,00,00,00,00,f8,3f\n";
        }
    }
    out << "[Software\\zorVIK\\Quelm\\Forms\\frmColorPicker]\n\"WindowState\"=\"0\"\n\"Top\"=dword:200\n"
           "\"Left\"=dword:300\n\"Width\"=dword:226\n\"Height\"=dword:387\n\"Position\"=\"0\"\n";
}

// One window over a store in folder, for as long as a benchmark runs.
class TPlacementBench {
public:
    explicit TPlacementBench(const std::filesystem::path& folder)
        : FFile(folder / "tintwell-bench-settings" / "settings.conf"), FPlatform(FFile.string()) {
        WriteStore(FFile);
        FModule = std::make_unique<TSettingsModule>(FPlatform);
        FForm = CreateForm<TProbeForm>(FPlatform);
    }
    ~TPlacementBench() {
        FForm.reset();
        FModule.reset();
        std::error_code ignored;
        std::filesystem::remove_all(FFile.parent_path(), ignored);
    }
    TPlacementBench(const TPlacementBench&) = delete;
    TPlacementBench& operator=(const TPlacementBench&) = delete;

    TProbeForm& Form() { return *FForm; }

private:
    std::filesystem::path FFile;
    TQtPlatformServices FPlatform;
    std::unique_ptr<TSettingsModule> FModule;
    TFormPtr<TProbeForm> FForm;
};

std::filesystem::path Folder(int where) {
    switch (where) {
    case 0: return std::filesystem::temp_directory_path();
    case 1: return gDiskFolder;
    default: return "/dev/shm";
    }
}

void Label(benchmark::State& state) {
    static const char* const kNames[] = {"temporary folder", "ordinary disk", "memory"};
    state.SetLabel(kNames[state.range(0)]);
}

void BM_LoadPlacement(benchmark::State& state) {
    TPlacementBench bench(Folder(static_cast<int>(state.range(0))));
    for (auto _ : state)
        bench.Form().LoadPlacement();
    benchmark::DoNotOptimize(bench.Form().Top());
    Label(state);
}

void BM_SavePlacement(benchmark::State& state) {
    TPlacementBench bench(Folder(static_cast<int>(state.range(0))));
    for (auto _ : state)
        bench.Form().SavePlacement();
    Label(state);
}

BENCHMARK(BM_LoadPlacement)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlacement)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tintwell

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_settings DISK_FOLDER [benchmark options]\n");
        return 2;
    }
    tintwell::gDiskFolder = argv[1];
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
