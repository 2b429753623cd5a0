#include "platform/Processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cstring>

namespace platform {

namespace {

using TCreateSnapshot = HANDLE(WINAPI*)(DWORD, DWORD);
using TProcessWalk = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32);

// ToolHelp, bound by name at the first use and kept for the life of the process; not linked by import,
// so that the program starts where kernel32 lacks it.
struct TToolHelp {
    TCreateSnapshot CreateSnapshot = nullptr;
    TProcessWalk First = nullptr;
    TProcessWalk Next = nullptr;

    TToolHelp() {
        const HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (kernel == nullptr) {
            return;
        }
        CreateSnapshot = reinterpret_cast<TCreateSnapshot>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
        First = reinterpret_cast<TProcessWalk>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
        Next = reinterpret_cast<TProcessWalk>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
    }

    bool Usable() const { return CreateSnapshot != nullptr && First != nullptr && Next != nullptr; }
};

const TToolHelp& ToolHelp() {
    static const TToolHelp toolHelp;
    return toolHelp;
}

// The ANSI process entry is 296 bytes in a 32-bit program; a 64-bit one has a pointer-sized field and
// alignment, and the system checks dwSize against the size of its own build.
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32 of 32-bit Windows");

} // namespace

void EnumProcessNames(const std::function<bool(std::string_view)>& visit) {
    const TToolHelp& toolHelp = ToolHelp();
    if (!toolHelp.Usable()) {
        return;
    }
    const HANDLE snapshot = toolHelp.CreateSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE || snapshot == nullptr) {
        return;
    }
    PROCESSENTRY32 entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = toolHelp.First(snapshot, &entry); more; more = toolHelp.Next(snapshot, &entry)) {
        const std::size_t length = strnlen(entry.szExeFile, sizeof entry.szExeFile);
        if (!visit(std::string_view(entry.szExeFile, length))) {
            break;
        }
    }
    CloseHandle(snapshot);
}

} // namespace platform
