#pragma once

#include "ctl/VellicorCtl.h"
#include "platform/WinePrefixes.h"

#include <sstream>
#include <string>
#include <vector>

/// What one run of vellicorctl gave: its exit code and what it wrote to each stream.
struct TRun {
    int Code = -1;
    std::string Out;
    std::string Err;
};

/// The command as a function; the prefix it chose is forgotten afterwards, as it is when the program ends.
inline TRun Ctl(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    TRun run;
    run.Code = RunVellicorCtl(args, {out, err, {}});
    platform::RestoreWinePrefix();
    run.Out = out.str();
    run.Err = err.str();
    return run;
}
