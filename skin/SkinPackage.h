#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// One picture of a theme: its name in the package and its PNG bytes.
struct TSkinPicture {
    std::string Name;
    std::string Data;
};

/// A theme package as stored, before its description is understood (format: skin/README.md).
/// Plain C++ and zlib, shared by the engine and the packing tool.
struct TSkinPackage {
    static constexpr std::uint32_t CurrentVersion = 3;

    std::uint32_t Version = CurrentVersion;
    std::vector<TSkinPicture> Pictures;
    std::vector<std::string> ObjectNames;
    std::string Ini;
};

/// The package's bytes (not compressed).
std::string WriteSkinPackage(const TSkinPackage& package);
/// Reads a package; throws ESkinError when it is damaged or of another version. Never reads past `bytes`.
TSkinPackage ReadSkinPackage(std::string_view bytes);

/// One zlib stream (RFC 1950) deflated at the best compression level.
std::string DeflateSkinData(std::string_view data);
/// Inflates one whole zlib stream; throws ESkinError when the stream is damaged, ends early,
/// is followed by other bytes, or would inflate beyond `limit` bytes.
std::string InflateSkinData(std::string_view compressed, std::size_t limit = 64u << 20);
