#pragma once
// The archive "interface.dat": every name the system reads is looked up here first and read from
// the disk when the archive does not hold it. One archive per process, opened at start.
//
// File layout (little-endian): "BMA", 4 reserved bytes, an 8-byte directory offset (its low 32
// bits, signed, are used), the entries' data, then the directory up to the end of the file. A
// directory entry is: name length (1 byte), name (Windows-1251), size (int32), offset (int32),
// scramble flag (1 byte; 1 = every data byte XOR 0xC9).

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct TData {
    uint8_t NameLength = 0;
    std::string EntryName;
    int32_t EntryOffset = 0;
    int32_t EntrySize = 0;
    uint8_t Scrambled = 0;
};

struct TDatPack {
    int64_t DirOffset = 0;
    std::FILE* ArchiveStream = nullptr; // null while closed
    std::vector<TData> Entries;         // in directory order; empty while closed
    std::string ArchiveName;
    std::string BasePath; // with a trailing separator
    int64_t ArchiveSize = 0;
    // Name -> index of the last entry of that name (the answer the scan from the end gives).
    std::unordered_map<std::string_view, int32_t> Index;
};

// The single archive state of the process.
TDatPack& DatPack();

// A memory stream filled with the whole content of a name (archive entry or disk file). The
// position is 0 after loading. The caller owns it.
class TPack {
public:
    TPack() = default;
    // Fills the stream with the content of name (LoadPackFile); never throws for a missing name:
    // the "not found" message is shown and the stream stays empty.
    explicit TPack(const std::string& name);

    // Replaces the content with that of name, reusing the buffer's memory.
    void LoadPackFile(const std::string& name);

    const char* Data() const { return Bytes.data(); }
    char* Data() { return Bytes.data(); }
    size_t Size() const { return Bytes.size(); }
    bool Empty() const { return Bytes.empty(); }
    std::string_view View() const { return Bytes; }
    const std::string& Content() const { return Bytes; }
    std::string& Content() { return Bytes; }

    size_t Position() const { return Pos; }
    void Seek(size_t position) { Pos = position < Bytes.size() ? position : Bytes.size(); }
    // Reads up to count bytes from the position; returns how many were read.
    size_t Read(void* target, size_t count);
    void Clear() {
        Bytes.clear();
        Pos = 0;
    }

private:
    std::string Bytes;
    size_t Pos = 0;
};

// What reading an archive's header and directory found. The reader and the disc tool share it, so
// the tool's diagnosis is the reader's own reason for refusing an archive.
enum class TDirectoryError {
    None,         // read to the end of the file (a 0-byte file: no entries)
    ShortHeader,  // the file ends inside the 15-byte header
    BadSignature, // the first three bytes are not "BMA"
    BadOffset,    // the directory offset (low 32 bits, signed) is negative or not inside the file
    Truncated,    // a directory entry is cut short by the end of the file
};

struct TDirectoryScan {
    TDirectoryError Error = TDirectoryError::None;
    int64_t DirOffset = 0;      // as read from the header
    std::vector<TData> Entries; // in directory order; with an error, those read before it
    int64_t ErrorPosition = 0;  // Truncated: the file offset where the cut entry begins
};

// Reads the header and the directory of an archive file of fileSize bytes. Shows no message.
TDirectoryScan ScanDirectory(std::FILE* file, int64_t fileSize);
// The low 32 bits of the header's directory offset as the signed offset the reader seeks to.
int32_t DirectoryStart(int64_t dirOffset);
// The part of an entry's data that lies inside a file of fileSize bytes: [begin, begin + count).
// A negative size or offset, or an offset past the end, gives nothing.
struct TEntryExtent {
    int64_t Begin = 0;
    int64_t Count = 0;
};
TEntryExtent EntryExtent(const TData& entry, int64_t fileSize);
// The bytes the reader returns for an entry of an archive file of fileSize bytes: the part of its
// data inside the file, unscrambled when its flag is 1. out is replaced.
void ReadEntryBytes(std::FILE* file, int64_t fileSize, const TData& entry, std::string& out);

bool OpenArchive(const std::string& fileName);
void CloseArchive();
TPack* OpenPackStream(const std::string& name);
bool PackFileExists(const std::string& name);
int FindEntry(const std::string& name);
// Reads entry index into target (replacing its content); nothing happens for a negative index.
void ReadEntry(int index, TPack& target);
// An absolute name inside baseFolder made relative to it; any other name unchanged. The folder
// part is compared without regard to case, backslash and "/" alike, so that a name in another
// folder is never taken for one in the archive's.
std::string StripBasePath(const std::string& name, const std::string& baseFolder);
