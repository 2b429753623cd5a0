// Wine prefixes on Linux: the one CurrentUserRegistry() works on, and where the usual tools keep theirs.
#include "platform/WinePrefixes.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace platform {

namespace {

namespace fs = std::filesystem;

std::string HomeFolder() {
    if (const char* value = std::getenv("HOME"); value != nullptr && *value != '\0') {
        return value;
    }
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
        return user->pw_dir;
    }
    return {};
}

bool HoldsHive(const fs::path& folder) {
    struct stat info {};
    return stat((folder / "user.reg").c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The sub-folders of `folder`, sorted by name so that the listing is the same on every run.
std::vector<fs::path> SubFolders(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// WINEPREFIX as it was before the first SelectWinePrefix.
struct TStartPrefix {
    bool Saved = false;
    bool Set = false;
    std::string Value;
};

TStartPrefix& StartPrefix() {
    static TStartPrefix start;
    return start;
}

} // namespace

bool UsesWinePrefixes() {
    return true;
}

bool SelectWinePrefix(const std::string& folder, std::string& error) {
    if (folder.empty()) {
        error = "No Wine prefix folder was given.";
        return false;
    }
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(folder), ec);
    if (ec) {
        absolute = folder;
    }
    std::string text = absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    if (!fs::is_directory(text, ec)) {
        error = "The Wine prefix " + text + " does not exist. Give the folder that holds the prefix's user.reg.";
        return false;
    }
    if (!HoldsHive(text)) {
        error = "The folder " + text +
                " holds no user.reg, so it is not a Wine prefix, or Wine was never started in it. Run \"wineboot\" "
                "with WINEPREFIX set to it first.";
        return false;
    }
    TStartPrefix& start = StartPrefix();
    if (!start.Saved) {
        const char* value = std::getenv("WINEPREFIX");
        start = {true, value != nullptr, value != nullptr ? value : ""};
    }
    setenv("WINEPREFIX", text.c_str(), 1);
    return true;
}

void RestoreWinePrefix() {
    TStartPrefix& start = StartPrefix();
    if (!start.Saved) {
        return;
    }
    if (start.Set) {
        setenv("WINEPREFIX", start.Value.c_str(), 1);
    } else {
        unsetenv("WINEPREFIX");
    }
    start = {};
}

std::string CurrentWinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        std::string folder(prefix);
        while (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        return folder;
    }
    return HomeFolder() + "/.wine";
}

std::vector<TWinePrefixPlace> FindWinePrefixes() {
    std::vector<TWinePrefixPlace> candidates;
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        candidates.push_back({CurrentWinePrefix(), "Wine"});
    }
    const std::string homeText = HomeFolder();
    if (!homeText.empty()) {
        const fs::path home(homeText);
        candidates.push_back({(home / ".wine").string(), "Wine"});
        for (const fs::path& folder : SubFolders(home)) {
            const std::string name = folder.filename().string();
            if (name.size() > 5 && name.starts_with(".wine")) {
                candidates.push_back({folder.string(), "Wine"});
            }
        }
        for (const fs::path& folder : SubFolders(home / ".cxoffice")) {
            candidates.push_back({folder.string(), "CrossOver"});
        }
        for (const fs::path& bottles :
             {home / ".local/share/bottles/bottles", home / ".var/app/com.usebottles.bottles/data/bottles/bottles"}) {
            for (const fs::path& folder : SubFolders(bottles)) {
                candidates.push_back({folder.string(), "Bottles"});
            }
        }
        // Lutris makes a game's prefix its folder under ~/Games, or a "prefix" folder inside it.
        for (const fs::path& folder : SubFolders(home / "Games")) {
            candidates.push_back({folder.string(), "Lutris"});
            candidates.push_back({(folder / "prefix").string(), "Lutris"});
        }
        for (const fs::path& steam :
             {home / ".steam/steam/steamapps/compatdata", home / ".local/share/Steam/steamapps/compatdata"}) {
            for (const fs::path& folder : SubFolders(steam)) {
                candidates.push_back({(folder / "pfx").string(), "Proton"});
            }
        }
    }

    std::vector<TWinePrefixPlace> found;
    std::set<std::string> seen;
    for (TWinePrefixPlace& candidate : candidates) {
        if (!HoldsHive(candidate.Folder)) {
            continue;
        }
        char resolved[PATH_MAX];
        const std::string identity =
            realpath(candidate.Folder.c_str(), resolved) != nullptr ? std::string(resolved) : candidate.Folder;
        if (seen.insert(identity).second) {
            found.push_back(std::move(candidate));
        }
    }
    return found;
}

void UseBinaryStandardOutput() {}

} // namespace platform
