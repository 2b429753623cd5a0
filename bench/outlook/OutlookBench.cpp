// What a Save costs on a large Wine registry, beside the cost of copying the same file (the floor any
// safe rewrite has to pay), and what splitting and joining a long list costs.
#include "bench/support/LargeUserReg.h"
#include "outlook/ExtensionList.h"
#include "outlook/OutlookInteraction.h"
#include "platform/linux/WineHive.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string& UserReg() {
    static const std::string bytes = bench::LargeUserReg(
        10 * 1024 * 1024, "\n[Software\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook\\\\Security] 1700000000\n"
                          "#time=1da1b2c3d4e5f60\n\"Level1Add\"=\".exe;.com\"\n\"Level1Remove\"=\".zip\"\n");
    return bytes;
}

// A Wine prefix holding the generated user.reg, in use through WINEPREFIX for the life of the program.
struct TBenchPrefix {
    fs::path Folder;

    TBenchPrefix() {
        std::string pattern = (fs::temp_directory_path() / "vellicor-bench-XXXXXX").string();
        Folder = mkdtemp(pattern.data());
        std::ofstream(Folder / "user.reg", std::ios::binary) << UserReg();
        setenv("WINEPREFIX", Folder.c_str(), 1);
    }
    ~TBenchPrefix() {
        std::error_code ec;
        fs::remove_all(Folder, ec);
    }
};

const fs::path& Prefix() {
    static const TBenchPrefix prefix;
    return prefix.Folder;
}

void ParseUserReg(benchmark::State& state) {
    for (auto _ : state) {
        const platform::wine::THiveFile hive(UserReg());
        benchmark::DoNotOptimize(hive.Problem());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * UserReg().size()));
}
BENCHMARK(ParseUserReg)->Unit(benchmark::kMillisecond);

// What reading does: find where each key's sections are and check every line, so that a write that follows
// need not read them again; fed in the blocks a read of the file gives.
void IndexUserReg(benchmark::State& state) {
    const std::string_view bytes = UserReg();
    for (auto _ : state) {
        platform::wine::THiveIndex index(true);
        for (std::size_t at = 0; at < bytes.size(); at += 1 << 16) {
            index.Feed(bytes.substr(at, 1 << 16));
        }
        index.Finish();
        benchmark::DoNotOptimize(index.HasHeader());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * UserReg().size()));
}
BENCHMARK(IndexUserReg)->Unit(benchmark::kMillisecond);

// What a write needs before it edits when nothing was read before: every line checked, with the file's bytes at
// hand.
void CheckUserReg(benchmark::State& state) {
    for (auto _ : state) {
        const platform::wine::THiveEdit hive(UserReg());
        benchmark::DoNotOptimize(hive.Problem());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * UserReg().size()));
}
BENCHMARK(CheckUserReg)->Unit(benchmark::kMillisecond);

// One Save of one side, as the main window does it: open or create Security, store Level1Add.
void SaveOneValue(benchmark::State& state) {
    Prefix();
    TOutlookInteraction outlook;
    if (outlook.FVersions.size() != 1) {
        state.SkipWithError("the generated registry has no Outlook");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        outlook.SetBlockedExtensions(0, {".exe", ".com", ".r" + std::to_string(round++)});
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * UserReg().size()));
}
BENCHMARK(SaveOneValue)->Unit(benchmark::kMillisecond);

// The floor: read the file, write it whole to a temporary file in the same folder, fsync it, rename it.
void PlainCopy(benchmark::State& state) {
    const fs::path source = Prefix() / "user.reg";
    const fs::path temp = Prefix() / "copy.tmp";
    const fs::path target = Prefix() / "copy.reg";
    for (auto _ : state) {
        std::ifstream in(source, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string data = bytes.str();
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        benchmark::DoNotOptimize(write(fd, data.data(), data.size()));
        fsync(fd);
        close(fd);
        fs::rename(temp, target);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * UserReg().size()));
}
BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond);

TExtensionList LongList() {
    TExtensionList items;
    for (int i = 0; i < 10000; ++i) {
        items.push_back(i % 10 == 0 ? "my file " + std::to_string(i) : ".ext" + std::to_string(i));
    }
    return items;
}

void SplitLongList(benchmark::State& state) {
    const std::string text = JoinExtensionList(LongList());
    for (auto _ : state) {
        benchmark::DoNotOptimize(SplitExtensionList(text));
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(SplitLongList)->Unit(benchmark::kMicrosecond);

void JoinLongList(benchmark::State& state) {
    const TExtensionList items = LongList();
    for (auto _ : state) {
        benchmark::DoNotOptimize(JoinExtensionList(items));
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(JoinLongList)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
