#include "platform/DynamicLibrary.h"

#include <windows.h>

namespace platform {

TModuleHandle LoadDynamicLibrary(const std::string& name) {
    return reinterpret_cast<TModuleHandle>(LoadLibraryA(name.c_str()));
}

void* GetLibraryProcAddress(TModuleHandle module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void FreeDynamicLibrary(TModuleHandle module) {
    if (module != nullptr) {
        FreeLibrary(static_cast<HMODULE>(module));
    }
}

} // namespace platform
