// What a Save costs on a large Wine registry, beside the cost of copying the same file (the floor any
// safe rewrite has to pay), and what splitting and joining a long list costs.
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

// A user.reg of about `size` bytes, laid out as Wine writes one, with Outlook's key in the middle.
std::string GenerateUserReg(std::size_t size) {
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                       "#arch=win64\n";
    char buffer[256];
    bool outlookWritten = false;
    for (int key = 0; text.size() < size; ++key) {
        if (!outlookWritten && text.size() > size / 2) {
            text += "\n[Software\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook\\\\Security] 1700000000\n"
                    "#time=1da1b2c3d4e5f60\n\"Level1Add\"=\".exe;.com\"\n\"Level1Remove\"=\".zip\"\n";
            outlookWritten = true;
        }
        std::snprintf(buffer, sizeof buffer,
                      "\n[Software\\\\Vendor%d\\\\Application\\\\Settings%05d] 1700000000\n"
                      "#time=1da1b2c3d4e5f60\n",
                      key % 97, key);
        text += buffer;
        std::snprintf(buffer, sizeof buffer, "\"Path\"=\"C:\\\\Program Files\\\\Vendor\\\\App%d\\\\bin\"\n", key);
        text += buffer;
        text += "\"Title\"=\"Caf\\x00e9 \\\"quoted\\\" \\x20ac\"\n\"Count\"=dword:0000002a\n";
        text += "\"Expand\"=str(2):\"%SystemRoot%\\\\system32\"\n";
        text += "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
                "  18,19,1a,1b,1c,1d,1e,1f\n";
    }
    return text;
}

const std::string& UserReg() {
    static const std::string bytes = GenerateUserReg(10 * 1024 * 1024);
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
