// The floor of a safe save: a process that copies $WINEPREFIX/user.reg so that a crash leaves either no
// copy or a whole one. It reads the file, writes a temporary file beside it, syncs that, renames it over
// the copy and syncs the folder.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

int main() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr) {
        return 1;
    }
    const std::string folder = prefix;
    const int in = open((folder + "/user.reg").c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return 1;
    }
    std::string bytes;
    char buffer[1 << 16];
    for (ssize_t length; (length = read(in, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<std::size_t>(length));
    }
    close(in);
    std::string temporary = folder + "/copy.reg.XXXXXX";
    const int out = mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        return 1;
    }
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t written = write(out, bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            return 1;
        }
        done += static_cast<std::size_t>(written);
    }
    if (fsync(out) != 0 || close(out) != 0 || std::rename(temporary.c_str(), (folder + "/copy.reg").c_str()) != 0) {
        return 1;
    }
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || fsync(dir) != 0) {
        return 1;
    }
    close(dir);
    return 0;
}
