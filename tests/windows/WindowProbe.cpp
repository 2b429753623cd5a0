// Starts an installed vellicor.exe as its Start menu shortcut does (in its own folder) and checks what a
// user sees first: its main window, and the HTML Help window that F1 opens from Help.chm beside it.
//
// window_probe <program.exe> <main window title> [<marker file>]
// With a marker file, the probe creates it once both windows are up and waits 3 s (for a screenshot).
// Prints each step; exit status 0 when both windows appeared, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct TFound {
    DWORD ProcessId = 0;
    std::string Title;     // wanted title; empty: any
    std::string ClassName; // wanted window class; empty: any
    HWND Window = nullptr;
    std::string SeenTitle;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<TFound*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != found->ProcessId || !IsWindowVisible(window)) {
        return TRUE;
    }
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    char className[256] = {};
    GetClassNameA(window, className, sizeof className);
    if ((found->Title.empty() || found->Title == text) && (found->ClassName.empty() || found->ClassName == className)) {
        found->Window = window;
        found->SeenTitle = text;
        return FALSE;
    }
    return TRUE;
}

/// Waits up to `seconds` for a visible top-level window of the process; null when none came.
TFound WaitForWindow(HANDLE process, DWORD processId, const std::string& title, const std::string& className,
                     int seconds) {
    TFound found;
    found.ProcessId = processId;
    found.Title = title;
    found.ClassName = className;
    for (int i = 0; i < seconds * 10; ++i) {
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&found));
        if (found.Window != nullptr || WaitForSingleObject(process, 100) == WAIT_OBJECT_0) {
            break;
        }
    }
    return found;
}

void PressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_probe <program.exe> <main window title>\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string title = argv[2];

    const std::string folder = program.substr(0, program.find_last_of("\\/"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        std::printf("cannot start %s: error %lu\n", program.c_str(), GetLastError());
        return 1;
    }
    int status = 1;
    const TFound main = WaitForWindow(process.hProcess, process.dwProcessId, title, "", 90);
    if (main.Window == nullptr) {
        std::printf("no main window titled \"%s\" appeared\n", title.c_str());
    } else {
        std::printf("main window: \"%s\"\n", main.SeenTitle.c_str());
        // F1 is the window's own shortcut for Help > Contents.
        TFound help;
        for (int attempt = 0; attempt < 5 && help.Window == nullptr; ++attempt) {
            SetForegroundWindow(main.Window);
            Sleep(300);
            PressKey(VK_F1);
            help = WaitForWindow(process.hProcess, process.dwProcessId, "", "HH Parent", 6);
        }
        if (help.Window == nullptr) {
            std::printf("F1 opened no HTML Help window\n");
        } else {
            std::printf("HTML Help window: \"%s\"\n", help.SeenTitle.c_str());
            status = 0;
        }
        if (argc > 3) {
            HANDLE marker = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            CloseHandle(marker);
            Sleep(3000);
        }
        PostMessageA(main.Window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        std::printf("the program did not end after its window was closed\n");
        TerminateProcess(process.hProcess, 1);
        status = 1;
    } else {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        std::printf("the program ended with status %lu\n", code);
        if (code != 0) {
            status = 1;
        }
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}
