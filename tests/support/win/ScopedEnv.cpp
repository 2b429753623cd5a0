#include "TempDir.h"

#include <cstdlib>

namespace testsupport {

TScopedEnv::TScopedEnv(std::string name, const std::string& value) : FName(std::move(name)) {
    if (const char* old = std::getenv(FName.c_str()); old != nullptr) {
        FOld = old;
        FHadOld = true;
    }
    _putenv_s(FName.c_str(), value.c_str());
}

TScopedEnv::~TScopedEnv() {
    _putenv_s(FName.c_str(), FHadOld ? FOld.c_str() : "");
}

} // namespace testsupport
