#pragma once

#include "base/SysUtils.h"

/// A theme package or description that cannot be used: damaged, of another version, or incomplete.
class ESkinError : public Exception {
public:
    using Exception::Exception;
};
