#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace bench {

/// A user.reg of at least `size` bytes as Wine writes one: tens of thousands of keys of every value form, as a
/// real prefix with Office installed holds, with `middle` (Outlook's keys, say) half way through.
inline std::string LargeUserReg(std::size_t size, const std::string& middle) {
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                       "#arch=win64\n";
    char buffer[256];
    bool middleWritten = false;
    for (int key = 0; !middleWritten || text.size() < size; ++key) {
        if (!middleWritten && text.size() >= size / 2) {
            text += middle;
            middleWritten = true;
        }
        std::snprintf(buffer, sizeof buffer,
                      "\n[Software\\\\Vendor%d\\\\Application\\\\Settings%05d] 1700000000\n#time=1da1b2c3d4e5f60\n",
                      key % 97, key);
        text += buffer;
        std::snprintf(buffer, sizeof buffer, "\"Path\"=\"C:\\\\Program Files\\\\Vendor\\\\App%d\\\\bin\"\n", key);
        text += buffer;
        text += "\"Title\"=\"Caf\\x00e9 \\\"quoted\\\" \\x20ac\"\n\"Count\"=dword:0000002a\n";
        text += "\"Expand\"=str(2):\"%SystemRoot%\\\\system32\"\n";
        text += "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
                "  18,19,1a,1b,1c,1d,1e,1f\n";
    }
    return text;
}

} // namespace bench
