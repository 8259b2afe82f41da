#pragma once
// Writes the archive format: the disc tool's "pack" and the tests build archives with it.

#include <cstdint>
#include <string>
#include <vector>

struct TArchiveItem {
    std::string Name;  // as stored: Windows-1251, lower case, "\" separators
    std::string Bytes; // the data as the reader should return it
    uint8_t Flag = 0;  // 1: stored scrambled
};

// The archive's bytes: header (reserved bytes zero, 8-byte directory offset), data, directory.
// Entries keep the given order. Throws std::length_error for a name over 255 bytes or an archive
// past the 2 GiB that 32-bit offsets reach.
std::string BuildArchive(const std::vector<TArchiveItem>& items);

// A directory entry written by hand, for archives that a writer would never make.
void AppendDirectoryEntry(std::string& out, const std::string& name, int32_t size, int32_t offset,
                          uint8_t flag);
