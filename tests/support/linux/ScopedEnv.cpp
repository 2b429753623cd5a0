#include "TempDir.h"

#include <cstdlib>

namespace testsupport {

TScopedEnv::TScopedEnv(std::string name, const std::string& value) : FName(std::move(name)) {
    if (const char* old = std::getenv(FName.c_str()); old != nullptr) {
        FOld = old;
        FHadOld = true;
    }
    setenv(FName.c_str(), value.c_str(), 1);
}

TScopedEnv::~TScopedEnv() {
    if (FHadOld) {
        setenv(FName.c_str(), FOld.c_str(), 1);
    } else {
        unsetenv(FName.c_str());
    }
}

} // namespace testsupport
