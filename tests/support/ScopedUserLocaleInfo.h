#pragma once

// Windows only: included by the tests of the Win32 files.
#include <windows.h>

#include <string>

namespace testsupport {

/// Changes one of the user's locale settings for the life of the object. It is the whole account's
/// setting, so only the throwaway Wine prefix of a test run may be changed (see RunningUnderWine).
class TScopedUserLocaleInfo {
public:
    TScopedUserLocaleInfo(LCTYPE type, const char* value) : FType(type) {
        char old[80] = {};
        FHadOld = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, old, sizeof old) > 0;
        FOld = old;
        FSet = SetLocaleInfoA(LOCALE_USER_DEFAULT, type, value) != FALSE;
    }
    ~TScopedUserLocaleInfo() {
        if (FSet && FHadOld) {
            SetLocaleInfoA(LOCALE_USER_DEFAULT, FType, FOld.c_str());
        }
    }
    TScopedUserLocaleInfo(const TScopedUserLocaleInfo&) = delete;
    TScopedUserLocaleInfo& operator=(const TScopedUserLocaleInfo&) = delete;

    bool Set() const { return FSet; }

private:
    LCTYPE FType;
    std::string FOld;
    bool FHadOld = false;
    bool FSet = false;
};

} // namespace testsupport
