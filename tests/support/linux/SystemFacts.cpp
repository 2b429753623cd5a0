#include "SystemFacts.h"

#include <cerrno>
#include <unistd.h>

namespace testsupport {

TSystemError FileNotFoundError() {
    return {ENOENT, "No such file or directory"};
}
TSystemError PathNotFoundError() {
    return {ENOENT, "No such file or directory"};
}
TSystemError FolderAsFileError() {
    return {EISDIR, "Is a directory"};
}
TSystemError AccessDeniedError() {
    return {EACCES, "Permission denied"};
}

unsigned AnsiCodePage() {
    return 65001;
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

bool RunningUnderWine() {
    return false;
}

} // namespace testsupport
