#include "archive/ArchiveWriter.h"

#include <limits>
#include <stdexcept>

namespace {

void PutInt(std::string& out, uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

void AppendDirectoryEntry(std::string& out, const std::string& name, int32_t size, int32_t offset,
                          uint8_t flag) {
    if (name.size() > 255)
        throw std::length_error("entry name longer than 255 bytes: " + name);
    out += static_cast<char>(name.size());
    out += name;
    PutInt(out, static_cast<uint32_t>(size), 4);
    PutInt(out, static_cast<uint32_t>(offset), 4);
    out += static_cast<char>(flag);
}

std::string BuildArchive(const std::vector<TArchiveItem>& items) {
    // The directory is read up to the end of the file and holds at least one entry, so an archive
    // without entries is the empty file, which the reader accepts as such.
    if (items.empty())
        return {};
    std::string out = "BMA";
    PutInt(out, 0, 4);
    PutInt(out, 0, 8); // directory offset, filled in below
    std::vector<int64_t> offsets;
    offsets.reserve(items.size());
    for (const auto& item : items) {
        offsets.push_back(static_cast<int64_t>(out.size()));
        if (item.Flag == 1)
            for (char c : item.Bytes)
                out += static_cast<char>(static_cast<unsigned char>(c) ^ 0xC9);
        else
            out += item.Bytes;
        if (out.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
            throw std::length_error("archive larger than 2 GiB");
    }
    const uint64_t dirOffset = out.size();
    for (int i = 0; i < 8; ++i)
        out[7 + i] = static_cast<char>((dirOffset >> (8 * i)) & 0xFF);
    for (size_t i = 0; i < items.size(); ++i)
        AppendDirectoryEntry(out, items[i].Name, static_cast<int32_t>(items[i].Bytes.size()),
                             static_cast<int32_t>(offsets[i]), items[i].Flag);
    return out;
}
