#include "RealWine.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace testsupport {

namespace {

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        if (access((folders.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// The prefix made once by wineboot and shared, read-only, by every test; made under a file lock so that
// test programs running side by side make it only once.
fs::path BasePrefix() {
    const char* configured = std::getenv("VELLICOR_WINE_BASE");
    const fs::path base = configured != nullptr && *configured != '\0'
                              ? fs::path(configured)
                              : fs::temp_directory_path() / "vellicor-wine-base";
    fs::create_directories(base.parent_path());
    const int lock = open((base.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    flock(lock, LOCK_EX);
    if (!fs::exists(base / ".vellicor-ready")) {
        std::error_code ec;
        fs::remove_all(base, ec);
        TScopedEnv debug("WINEDEBUG", "-all");
        TScopedEnv noMonoNoGecko("WINEDLLOVERRIDES", "mscoree,mshtml=");
        TScopedEnv noDisplay("DISPLAY", "");
        TScopedEnv prefix("WINEPREFIX", base.string());
        const fs::path log = base.string() + ".log";
        RunProgram({"wineboot", "-i"}, log, 300);
        RunProgram({"wineserver", "-w"}, log, 120);
        if (fs::exists(base / "user.reg") && fs::exists(base / "system.reg")) {
            WriteFileBytes(base / ".vellicor-ready", "");
        }
    }
    flock(lock, LOCK_UN);
    close(lock);
    return base;
}

} // namespace

bool WineInstalled() {
    return OnPath("wine") && OnPath("wineserver") && OnPath("wineboot");
}

// Runs a program with the current environment, its output to `log`; the exit code, or -1 when it had to be
// killed after `seconds`.
int RunProgram(const std::vector<std::string>& args, const fs::path& log, int seconds) {
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TWinePrefix::TWinePrefix() : FBase(BasePrefix()) {
    if (!fs::exists(FBase / ".vellicor-ready")) {
        throw std::runtime_error("wineboot could not make a prefix; see " + FBase.string() + ".log");
    }
    for (const char* file : {"system.reg", "user.reg", "userdef.reg", ".update-timestamp"}) {
        fs::copy_file(FBase / file, FFolder / file);
    }
    fs::create_directory(FFolder / "dosdevices");
    fs::create_directory_symlink(FBase / "drive_c", FFolder / "drive_c");
    fs::create_directory_symlink("../drive_c", FFolder / "dosdevices" / "c:");
    fs::create_directory_symlink("/", FFolder / "dosdevices" / "z:");
}

TWinePrefix::~TWinePrefix() {
    Stop();
    // Debian's Wine keeps its server folder in $TMPDIR (else /tmp) under a name stored in the prefix;
    // it outlives the server, so a throwaway prefix takes it along.
    std::string name = ReadFileBytes(FFolder / "wineserver");
    name.erase(name.find_last_not_of("\r\n ") + 1);
    if (!name.empty() && name.find('/') == std::string::npos && name != "." && name != "..") {
        const char* tmp = std::getenv("TMPDIR");
        std::error_code ec;
        fs::remove_all(fs::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") / name, ec);
    }
}

int TWinePrefix::Run(const std::vector<std::string>& command, int seconds) {
    TScopedEnv prefix("WINEPREFIX", Folder().string());
    return RunProgram(command, Log(), seconds);
}

int TWinePrefix::Wine(const std::vector<std::string>& args) {
    std::vector<std::string> command{"wine"};
    command.insert(command.end(), args.begin(), args.end());
    return Run(command);
}

void TWinePrefix::Stop() {
    Run({"wineserver", "-k"});
    Run({"wineserver", "-w"});
}

} // namespace testsupport
