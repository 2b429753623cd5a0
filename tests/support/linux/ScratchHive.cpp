#include "ScratchHive.h"

#include "TempDir.h"

#include <optional>
#include <stdexcept>

namespace testsupport {

struct TScratchHive::TState {
    TTempDir Folder;
    std::optional<TScopedEnv> Prefix;
};

TScratchHive::TScratchHive() : FState(std::make_unique<TState>()) {
    WriteFileBytes(FState->Folder / "user.reg", EmptyUserReg());
    FState->Prefix.emplace("WINEPREFIX", FState->Folder.Path().string());
}

TScratchHive::~TScratchHive() = default;

std::string TScratchHive::Snapshot() const {
    return ReadFileBytes(FState->Folder / "user.reg");
}

std::filesystem::path TScratchHive::Prefix() const {
    return FState->Folder.Path();
}

} // namespace testsupport
