#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace testsupport {

/// A current-user registry hive of one test's own, in place of the user's real one while the object lives.
/// Linux: a fresh Wine prefix in a temporary folder, whose user.reg holds no key, with WINEPREFIX pointing
/// at it. Windows: a scratch key that HKEY_CURRENT_USER is redirected to (RegOverridePredefKey), deleted
/// afterwards.
class TScratchHive {
public:
    TScratchHive();
    ~TScratchHive();
    TScratchHive(const TScratchHive&) = delete;
    TScratchHive& operator=(const TScratchHive&) = delete;

    /// The whole content of the hive, to show that an operation changed nothing: the bytes of user.reg on
    /// Linux, a listing of every key and value on Windows.
    std::string Snapshot() const;

    /// Linux: the prefix folder. Windows: empty.
    std::filesystem::path Prefix() const;

private:
    struct TState;
    std::unique_ptr<TState> FState;
};

/// The user.reg of a prefix in which Wine has not stored any key yet.
std::string EmptyUserReg();

} // namespace testsupport
