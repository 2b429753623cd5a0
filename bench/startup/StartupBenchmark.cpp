// Time from process start to the main window shown, for Vellicor (on a hive whose list holds 2,000
// entries) and for a minimal Qt program measured the same way; with each one's peak memory.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct TScratch {
    fs::path Folder;
    TScratch() {
        char pattern[] = "/tmp/vellicor-startup-XXXXXX";
        Folder = mkdtemp(pattern);
        fs::create_directories(Folder / "prefix");
        fs::create_directories(Folder / "config");
        std::string list;
        for (int i = 0; i < 2000; ++i) {
            if (i > 0) {
                list += ';';
            }
            list += ".e" + std::to_string(10000 + i);
        }
        std::ofstream(Folder / "prefix" / "user.reg", std::ios::binary)
            << "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
               "#arch=win64\n\n"
               "[Software\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook] 1733700000\n#time=1db4a6b1c2d3e40\n\n"
               "[Software\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook\\\\Security] 1733700000\n#time=1db4a6b1c2d3e40\n"
               "\"Level1Add\"=\""
            << list << "\"\n\"Level1Remove\"=\"" << list << "\"\n";
        setenv("WINEPREFIX", (Folder / "prefix").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Folder / "config").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    ~TScratch() {
        std::error_code ec;
        fs::remove_all(Folder, ec);
    }
};

const TScratch& Scratch() {
    static const TScratch scratch;
    return scratch;
}

// Starts `program`, waits for the byte it writes once its window is shown, then for its end.
void MeasureStartup(benchmark::State& state, const char* program) {
    Scratch();
    long peakKb = 0;
    for (auto _ : state) {
        int out[2];
        if (pipe(out) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char* argv[] = {const_cast<char*>(program), nullptr};
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start the program");
            return;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char shown = 0;
        const bool ok = read(out[0], &shown, 1) == 1;
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        close(out[0]);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!ok) {
            state.SkipWithError("the program ended without showing its window");
            return;
        }
        state.SetIterationTime(seconds);
        peakKb = std::max(peakKb, usage.ru_maxrss);
    }
    state.counters["peak_MiB"] = double(peakKb) / 1024.0;
}

void BM_VellicorStartup(benchmark::State& state) {
    MeasureStartup(state, VELLICOR_STARTUP_PROBE);
}
void BM_MinimalQtStartup(benchmark::State& state) {
    MeasureStartup(state, VELLICOR_MINIMAL_PROBE);
}

BENCHMARK(BM_MinimalQtStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_VellicorStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace

BENCHMARK_MAIN();
