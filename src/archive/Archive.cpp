#include "archive/Archive.h"

#include "archive/Utils.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/Services.h"

#include <cstring>
#include <stdexcept>

namespace {

constexpr unsigned char kScrambleKey = 0xC9;
constexpr int64_t kHeaderSize = 15;

class EArchiveRead : public std::runtime_error {
public:
    EArchiveRead() : std::runtime_error("archive read") {}
};

void ReadExact(std::FILE* file, void* target, size_t count) {
    if (count > 0 && std::fread(target, 1, count, file) != count)
        throw EArchiveRead();
}

int32_t ReadInt32(std::FILE* file) {
    unsigned char b[4];
    ReadExact(file, b, 4);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                (static_cast<uint32_t>(b[2]) << 16) |
                                (static_cast<uint32_t>(b[3]) << 24));
}

void ReadDirectory(TDatPack& pack) {
    std::FILE* file = pack.ArchiveStream;
    if (pack.ArchiveSize == 0)
        return; // an empty file is an open archive without entries
    unsigned char header[kHeaderSize];
    ReadExact(file, header, 3);
    ReadExact(file, header + 3, 12);
    int64_t dirOffset = 0;
    for (int i = 7; i >= 0; --i)
        dirOffset = (dirOffset << 8) | header[7 + i];
    pack.DirOffset = dirOffset;
    if (std::memcmp(header, "BMA", 3) != 0) {
        const std::string message = cp1251::FromUtf8("Неверная сигнатура архива");
        Dialogs().ShowMessage(message);
        throw std::runtime_error(message);
    }
    const auto start = static_cast<int32_t>(static_cast<uint32_t>(dirOffset & 0xFFFFFFFF));
    if (start < 0 || start >= pack.ArchiveSize)
        throw EArchiveRead(); // the loop would read nothing valid: a truncated directory
    if (fseeko(file, start, SEEK_SET) != 0)
        throw EArchiveRead();
    int64_t position = start;
    do {
        TData entry;
        ReadExact(file, &entry.NameLength, 1);
        entry.EntryName.resize(entry.NameLength);
        ReadExact(file, entry.EntryName.data(), entry.NameLength);
        entry.EntrySize = ReadInt32(file);
        entry.EntryOffset = ReadInt32(file);
        ReadExact(file, &entry.Scrambled, 1);
        position += 1 + entry.NameLength + 4 + 4 + 1;
        pack.Entries.push_back(std::move(entry));
    } while (position < pack.ArchiveSize);
    pack.Index.reserve(pack.Entries.size());
    for (size_t i = 0; i < pack.Entries.size(); ++i)
        pack.Index[pack.Entries[i].EntryName] = static_cast<int32_t>(i);
}

} // namespace

TDatPack& DatPack() {
    static TDatPack pack;
    return pack;
}

bool OpenArchive(const std::string& fileName) {
    TDatPack& pack = DatPack();
    pack.BasePath = ProgramDir();
    const std::string programName = ExpandPath(fileName, ProgramDir());
    const auto host = ResolveHostFile(programName);
    if (!host)
        return false;
    try {
        // Also for the same name: reading the directory again must not append it twice.
        CloseArchive();
        pack.ArchiveName = fileName;
        const auto slash = fileName.find_last_of("\\/");
        if (slash != std::string::npos)
            pack.BasePath = WithBackslash(ExpandPath(fileName.substr(0, slash + 1), ProgramDir()));
        pack.ArchiveStream = std::fopen(host->c_str(), "rb");
        if (!pack.ArchiveStream)
            throw EArchiveRead();
        if (fseeko(pack.ArchiveStream, 0, SEEK_END) != 0)
            throw EArchiveRead();
        pack.ArchiveSize = ftello(pack.ArchiveStream);
        if (pack.ArchiveSize < 0 || fseeko(pack.ArchiveStream, 0, SEEK_SET) != 0)
            throw EArchiveRead();
        ReadDirectory(pack);
        return true;
    } catch (const std::exception&) {
        CloseArchive();
        return false;
    }
}

void CloseArchive() {
    TDatPack& pack = DatPack();
    pack.Index.clear();
    pack.Entries.clear();
    pack.Entries.shrink_to_fit();
    if (pack.ArchiveStream)
        std::fclose(pack.ArchiveStream);
    pack.ArchiveStream = nullptr;
    pack.ArchiveName.clear();
    pack.ArchiveSize = 0;
    pack.DirOffset = 0;
}

std::string StripBasePath(const std::string& name, const std::string& baseFolder) {
    if (!name.empty() && !baseFolder.empty() && IsAbsolutePath(name) &&
        baseFolder.size() <= name.size())
        return name.substr(baseFolder.size());
    return name;
}

int FindEntry(const std::string& name) {
    const TDatPack& pack = DatPack();
    if (!pack.ArchiveStream)
        return -1;
    const auto it = pack.Index.find(cp1251::Lower(name));
    return it == pack.Index.end() ? -1 : it->second;
}

void ReadEntry(int index, TPack& target) {
    const TDatPack& pack = DatPack();
    if (index < 0 || !pack.ArchiveStream || index >= static_cast<int>(pack.Entries.size()))
        return;
    const TData& entry = pack.Entries[static_cast<size_t>(index)];
    std::string& bytes = target.Content();
    bytes.clear();
    // A damaged entry yields only the bytes that lie inside the file, never a read outside it.
    const int64_t offset = entry.EntryOffset;
    int64_t size = entry.EntrySize;
    if (offset < 0 || size <= 0 || offset >= pack.ArchiveSize)
        size = 0;
    else if (offset + size > pack.ArchiveSize)
        size = pack.ArchiveSize - offset;
    if (size > 0 && fseeko(pack.ArchiveStream, offset, SEEK_SET) == 0) {
        bytes.resize(static_cast<size_t>(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), pack.ArchiveStream));
        if (entry.Scrambled == 1)
            for (char& c : bytes)
                c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleKey);
    }
    target.Seek(0);
}

TPack::TPack(const std::string& name) { LoadPackFile(name); }

void TPack::LoadPackFile(const std::string& name) {
    Bytes.clear();
    Pos = 0;
    if (name.empty())
        return;
    const TDatPack& pack = DatPack();
    const std::string relative = cp1251::Lower(StripBasePath(name, pack.BasePath));
    const int index = FindEntry(relative);
    if (index >= 0) {
        ReadEntry(index, *this);
        return;
    }
    std::string diskName = ExpandPath(relative, pack.BasePath);
    if (HostFileExists(name))
        diskName = name;
    if (ReadHostFile(diskName, Bytes)) {
        Pos = 0;
        return;
    }
    Dialogs().ShowMessage(cp1251::FromUtf8("Не найден файл \r\n") + name);
}

size_t TPack::Read(void* target, size_t count) {
    const size_t n = count < Bytes.size() - Pos ? count : Bytes.size() - Pos;
    if (n > 0)
        std::memcpy(target, Bytes.data() + Pos, n);
    Pos += n;
    return n;
}

TPack* OpenPackStream(const std::string& name) { return new TPack(name); }

bool PackFileExists(const std::string& name) {
    if (name.empty())
        return false;
    const TDatPack& pack = DatPack();
    if (IsAbsolutePath(name)) {
        if (HostFileExists(name))
            return true;
        return FindEntry(StripBasePath(name, pack.BasePath)) >= 0;
    }
    if (FindEntry(name) >= 0)
        return true;
    return HostFileExists(ProgramPath(name));
}
