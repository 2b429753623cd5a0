#include "ScratchAppData.h"

#include <stdexcept>

namespace testsupport {

TScratchAppData::TScratchAppData() : FPath(FTemp / "config") {
    std::filesystem::create_directory(FPath);
    FEnv.emplace("XDG_CONFIG_HOME", FPath.string());
    FRedirected = true;
}

TScratchAppData::~TScratchAppData() = default;

} // namespace testsupport
