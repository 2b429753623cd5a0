#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

/// A fresh folder under the system's temporary folder, removed with everything in it on destruction.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    /// Path of a file or folder inside the temporary folder.
    std::filesystem::path operator/(const std::string& name) const { return FPath / name; }

private:
    std::filesystem::path FPath;
};

/// Whole content of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
/// Writes bytes exactly as given, creating the folders above the file.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

/// Sets an environment variable for the life of the object and restores the old value after.
class TScopedEnv {
public:
    TScopedEnv(std::string name, const std::string& value);
    ~TScopedEnv();
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    std::string FName;
    std::string FOld;
    bool FHadOld = false;
};

} // namespace testsupport
