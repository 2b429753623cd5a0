// ApplyTheme on the real main window, for each of the eleven themes: the theme store made, the
// chosen theme inflated, parsed and cut into state pictures, the window restyled, one repaint.
// Each ApplyTheme benchmark also reports the inflate's share of its time ("inflate_share"),
// measured on the same stored theme.
#include "settings/uSettings.h"
#include "skin/SkinData.h"
#include "themes/ThemePackages.h"
#include "ui/Application.h"
#include "ui/SkinMessage.h"
#include "ui/uDMSkins.h"
#include "ui/uMainForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace {

using TClock = std::chrono::steady_clock;

TMainForm* Form = nullptr;

double Seconds(TClock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

/// Mean time of one inflate of the stored theme `identifier`, as ApplyTheme performs it.
double InflateSeconds(const char* identifier) {
    const TDMSkins store;
    const TCompressedStoredSkin* stored = store.FindStoredSkin(QLatin1String(identifier));
    constexpr int kRuns = 20;
    const auto start = TClock::now();
    for (int i = 0; i < kRuns; ++i) {
        benchmark::DoNotOptimize(stored->Inflate().size());
    }
    return Seconds(TClock::now() - start) / kRuns;
}

void ApplyTheme(benchmark::State& state, const themes::TThemePackage* theme) {
    const QString identifier = QLatin1String(theme->Identifier);
    TClock::duration spent{};
    for (auto _ : state) {
        const auto start = TClock::now();
        Form->ApplyTheme(identifier);
        Form->repaint();
        spent += TClock::now() - start;
    }
    const double apply = Seconds(spent) / static_cast<double>(state.iterations());
    state.counters["inflate_share"] = InflateSeconds(theme->Identifier) / apply;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // A Wine prefix with one Outlook version, and a settings folder, of the benchmark's own.
    QTemporaryDir scratch;
    QDir(scratch.path()).mkpath(QStringLiteral("prefix"));
    QFile hive(scratch.filePath(QStringLiteral("prefix/user.reg")));
    if (!hive.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(hive.fileName()));
        return 1;
    }
    hive.write("WINE REGISTRY Version 2\n\n#arch=win64\n\n"
               "[Software\\\\Microsoft\\\\Office\\\\12.0\\\\Outlook] 1733700000\n\n"
               "[Software\\\\Microsoft\\\\Office\\\\12.0\\\\Outlook\\\\Security] 1733700000\n"
               "\"Level1Remove\"=\".zip;.exe;.js\"\n\n");
    hive.close();
    qputenv("WINEPREFIX", scratch.filePath(QStringLiteral("prefix")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", scratch.filePath(QStringLiteral("config")).toLocal8Bit());

    InitializeSettingsUnit();
    InitializeSkinMessageTexts();
    QApplication app(argc, argv);
    Application::SetTitle(QStringLiteral("Vellicor"));
    Settings = new TSettings();
    Form = new TMainForm();
    Form->show();
    QApplication::processEvents();

    for (const themes::TThemePackage& theme : themes::Packages()) {
        benchmark::RegisterBenchmark((std::string("ApplyTheme/") + theme.FileName).c_str(), ApplyTheme, &theme)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete Form;
    FinalizeSettingsUnit();
    return 0;
}
