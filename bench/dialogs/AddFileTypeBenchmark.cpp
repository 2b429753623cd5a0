// Opening the Add file types dialog on a 10,000-line Extensions.txt: read, fill, one sort, first paint,
// in the themed program (the main window exists, so the dialog takes its frame and theme); with the
// number of times the theme's style sheet is parsed for each opening.
#include "outlook/ExtensionsFile.h"
#include "settings/uSettings.h"
#include "skin/SkinData.h"
#include "ui/Application.h"
#include "ui/uAddFileType.h"
#include "ui/uMainForm.h"

#include <QApplication>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

fs::path GFolder;
TMainForm* GMainForm = nullptr;

void BM_OpenAddFileTypeDialog(benchmark::State& state) {
    const int lines = int(state.range(0));
    {
        std::mt19937 random(42);
        std::ofstream file(GFolder / "Extensions.txt", std::ios::binary);
        for (int i = 0; i < lines; ++i) {
            file << ".x" << random() % 1000000 << " Description of file type number " << i << "\r\n";
        }
    }
    const quint64 sheetsBefore = TSkinData::StyleSheetsGiven();
    for (auto _ : state) {
        TAddFileTypeForm form(*GMainForm->findChild<TSkinData*>(QStringLiteral("skSkinData")), GMainForm);
        form.show();
        const QPixmap painted = form.grab(); // the first paint
        benchmark::DoNotOptimize(painted.cacheKey());
        if (form.findChild<QTreeWidget*>(QStringLiteral("lvExtensions"))->topLevelItemCount() != lines) {
            state.SkipWithError("rows missing");
        }
    }
    state.SetItemsProcessed(state.iterations() * lines);
    // Every opening after the first should reuse the parsed sheet: the goal is 0.
    state.counters["sheets_parsed_per_open"] =
        double(TSkinData::StyleSheetsGiven() - sheetsBefore) / double(state.iterations());
}
BENCHMARK(BM_OpenAddFileTypeDialog)->Arg(133)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    char pattern[] = "/tmp/vellicor-dialog-bench-XXXXXX";
    GFolder = mkdtemp(pattern);
    fs::create_directories(GFolder / "prefix");
    std::ofstream(GFolder / "prefix" / "user.reg", std::ios::binary)
        << "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook] 1733700000\n";
    setenv("WINEPREFIX", (GFolder / "prefix").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (GFolder / "config").c_str(), 1);
    InitializeSettingsUnit();
    QApplication application(argc, argv);
    SetPredefinedFileTypesFolderForTesting(GFolder.string() + "/");
    Settings = new TSettings();
    GMainForm = new TMainForm();
    GMainForm->show();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    delete GMainForm;
    FinalizeSettingsUnit();
    std::error_code ec;
    fs::remove_all(GFolder, ec);
    return 0;
}
