// Loading a theme: inflating its package, parsing it (pictures decoded, state pictures cut,
// style sheet written), and restyling a window like the main one, with one repaint.
// The inflate's share is Inflate / Load of the same theme.
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinIni.h"
#include "skin/SkinPackage.h"
#include "themes/ThemePackages.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<TCompressedStoredSkin> Stored(const themes::TThemePackage& package) {
    auto stored = std::make_unique<TCompressedStoredSkin>();
    stored->SetCompressedFileName(QLatin1String(package.FileName));
    stored->SetCompressedData(
        QByteArray::fromRawData(reinterpret_cast<const char*>(package.Data), static_cast<qsizetype>(package.Size)));
    return stored;
}

template <typename T> T* Named(T* widget, const char* name) {
    SetSkinDataName(widget, QLatin1String(name));
    return widget;
}

// The main window's kinds of controls, in about its numbers.
QWidget* SampleWindow(TSkinData& skin) {
    auto* form = new QWidget;
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* client = new QWidget;
    layout->addWidget(client);
    auto* v = new QVBoxLayout(client);
    auto* bar = new QMenuBar;
    for (const char* menu : {"&File", "&Edit", "Visual &Theme", "&Help"}) {
        bar->addMenu(QLatin1String(menu))->addAction(QStringLiteral("Item"));
    }
    v->addWidget(bar);
    auto* top = Named(new QWidget, "panel");
    auto* th = new QHBoxLayout(top);
    th->addWidget(Named(new QLabel(QStringLiteral("Outlook version:")), "stdlabel"));
    th->addWidget(Named(new QComboBox, "combobox"));
    v->addWidget(top);
    auto* tabs = Named(new QTabWidget, "tab");
    for (const char* caption : {"Allow access", "Block access"}) {
        auto* page = new QWidget;
        auto* h = new QHBoxLayout(page);
        auto* list = Named(new QListWidget, "listbox");
        for (int i = 0; i < 40; ++i) {
            list->addItem(QStringLiteral(".ext%1").arg(i));
        }
        h->addWidget(list);
        h->addWidget(Named(new QLabel(QStringLiteral("Files")), "stdlabel"));
        auto* buttons = new QVBoxLayout;
        buttons->addWidget(Named(new QPushButton(QStringLiteral("Add...")), "button"));
        buttons->addWidget(Named(new QPushButton(QStringLiteral("Remove")), "button"));
        h->addLayout(buttons);
        tabs->addTab(page, QLatin1String(caption));
    }
    v->addWidget(tabs);
    auto* bottom = Named(new QWidget, "panel");
    auto* bh = new QHBoxLayout(bottom);
    for (const char* caption : {"Save", "Cancel", "Close"}) {
        bh->addWidget(Named(new QPushButton(QLatin1String(caption)), "button"));
    }
    v->addWidget(bottom);
    form->resize(560, 420);
    auto* frame = new TSkinForm(form, &skin, TSkinFormKind::MainWindow);
    frame->SetMainMenuBar(bar);
    form->show();
    return form;
}

void Inflate(benchmark::State& state, const themes::TThemePackage* package) {
    const std::string_view data(reinterpret_cast<const char*>(package->Data), package->Size);
    std::size_t size = 0;
    for (auto _ : state) {
        size = InflateSkinData(data).size();
        benchmark::DoNotOptimize(size);
    }
    state.counters["compressed"] = static_cast<double>(package->Size);
    state.counters["inflated"] = static_cast<double>(size);
}

void Load(benchmark::State& state, const themes::TThemePackage* package) {
    auto stored = Stored(*package);
    TSkinData skin;
    for (auto _ : state) {
        skin.SetCompressedStoredSkin(stored.get());
    }
}

void LoadAndRestyle(benchmark::State& state, const themes::TThemePackage* package) {
    auto stored = Stored(*package);
    TSkinData skin;
    skin.SetCompressedStoredSkin(stored.get());
    std::unique_ptr<QWidget> window(SampleWindow(skin));
    QApplication::processEvents();
    for (auto _ : state) {
        skin.SetCompressedStoredSkin(stored.get());
        window->repaint();
    }
}

/// A description of `range(0)` sections of `range(1)` keys each: a damaged package may hold any number.
void ParseDescription(benchmark::State& state) {
    std::string text;
    for (int section = 0; section < state.range(0); ++section) {
        text += "[object" + std::to_string(section) + "]\n";
        for (int key = 0; key < state.range(1); ++key) {
            text += "key" + std::to_string(key) + "=value\n";
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(TSkinIni::Parse(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    for (const themes::TThemePackage& package : themes::Packages()) {
        const std::string name = package.FileName;
        benchmark::RegisterBenchmark(("Inflate/" + name).c_str(), Inflate, &package)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Load/" + name).c_str(), Load, &package)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("LoadAndRestyle/" + name).c_str(), LoadAndRestyle, &package)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("ParseDescription", ParseDescription)
        ->Args({1000, 10})
        ->Args({10000, 10})
        ->Args({10, 10000})
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
