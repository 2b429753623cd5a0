#pragma once

#include "base/SysUtils.h"

#include <string>

namespace testsupport {

/// The message of what `action` throws; empty when it throws nothing.
template <class Action> std::string ThrownMessage(Action&& action) {
    try {
        action();
    } catch (const Exception& error) {
        return MessageOf(error);
    }
    return {};
}

} // namespace testsupport
