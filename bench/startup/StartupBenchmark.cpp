// Time from process start to the main window shown, for Vellicor and for a minimal Qt program measured the
// same way, with each one's peak memory; and the whole of a process that saves one value in a large
// user.reg beside a process that makes a crash-safe copy of the same file.
//
// Each benchmark measures a pair, interleaved: every iteration runs the floor, then the subject, so that
// both meet the same load of a shared machine. The iteration time is the subject's; the counters give the
// medians of both and their ratio (subject / floor), and the peak memory of both.
#include "bench/support/LargeUserReg.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The Outlook key of a prefix, with both lists holding 2,000 entries.
std::string OutlookSection() {
    std::string list;
    for (int i = 0; i < 2000; ++i) {
        if (i > 0) {
            list += ';';
        }
        list += ".e" + std::to_string(10000 + i);
    }
    return "\n[Software\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook] 1733700000\n#time=1db4a6b1c2d3e40\n\n"
           "[Software\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook\\\\Security] 1733700000\n#time=1db4a6b1c2d3e40\n"
           "\"Level1Add\"=\"" +
           list + "\"\n\"Level1Remove\"=\"" + list + "\"\n";
}

// Writes a user.reg last changed a day ago, as the hive of a prefix that is not in use.
void WriteHive(const fs::path& prefix, const std::string& bytes) {
    fs::create_directories(prefix);
    std::ofstream(prefix / "user.reg", std::ios::binary) << bytes;
    const timespec dayAgo[2] = {{time(nullptr) - 86400, 0}, {time(nullptr) - 86400, 0}};
    utimensat(AT_FDCWD, (prefix / "user.reg").c_str(), dayAgo, 0);
}

// A virtual X server for the measurements under X, started once, ended with the program.
class TXvfb {
public:
    TXvfb() {
        for (int display = 91; display < 120 && FPid == 0; ++display) {
            char socket[64];
            char lock[64];
            char name[16];
            std::snprintf(socket, sizeof socket, "/tmp/.X11-unix/X%d", display);
            std::snprintf(lock, sizeof lock, "/tmp/.X%d-lock", display);
            std::snprintf(name, sizeof name, ":%d", display);
            if (fs::exists(socket) || fs::exists(lock)) {
                continue;
            }
            char program[] = "Xvfb";
            std::string screen = "1280x1024x24";
            char screenFlag[] = "-screen";
            char screenNumber[] = "0";
            char noListen[] = "-nolisten";
            char tcp[] = "tcp";
            char* argv[] = {program, name, screenFlag, screenNumber, screen.data(), noListen, tcp, nullptr};
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
            pid_t pid = 0;
            const bool started = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv, environ) == 0;
            posix_spawn_file_actions_destroy(&actions);
            if (!started) {
                return;
            }
            for (int wait = 0; wait < 100 && !fs::exists(socket); ++wait) {
                usleep(50'000);
            }
            if (fs::exists(socket)) {
                FPid = pid;
                FDisplay = name;
            } else {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        }
    }
    ~TXvfb() {
        if (FPid != 0) {
            kill(FPid, SIGTERM);
            waitpid(FPid, nullptr, 0);
        }
    }
    const std::string& Display() const { return FDisplay; }

private:
    pid_t FPid = 0;
    std::string FDisplay;
};

struct TScratch {
    fs::path Folder;
    std::string LargeHive;
    TXvfb Xvfb;

    TScratch() {
        char pattern[] = "/tmp/vellicor-startup-XXXXXX";
        Folder = mkdtemp(pattern);
        fs::create_directories(Folder / "config");
        const std::string small = "WINE REGISTRY Version 2\n;; All keys relative to "
                                  "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n" +
                                  OutlookSection();
        WriteHive(Folder / "small", small);
        LargeHive = bench::LargeUserReg(10 * 1024 * 1024, OutlookSection());
        WriteHive(Folder / "large", LargeHive);
        WriteHive(Folder / "save", LargeHive);
    }
    ~TScratch() {
        std::error_code ec;
        fs::remove_all(Folder, ec);
    }
};

TScratch& Scratch() {
    static TScratch scratch;
    return scratch;
}

enum class EPlatform { Offscreen, Xcb };

// One run of a program: the time until it wrote its byte (its window shown) or, without one, until it ended.
struct TRun {
    double Seconds = 0;
    long PeakKb = 0;
    bool Ok = false;
};

// The probe `name` as built, or from the folder $VELLICOR_BENCH_PROBES (a copy of an earlier build, for a
// comparison of two builds in one run).
std::string Probe(const char* built) {
    const char* folder = std::getenv("VELLICOR_BENCH_PROBES");
    return folder == nullptr ? std::string(built) : (fs::path(folder) / fs::path(built).filename()).string();
}

TRun Run(const std::string& program, std::vector<std::string> arguments, const std::string& prefix, EPlatform platform,
         bool untilByte) {
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry = *e;
        if (!entry.starts_with("WINEPREFIX=") && !entry.starts_with("XDG_CONFIG_HOME=") &&
            !entry.starts_with("QT_QPA_PLATFORM=") && !entry.starts_with("DISPLAY=")) {
            environment.emplace_back(entry);
        }
    }
    // Without a session bus, libdbus would start one on the display when Qt first looks for it: the first
    // run under X would pay for a bus that the later runs reuse. An address that fails at once is the same
    // for every run and every probe.
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        environment.emplace_back("DBUS_SESSION_BUS_ADDRESS=unix:path=/dev/null/no-session-bus");
    }
    environment.push_back("WINEPREFIX=" + prefix);
    environment.push_back("XDG_CONFIG_HOME=" + (Scratch().Folder / "config").string());
    if (platform == EPlatform::Offscreen) {
        environment.emplace_back("QT_QPA_PLATFORM=offscreen");
    } else {
        environment.emplace_back("QT_QPA_PLATFORM=xcb");
        environment.push_back("DISPLAY=" + Scratch().Xvfb.Display());
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    TRun run;
    int out[2];
    if (pipe(out) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (!started) {
        close(out[0]);
        return run;
    }
    char shown = 0;
    const bool wrote = read(out[0], &shown, 1) == 1;
    auto end = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!untilByte) {
        end = std::chrono::steady_clock::now();
    }
    run.Ok = (untilByte ? wrote : true) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.Seconds = std::chrono::duration<double>(end - start).count();
    run.PeakKb = usage.ru_maxrss;
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct TSide {
    const char* Program;
    std::string Prefix;
    bool UntilByte = true;
    bool Counting = false; // passes the iteration number, so that each run has something new to do
};

// Runs floor and subject in turn; the iteration time is the subject's.
void MeasurePair(benchmark::State& state, const TSide& floor, const TSide& subject, EPlatform platform) {
    if (platform == EPlatform::Xcb && Scratch().Xvfb.Display().empty()) {
        state.SkipWithError("Xvfb could not be started");
        return;
    }
    std::vector<double> floorTimes;
    std::vector<double> subjectTimes;
    long floorPeak = 0;
    long subjectPeak = 0;
    int round = 0;
    for (auto _ : state) {
        const auto arguments = [&](const TSide& side) {
            return side.Counting ? std::vector<std::string>{std::to_string(round)} : std::vector<std::string>{};
        };
        const TRun a = Run(Probe(floor.Program), arguments(floor), floor.Prefix, platform, floor.UntilByte);
        const TRun b = Run(Probe(subject.Program), arguments(subject), subject.Prefix, platform, subject.UntilByte);
        ++round;
        if (!a.Ok || !b.Ok) {
            state.SkipWithError(!a.Ok ? "the floor program failed" : "the measured program failed");
            return;
        }
        floorTimes.push_back(a.Seconds);
        subjectTimes.push_back(b.Seconds);
        floorPeak = std::max(floorPeak, a.PeakKb);
        subjectPeak = std::max(subjectPeak, b.PeakKb);
        state.SetIterationTime(b.Seconds);
    }
    const double floorMedian = Median(floorTimes);
    const double subjectMedian = Median(subjectTimes);
    state.counters["floor_ms"] = floorMedian * 1000;
    state.counters["median_ms"] = subjectMedian * 1000;
    state.counters["ratio"] = floorMedian > 0 ? subjectMedian / floorMedian : 0;
    state.counters["floor_peak_MiB"] = double(floorPeak) / 1024.0;
    state.counters["peak_MiB"] = double(subjectPeak) / 1024.0;
    state.counters["peak_ratio"] = floorPeak > 0 ? double(subjectPeak) / double(floorPeak) : 0;
}

std::string Prefix(const char* name) {
    return (Scratch().Folder / name).string();
}

// Start-up on a small hive (2,000-entry lists) against a minimal Qt window.
void BM_StartupOffscreen(benchmark::State& state) {
    MeasurePair(state, {VELLICOR_MINIMAL_PROBE, Prefix("small")}, {VELLICOR_STARTUP_PROBE, Prefix("small")},
                EPlatform::Offscreen);
}
void BM_StartupXcb(benchmark::State& state) {
    MeasurePair(state, {VELLICOR_MINIMAL_PROBE, Prefix("small")}, {VELLICOR_STARTUP_PROBE, Prefix("small")},
                EPlatform::Xcb);
}
// The same against the smallest window with a label and a menu bar: what the program adds to the fonts and the
// menu bar that any such window loads.
void BM_StartupOffscreenVsTextWindow(benchmark::State& state) {
    MeasurePair(state, {VELLICOR_TEXT_WINDOW_PROBE, Prefix("small")}, {VELLICOR_STARTUP_PROBE, Prefix("small")},
                EPlatform::Offscreen);
}
void BM_StartupXcbVsTextWindow(benchmark::State& state) {
    MeasurePair(state, {VELLICOR_TEXT_WINDOW_PROBE, Prefix("small")}, {VELLICOR_STARTUP_PROBE, Prefix("small")},
                EPlatform::Xcb);
}
// The same lists in a 10 MB user.reg, against the small hive: the cost of the hive's size alone.
void BM_StartupLargeHiveVsSmall(benchmark::State& state) {
    MeasurePair(state, {VELLICOR_STARTUP_PROBE, Prefix("small")}, {VELLICOR_STARTUP_PROBE, Prefix("large")},
                EPlatform::Offscreen);
}
// Peak memory with the 10 MB hive against a minimal Qt window (see peak_ratio).
void BM_StartupLargeHiveVsMinimal(benchmark::State& state) {
    MeasurePair(state, {VELLICOR_MINIMAL_PROBE, Prefix("large")}, {VELLICOR_STARTUP_PROBE, Prefix("large")},
                EPlatform::Offscreen);
}
// A whole process that saves one value in a 10 MB user.reg, against a process that copies it crash-safely.
void BM_SaveLargeHiveVsSafeCopy(benchmark::State& state) {
    MeasurePair(state, {VELLICOR_COPY_PROBE, Prefix("save"), false}, {VELLICOR_SAVE_PROBE, Prefix("save"), false, true},
                EPlatform::Offscreen);
}

BENCHMARK(BM_StartupOffscreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_StartupXcb)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_StartupOffscreenVsTextWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_StartupXcbVsTextWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_StartupLargeHiveVsSmall)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_StartupLargeHiveVsMinimal)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_SaveLargeHiveVsSafeCopy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace

BENCHMARK_MAIN();
