// Any bytes parse as a user.reg without reading out of bounds; the index that reading uses, fed the bytes in
// blocks, finds the keys and values the whole parse finds, and so does one that keeps some keys alone, for those
// keys; the edit that writing uses, made from that index or
// afresh, refuses and changes what the whole parse does; a file that parses stays one that parses after an edit, and
// the edited value reads back as written.
#include "platform/Registry.h"
#include "platform/linux/WineHive.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

using platform::wine::THiveEdit;
using platform::wine::THiveFile;
using platform::wine::THiveIndex;
using platform::wine::TValueData;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const THiveFile hive(bytes);
    auto checked = std::make_shared<THiveIndex>(true);
    THiveIndex& index = *checked;
    THiveIndex scoped(false, {"a\\b", "\xc3\xa9"});
    const std::size_t block = size > 0 ? 1 + data[0] % 16 : 1;
    for (std::size_t at = 0; at < size; at += block) {
        index.Feed(std::string_view(bytes).substr(at, block));
        scoped.Feed(std::string_view(bytes).substr(at, block));
    }
    index.Finish();
    scoped.Finish();
    if (index.HasHeader() != hive.HasHeader()) {
        __builtin_trap();
    }
    static const char* const Keys[] = {"A", "a\\B", "Software\\Test", "\xc3\xa9\\\xd0\xb4", "\xf0\x9f\x98\x80"};
    for (const char* key : Keys) {
        std::vector<std::string> sections;
        for (const THiveIndex::TRange& range : index.Sections(key)) {
            sections.push_back(bytes.substr(range.Begin, range.End - range.Begin));
        }
        if (index.KeyExists(key) != hive.KeyExists(key)) {
            __builtin_trap();
        }
        if (scoped.Covers(key)) {
            const auto ranges = scoped.Sections(key);
            const auto all = index.Sections(key);
            if (scoped.KeyExists(key) != hive.KeyExists(key) || ranges.size() != all.size() ||
                !std::equal(ranges.begin(), ranges.end(), all.begin(),
                            [](const auto& a, const auto& b) { return a.Begin == b.Begin && a.End == b.End; })) {
                __builtin_trap();
            }
        }
        for (const char* name : {"v", ""}) {
            if (platform::wine::ValueInSections(key, name, sections) != hive.Value(key, name)) {
                __builtin_trap();
            }
        }
    }
    const THiveEdit edit(bytes, checked);
    if (edit.HasHeader() != hive.HasHeader() || edit.Problem() != hive.Problem() ||
        THiveEdit(bytes).Problem() != hive.Problem()) {
        __builtin_trap();
    }
    if (!hive.HasHeader() || !hive.Problem().empty()) {
        return 0;
    }
    static const TValueData Values[] = {
        {platform::reg::TypeSz, std::string("x;\"y\" \\[]\t\xc3\xa9\xf0\x9f\x98\x80\0", 17)},
        {platform::reg::TypeBinary, std::string(90, '\x7f')},
        {platform::reg::TypeDword, std::string("\x01\x02\x03\x04", 4)},
    };
    const platform::wine::TTicks now = 133486382450000000ULL;
    for (std::size_t i = 0; i < std::size(Keys); ++i) {
        const TValueData& value = Values[i % std::size(Values)];
        const std::string changed = hive.WithValue(Keys[i], i == 1 ? "" : "v", value, now);
        if (edit.WithValue(Keys[i], i == 1 ? "" : "v", value, now) != changed) {
            __builtin_trap();
        }
        const THiveFile edited(changed);
        if (!edited.HasHeader() || !edited.Problem().empty() || edited.Value(Keys[i], i == 1 ? "" : "v") != value) {
            __builtin_trap();
        }
        const THiveFile created(hive.WithKey(std::string(Keys[i]) + "\\New", now));
        if (!created.Problem().empty() || !created.KeyExists(std::string(Keys[i]) + "\\New")) {
            __builtin_trap();
        }
    }
    return 0;
}
