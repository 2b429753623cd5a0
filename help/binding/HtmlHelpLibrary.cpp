#include "help/binding/HtmlHelpLibrary.h"

namespace {

constexpr const char* kHtmlHelpLibraryName = "hhctrl.ocx";

} // namespace

TLibraryLoader PlatformLibraryLoader() {
    return {platform::LoadDynamicLibrary, platform::GetLibraryProcAddress, platform::FreeDynamicLibrary};
}

THtmlHelpLibrary::THtmlHelpLibrary(TLibraryLoader loader) : FLoader(std::move(loader)) {}

THtmlHelpLibrary::~THtmlHelpLibrary() {
    Release();
}

void* THtmlHelpLibrary::HtmlHelp(void* caller, const char* file, unsigned command, std::uintptr_t data) {
    if (FModule == nullptr) {
        FModule = FLoader.Load(kHtmlHelpLibraryName);
        if (FModule != nullptr) {
            FHtmlHelpA = reinterpret_cast<THtmlHelpA>(FLoader.GetProcAddress(FModule, "HtmlHelpA"));
            FHtmlHelpW = FLoader.GetProcAddress(FModule, "HtmlHelpW");
        }
    }
    if (FHtmlHelpA == nullptr || FHtmlHelpW == nullptr) {
        return nullptr;
    }
    return FHtmlHelpA(caller, file, command, data);
}

void THtmlHelpLibrary::Release() {
    if (FModule != nullptr) {
        FLoader.Free(FModule);
        FModule = nullptr;
        FHtmlHelpA = nullptr;
        FHtmlHelpW = nullptr;
    }
}

THtmlHelpLibrary& HtmlHelpLibrary() {
    static THtmlHelpLibrary library;
    return library;
}
