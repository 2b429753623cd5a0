// The test hive on Linux: the Wine prefix's user.reg itself.
#include "../TestHive.h"

#include "TempDir.h"

void WriteTestHive(const std::filesystem::path& userReg, const std::string& keys) {
    testsupport::WriteFileBytes(userReg, "WINE REGISTRY Version 2\n"
                                         ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                                         "#arch=win64\n\n" +
                                             keys);
}

std::string ReadTestHive(const std::filesystem::path& userReg) {
    return testsupport::ReadFileBytes(userReg);
}
