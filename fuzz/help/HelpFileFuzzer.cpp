// Any bytes as a Help.chm, read as the help window reads one: opened, its files listed and read, its system
// information, context map, contents and index parsed. chmlib reads in this process here, so a file that
// would lead it astray past the checks shows up as a crash or a hang.
#include "help/viewer/ChmFile.h"
#include "help/viewer/Sitemap.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = TChmFile::OpenInProcess(std::string_view(reinterpret_cast<const char*>(data), size));
    if (file == nullptr) {
        return 0;
    }
    for (const std::string& path : file->List()) {
        if (!file->Exists(path)) {
            __builtin_trap(); // a listed file must be found again
        }
        file->Read(path);
    }
    file->TopicOfContext(1);
    file->Exists(file->DefaultTopic());
    for (const std::string& sitemap : {file->ContentsFile(), file->IndexFile()}) {
        if (const auto text = file->Read(sitemap)) {
            ParseSitemap(*text);
        }
    }
    return 0;
}
