#include "archive/Archive.h"

#include "archive/Utils.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/Services.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr unsigned char kScrambleKey = 0xC9;
constexpr int64_t kHeaderSize = 15;
constexpr size_t kBlockSize = 64 * 1024;

class EArchiveRead : public std::runtime_error {
public:
    EArchiveRead() : std::runtime_error("archive read") {}
};

// Sequential reads from an archive file through one block buffer: the directory is many small
// fields back to back, and a disc may hold a hundred thousand entries.
class TBlockReader {
public:
    TBlockReader(std::FILE* file, int64_t position) : File(file), Position(position) {}
    // Copies count bytes; false when the file ends first.
    bool Read(void* target, size_t count) {
        auto* out = static_cast<unsigned char*>(target);
        while (count > 0) {
            if (Next == Buffer.size() && !Fill())
                return false;
            const size_t n = std::min(count, Buffer.size() - Next);
            std::memcpy(out, Buffer.data() + Next, n);
            Next += n;
            out += n;
            count -= n;
            Position += static_cast<int64_t>(n);
        }
        return true;
    }
    bool ReadInt32(int32_t& value) {
        unsigned char b[4];
        if (!Read(b, 4))
            return false;
        value = static_cast<int32_t>(
            static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
            (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24));
        return true;
    }
    int64_t Tell() const { return Position; }

private:
    bool Fill() {
        if (!Ok)
            return false;
        if (!Started) {
            Started = true;
            if (fseeko(File, Position, SEEK_SET) != 0) {
                Ok = false;
                return false;
            }
        }
        Buffer.resize(kBlockSize);
        Buffer.resize(std::fread(Buffer.data(), 1, Buffer.size(), File));
        Next = 0;
        return !Buffer.empty();
    }

    std::FILE* File;
    int64_t Position;
    std::vector<unsigned char> Buffer;
    size_t Next = 0;
    bool Started = false;
    bool Ok = true;
};

bool SameSeparatorOrChar(char a, char b) {
    if (IsPathSeparator(a) && IsPathSeparator(b))
        return true;
    return cp1251::LowerChar(a) == cp1251::LowerChar(b);
}

} // namespace

int32_t DirectoryStart(int64_t dirOffset) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(dirOffset)));
}

TDirectoryScan ScanDirectory(std::FILE* file, int64_t fileSize) {
    TDirectoryScan scan;
    if (fileSize == 0)
        return scan; // an empty file is an open archive without entries
    TBlockReader header(file, 0);
    unsigned char bytes[kHeaderSize];
    if (fileSize < kHeaderSize || !header.Read(bytes, kHeaderSize)) {
        scan.Error = TDirectoryError::ShortHeader;
        return scan;
    }
    uint64_t dirOffset = 0;
    for (int i = 7; i >= 0; --i)
        dirOffset = (dirOffset << 8) | bytes[7 + i];
    scan.DirOffset = static_cast<int64_t>(dirOffset);
    if (std::memcmp(bytes, "BMA", 3) != 0) {
        scan.Error = TDirectoryError::BadSignature;
        return scan;
    }
    // The directory runs to the end of the file and holds at least one entry, so it must begin
    // inside the file.
    const int32_t start = DirectoryStart(scan.DirOffset);
    if (start < 0 || start >= fileSize) {
        scan.Error = TDirectoryError::BadOffset;
        return scan;
    }
    TBlockReader in(file, start);
    do {
        const int64_t entryStart = in.Tell();
        TData entry;
        bool ok = in.Read(&entry.NameLength, 1);
        if (ok) {
            entry.EntryName.resize(entry.NameLength);
            ok = in.Read(entry.EntryName.data(), entry.NameLength) &&
                 in.ReadInt32(entry.EntrySize) && in.ReadInt32(entry.EntryOffset) &&
                 in.Read(&entry.Scrambled, 1);
        }
        if (!ok) {
            scan.Error = TDirectoryError::Truncated;
            scan.ErrorPosition = entryStart;
            return scan;
        }
        scan.Entries.push_back(std::move(entry));
    } while (in.Tell() < fileSize);
    return scan;
}

TEntryExtent EntryExtent(const TData& entry, int64_t fileSize) {
    const int64_t offset = entry.EntryOffset;
    const int64_t size = entry.EntrySize;
    if (offset < 0 || size <= 0 || offset >= fileSize)
        return {};
    // 64-bit: offset + size cannot wrap for 32-bit fields.
    return {offset, std::min(size, fileSize - offset)};
}

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
        TDirectoryScan scan = ScanDirectory(pack.ArchiveStream, pack.ArchiveSize);
        pack.DirOffset = scan.DirOffset;
        if (scan.Error == TDirectoryError::BadSignature)
            Dialogs().ShowMessage(cp1251::FromUtf8("Неверная сигнатура архива"));
        if (scan.Error != TDirectoryError::None)
            throw EArchiveRead(); // closed below; the signature is the only fault with a message
        pack.Entries = std::move(scan.Entries);
        // Forward, so that the last entry of a name wins, as the scan from the end finds it.
        pack.Index.reserve(pack.Entries.size());
        for (size_t i = 0; i < pack.Entries.size(); ++i)
            pack.Index[pack.Entries[i].EntryName] = static_cast<int32_t>(i);
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
    if (name.empty() || baseFolder.empty() || !IsAbsolutePath(name) ||
        baseFolder.size() > name.size())
        return name;
    // Only a name that really lies in the folder: cutting by length alone would take
    // "/usr/bin/tree2.txt" for the archive's "tree2.txt" when both folders are as long.
    for (size_t i = 0; i < baseFolder.size(); ++i)
        if (!SameSeparatorOrChar(name[i], baseFolder[i]))
            return name;
    size_t cut = baseFolder.size();
    if (!IsPathSeparator(baseFolder.back())) {
        if (cut < name.size() && !IsPathSeparator(name[cut]))
            return name; // "/disc" is not the folder of "/disc2/a.txt"
        if (cut < name.size())
            ++cut;
    }
    return name.substr(cut);
}

int FindEntry(const std::string& name) {
    const TDatPack& pack = DatPack();
    if (!pack.ArchiveStream)
        return -1;
    const auto it = pack.Index.find(cp1251::Lower(name));
    return it == pack.Index.end() ? -1 : it->second;
}

void ReadEntryBytes(std::FILE* file, int64_t fileSize, const TData& entry, std::string& out) {
    out.clear();
    // A damaged entry yields only the bytes that lie inside the file, never a read outside it
    // nor an allocation that its size field alone asks for.
    const TEntryExtent extent = EntryExtent(entry, fileSize);
    if (extent.Count <= 0)
        return;
    // Straight into the target at the entry's offset: no stream buffer to refill for each small
    // entry, and the stream's own position is left alone.
    out.resize(static_cast<size_t>(extent.Count));
    const int fd = fileno(file);
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = pread(fd, out.data() + done, out.size() - done,
                                static_cast<off_t>(extent.Begin + static_cast<int64_t>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the file ended early or failed: keep what was read
        done += static_cast<size_t>(n);
    }
    out.resize(done);
    if (entry.Scrambled == 1)
        for (char& c : out)
            c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleKey);
}

void ReadEntry(int index, TPack& target) {
    const TDatPack& pack = DatPack();
    if (index < 0 || !pack.ArchiveStream || index >= static_cast<int>(pack.Entries.size()))
        return;
    ReadEntryBytes(pack.ArchiveStream, pack.ArchiveSize, pack.Entries[static_cast<size_t>(index)],
                   target.Content());
    target.Seek(0);
}

TPack::TPack(const std::string& name) {
    LoadPackFile(name);
}

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
    // "Exactly as requested" means as the original's current folder, the program folder, sees
    // it; never the folder this process happens to run in.
    const std::string exact = IsAbsolutePath(name) ? name : ProgramDir() + name;
    if (HostFileExists(exact))
        diskName = exact;
    if (ReadHostFile(diskName, Bytes)) {
        Pos = 0;
        return;
    }
    Dialogs().ShowMessage(cp1251::FromUtf8("Не найден файл \r\n") + name);
}

size_t TPack::Read(void* target, size_t count) {
    // Content() may have shrunk the bytes below the position.
    if (Pos > Bytes.size())
        Pos = Bytes.size();
    const size_t n = std::min(count, Bytes.size() - Pos);
    if (n > 0)
        std::memcpy(target, Bytes.data() + Pos, n);
    Pos += n;
    return n;
}

TPack* OpenPackStream(const std::string& name) {
    return new TPack(name);
}

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
