#include "platform/FileReplace.h"
#include "platform/Files.h"

namespace platform {

std::string TReplaceFailure::Text() const {
    std::string what;
    switch (Stage) {
    case EReplaceStage::Done:
        return {};
    case EReplaceStage::Examine:
        what = "examine " + Path;
        break;
    case EReplaceStage::Create:
        what = "create a temporary file in " + Path;
        break;
    case EReplaceStage::Write:
        what = "write " + Path;
        break;
    case EReplaceStage::Refused:
    case EReplaceStage::Replace:
        what = "replace " + Path;
        break;
    }
    return "Cannot " + what + ": " + SysErrorMessage(Error);
}

std::string BackupOf(const std::string& path) {
    return path + ".vellicor-backup";
}

} // namespace platform
