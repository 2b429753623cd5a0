#include "TestData.h"

#include <cstdlib>

namespace testsupport {

std::filesystem::path SourceDir() {
    // ctest passes the source folder; the compiled-in one serves a test binary started by hand.
    if (const char* dir = std::getenv("VELLICOR_TEST_DATA"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    return VELLICOR_SOURCE_DIR;
}

std::filesystem::path DataFile(const std::string& relative) {
    return SourceDir() / relative;
}

} // namespace testsupport
