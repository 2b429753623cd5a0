// Replacing a file on Windows: the new bytes go to a temporary file in the same folder, which is flushed and then
// moved over the file in one step with write-through, so that the file is the old one or the new one whenever the
// process dies. The file system has no folder to sync: the write-through move is the last step on disk.
#include "platform/FileReplace.h"
#include "platform/TextConv.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

TReplaceStepHook& StepHook() {
    static TReplaceStepHook hook = nullptr;
    return hook;
}

void Reached(EReplaceStep step) {
    if (StepHook() != nullptr) {
        StepHook()(step);
    }
}

const char TemporaryMark[] = ".vellicor-";
constexpr std::size_t RandomLength = 6;

std::wstring Wide(const std::string& path) {
    const std::u16string wide = AnsiToWide(path);
    return {wide.begin(), wide.end()};
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BackupTemporaryOf(const std::string& path) {
    return BackupOf(path) + ".tmp";
}

bool IsTemporaryName(const std::string& name, const std::string& fileName) {
    const std::string start = fileName + TemporaryMark;
    if (name.size() != start.size() + RandomLength || _strnicmp(name.c_str(), start.c_str(), start.size()) != 0) {
        return false;
    }
    const std::string random = name.substr(start.size());
    if (_stricmp(random.c_str(), "backup") == 0) {
        return false;
    }
    for (const char c : random) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

// Makes a new file "<path>.vellicor-XXXXXX" for writing; its name in `temporary`.
HANDLE CreateTemporary(const std::string& path, std::string& temporary) {
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 32);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + TemporaryMark;
        for (std::size_t i = 0; i < RandomLength; ++i) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            temporary += Letters[(seed >> 33) % (sizeof Letters - 1)];
        }
        const HANDLE handle =
            CreateFileW(Wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return handle;
        }
    }
    return INVALID_HANDLE_VALUE;
}

// Writes and flushes `pieces` to `handle`, one after another, and closes it; false with the last error set when
// any of that fails.
bool FillNewFile(HANDLE handle, std::span<const std::string_view> pieces) {
    bool ok = true;
    for (const std::string_view bytes : pieces) {
        for (std::size_t done = 0; ok && done < bytes.size();) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            DWORD written = 0;
            ok = WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) != FALSE;
            done += written;
        }
    }
    ok = ok && FlushFileBuffers(handle) != FALSE;
    const DWORD error = GetLastError();
    const bool closed = CloseHandle(handle) != FALSE;
    if (!ok) {
        SetLastError(error);
    }
    return ok && closed;
}

bool MoveReplacing(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

// Makes the backup the file as it was; when it cannot be made, the replacement goes on without it.
void MakeBackup(const std::string& path, std::string_view oldBytes) {
    std::string temporary = BackupTemporaryOf(path);
    const HANDLE handle =
        CreateFileW(Wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE || !FillNewFile(handle, {&oldBytes, 1})) {
        DeleteFileW(Wide(temporary).c_str());
        return;
    }
    Reached(EReplaceStep::BackupLinked);
    if (!MoveReplacing(temporary, BackupOf(path))) {
        DeleteFileW(Wide(temporary).c_str());
    }
}

TReplaceFailure Replace(const std::string& given, std::span<const std::string_view> bytes,
                        const std::string_view* oldBytes) {
    const std::string path = ReplacedFile(given);
    RemoveStaleFiles(path);
    Reached(EReplaceStep::StaleRemoved);

    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND) {
        return {EReplaceStage::Examine, path, static_cast<int>(GetLastError())};
    }
    if (exists) {
        // Opened for writing as another writer would: a folder, a read-only file and a file that another program
        // holds are refused with the system's own error.
        const HANDLE probe =
            CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            return {EReplaceStage::Refused, path, static_cast<int>(GetLastError())};
        }
        CloseHandle(probe);
    }

    std::string temporary;
    const HANDLE handle = CreateTemporary(path, temporary);
    if (handle == INVALID_HANDLE_VALUE) {
        return {EReplaceStage::Create, FolderOf(path), static_cast<int>(GetLastError())};
    }
    if (!FillNewFile(handle, bytes)) {
        const int error = static_cast<int>(GetLastError());
        DeleteFileW(Wide(temporary).c_str());
        return {EReplaceStage::Write, temporary, error};
    }
    if (exists) {
        // The attributes a user can see in the file's properties stay as they were.
        const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        SetFileAttributesW(Wide(temporary).c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    Reached(EReplaceStep::TemporaryWritten);

    if (oldBytes != nullptr && exists) {
        MakeBackup(path, *oldBytes);
        Reached(EReplaceStep::BackupMade);
    }

    if (!MoveReplacing(temporary, path)) {
        const int error = static_cast<int>(GetLastError());
        DeleteFileW(Wide(temporary).c_str());
        return {EReplaceStage::Replace, path, error};
    }
    Reached(EReplaceStep::Replaced);
    Reached(EReplaceStep::FolderSynced);
    return {};
}

} // namespace

void SetReplaceStepHook(TReplaceStepHook hook) {
    StepHook() = hook;
}

std::string ReplacedFile(const std::string& path) {
    return path;
}

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

TReplaceFailure ReplaceFileContent(const std::string& path, std::string_view bytes) {
    return Replace(path, {&bytes, 1}, nullptr);
}

TReplaceFailure ReplaceFileKeepingBackup(const std::string& path, std::string_view oldBytes, std::string_view bytes) {
    return Replace(path, {&bytes, 1}, &oldBytes);
}

TReplaceFailure ReplaceFileKeepingBackup(const std::string& path, std::string_view oldBytes,
                                         std::span<const std::string_view> pieces) {
    return Replace(path, pieces, &oldBytes);
}

void RemoveStaleFiles(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string fileName = NameOf(path);
    const std::string backupTemporary = NameOf(BackupTemporaryOf(path));
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Wide(path + TemporaryMark + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring wide = found.cFileName;
        const std::string name = WideToAnsi(std::u16string(wide.begin(), wide.end()));
        if (_stricmp(name.c_str(), backupTemporary.c_str()) == 0 || IsTemporaryName(name, fileName)) {
            DeleteFileW(Wide(folder + name).c_str());
        }
    } while (FindNextFileW(search, &found) != FALSE);
    FindClose(search);
}

} // namespace platform
