#include "NamedProcess.h"

namespace testsupport {

std::filesystem::path CopyOfSleeper(const std::filesystem::path& folder, const std::string& name) {
    const std::filesystem::path target = folder / name;
    std::filesystem::copy_file(VELLICOR_TEST_SLEEPER, target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    return target;
}

} // namespace testsupport
