#include "ScratchHive.h"

namespace testsupport {

std::string EmptyUserReg() {
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
           "\n"
           "#arch=win64\n";
}

} // namespace testsupport
