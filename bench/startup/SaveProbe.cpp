// A process that stores one value, as a Save of the blocked list does: the Outlook versions detected, the
// value written into user.reg. The argument makes each run's value new, so that every run replaces the file.
#include "outlook/OutlookInteraction.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    try {
        TOutlookInteraction outlook;
        if (outlook.FVersions.empty()) {
            std::fprintf(stderr, "no Outlook version in the registry\n");
            return 1;
        }
        outlook.SetBlockedExtensions(0, {".exe", ".com", ".r" + std::string(argc > 1 ? argv[1] : "0")});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
