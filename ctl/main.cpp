// vellicorctl: the Outlook attachment lists from the command line, for scripts.
#include "ctl/VellicorCtl.h"

#include "platform/WinePrefixes.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int code = RunVellicorCtl(args, {std::cout, std::cerr, [] { platform::UseBinaryStandardOutput(); }});
    std::cout.flush();
    return code;
}
