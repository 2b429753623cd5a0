// The process list through ToolHelp, which the program looks up in kernel32 by name instead of importing.
#include "platform/Processes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// The names of the routines this program imports from `dll` (letter case of the DLL name ignored),
// read from its own import table.
std::set<std::string> ImportedRoutines(const char* dll) {
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::set<std::string> names;
    for (const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         directory.VirtualAddress != 0 && import->Name != 0; ++import) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), dll) != 0) {
            continue;
        }
        const DWORD thunks = import->OriginalFirstThunk != 0 ? import->OriginalFirstThunk : import->FirstThunk;
        for (const auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + thunks); thunk->u1.AddressOfData != 0;
             ++thunk) {
            if (!IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) {
                names.insert(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData)->Name);
            }
        }
    }
    return names;
}

} // namespace

TEST(ProcessesWin, toolHelpIsLookedUpByNameAndNeverImported) {
    const std::set<std::string> kernel32 = ImportedRoutines("kernel32.dll");
    ASSERT_EQ(kernel32.count("GetProcAddress"), 1u) << "the import table was read";
    for (const char* routine : {"CreateToolhelp32Snapshot", "Process32First", "Process32Next"}) {
        SCOPED_TRACE(routine);
        EXPECT_EQ(kernel32.count(routine), 0u);
    }

    bool foundItself = false;
    platform::EnumProcessNames([&](std::string_view name) {
        foundItself = foundItself || lstrcmpiA(std::string(name).c_str(), "platform_tests.exe") == 0;
        return !foundItself;
    });
    EXPECT_TRUE(foundItself) << "ToolHelp was found and lists this program";
}
