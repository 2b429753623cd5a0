#include "platform/DynamicLibrary.h"

#include "platform/ExeFolder.h"

#include <dlfcn.h>

namespace platform {

namespace {

// Windows libraries the program binds by name, and the libraries of ours that stand in for them here.
std::string LinuxLibraryFor(const std::string& name) {
    if (name == "hhctrl.ocx") {
        return GetExeFolder() + "libvellicor_hhctrl.so";
    }
    return name;
}

} // namespace

TModuleHandle LoadDynamicLibrary(const std::string& name) {
    return dlopen(LinuxLibraryFor(name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* GetLibraryProcAddress(TModuleHandle module, const char* name) {
    return module == nullptr ? nullptr : dlsym(module, name);
}

void FreeDynamicLibrary(TModuleHandle module) {
    if (module != nullptr) {
        dlclose(module);
    }
}

} // namespace platform
