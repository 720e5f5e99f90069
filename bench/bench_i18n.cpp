// Translation costs: one lookup in a catalogue of 10,000 entries, the translation of a window shaped
// like the colour picker, and what start-up pays with the shipped catalogue against without one.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "i18n/gnu_gettext.h"
#include "i18n/translation.h"
#include "platform/qt_platform_services.h"
#include "ui/main/main_window.h"

namespace tintwell {
namespace {

std::string gWork;          // a scratch folder, from the command line
std::string gShippedLocale; // build/bin/locale

std::string LargeLocale() { return gWork + "/large"; }

// Ten thousand entries of message-like length, compiled by msgfmt as the build does.
void WriteLargeCatalogue() {
    const std::string folder = LargeLocale() + "/de/LC_MESSAGES";
    std::filesystem::create_directories(folder);
    std::ofstream po(folder + "/default.po");
    po << "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
    for (int i = 0; i < 10000; ++i)
        po << "msgid \"The message number " << i << " of the program\"\nmsgstr \"Die Meldung Nummer " << i
           << " des Programms\"\n\n";
    po.close();
    const std::string command = "msgfmt -o " + folder + "/default.mo " + folder + "/default.po";
    if (std::system(command.c_str()) != 0)
        std::abort();
}

std::vector<std::string> Texts(int count, const char* prefix, const char* suffix) {
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(prefix + std::to_string((i * 7919) % 10000) + suffix);
    return texts;
}

void BM_LookupFound(benchmark::State& state) {
    TGnuGettext domain(LargeLocale(), "de_DE");
    const std::vector<std::string> texts = Texts(1024, "The message number ", " of the program");
    if (domain.Lookup(texts[0]) == texts[0])
        state.SkipWithError("the catalogue did not load");
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(domain.Lookup(texts[i++ & 1023]));
}

void BM_LookupMissing(benchmark::State& state) {
    TGnuGettext domain(LargeLocale(), "de_DE");
    const std::vector<std::string> texts = Texts(1024, "The message number ", " of the window");
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(domain.Lookup(texts[i++ & 1023]));
}

// The picker's controls: a frame with a spin box and its label, a preview with a tooltip, a check
// box, a button, an action, a status bar with three panels.
std::unique_ptr<QWidget> PickerLikeWindow() {
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle("Color Picker");
    auto* frame = new QWidget(window.get());
    auto* label = new QLineEdit("Matrix", frame);
    label->setReadOnly(true);
    new QSpinBox(frame);
    auto* preview = new QLabel(frame);
    preview->setToolTip("click this preview to select a color...");
    new QCheckBox("&show marker", frame);
    new QPushButton("&Capture", frame);
    auto* stop = new QAction("&Stop (Esc)", frame);
    frame->addAction(stop);
    auto* status = new QStatusBar(window.get());
    for (const char* panel : {"X 0", "Y 0", ""})
        status->addWidget(new QLabel(panel));
    return window;
}

void BM_TranslateForm(benchmark::State& state) {
    const TTranslationModule module(gShippedLocale, "de_DE");
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<QWidget> window = PickerLikeWindow();
        state.ResumeTiming();
        TranslateForm(*window);
        state.PauseTiming();
        if (window->windowTitle() == "Color Picker")
            state.SkipWithError("the window was not translated");
        window.reset();
        state.ResumeTiming();
    }
}

// What start-up pays for translation: the module with its Qt translator, the first lookup, which
// reads and checks the catalogue, and the main window made and shown while Qt's translator answers
// its texts. The language decides whether there is a catalogue to read.
void StartUp(benchmark::State& state, const char* language) {
    TQtPlatformServices platform(gWork + "/settings.conf");
    for (auto _ : state) {
        const TTranslationModule module(gShippedLocale, language);
        benchmark::DoNotOptimize(TranslateText("JPEG Image File"));
        TfrmTintwell window(platform);
        window.show();
        QApplication::processEvents();
    }
}
void BM_StartUpWithCatalogue(benchmark::State& state) { StartUp(state, "de_DE"); }
void BM_StartUpWithoutCatalogue(benchmark::State& state) { StartUp(state, "C"); }

BENCHMARK(BM_LookupFound)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_LookupMissing)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TranslateForm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartUpWithCatalogue)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartUpWithoutCatalogue)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tintwell

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_i18n SCRATCH_FOLDER SHIPPED_LOCALE_FOLDER [benchmark options]\n");
        return 2;
    }
    tintwell::gWork = argv[1];
    tintwell::gShippedLocale = argv[2];
    tintwell::WriteLargeCatalogue();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
