#include "ui/DemoPrefix.h"

#include "platform/Files.h"

bool IsDemoWinePrefix(const std::string& prefix) {
    return !prefix.empty() && platform::FileExists(prefix + "/.vellicor-demo");
}
