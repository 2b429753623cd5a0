#include "platform/ExeFolder.h"

#include <windows.h>

#include <vector>

namespace platform {

std::string GetExeFolder() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return ".\\";
        }
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            return path.substr(0, path.find_last_of("\\/") + 1);
        }
        buffer.resize(buffer.size() * 2); // the path was cut: try again with room for it
    }
}

char PathDelimiter() {
    return '\\';
}

} // namespace platform
