#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "common/TestSupport.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <unistd.h>

namespace {

const std::string kSignatureMessage = W("Неверная сигнатура архива");
std::string NotFound(const std::string& name) {
    return W("Не найден файл \r\n") + name;
}

void PutInt(std::string& out, uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// "BMA", reserved bytes, the given 8-byte directory offset.
std::string Header(uint64_t dirOffset) {
    std::string out = "BMA";
    PutInt(out, 0, 4);
    PutInt(out, dirOffset, 8);
    return out;
}

struct TRawEntry {
    std::string Name;
    int32_t Size;
    int32_t Offset;
    uint8_t Flag = 0;
};

// An archive written by hand: header, data at offset 15, then the directory.
std::string RawArchive(const std::string& data, const std::vector<TRawEntry>& entries) {
    std::string out = Header(15 + data.size()) + data;
    for (const auto& e : entries)
        AppendDirectoryEntry(out, e.Name, e.Size, e.Offset, e.Flag);
    return out;
}

// Each test starts closed, with a fresh program folder and recorded messages.
class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        CloseArchive();
        SetProgramFolderOverride(Dir.Folder());
    }
    void TearDown() override {
        CloseArchive();
        SetProgramFolderOverride("");
    }

    bool OpenBytes(const std::string& bytes) {
        Dir.Write("interface.dat", bytes);
        return OpenArchive("interface.dat");
    }
    bool OpenItems(const std::vector<TArchiveItem>& items) {
        return OpenBytes(BuildArchive(items));
    }

    // Content of a name through TPack, with the messages it caused.
    std::string Load(const std::string& name) {
        TPack pack(name);
        EXPECT_EQ(pack.Position(), 0u) << name;
        return pack.Content();
    }

    // A folder other than the program folder, spelt with as many characters.
    std::string SameLengthFolder() const {
        std::string folder = Dir.Folder();
        char& last = folder[folder.size() - 2];
        last = last == 'q' ? 'w' : 'q';
        return folder;
    }

    TTempDir Dir;
    TRecordingDialogs Recorder;
    TDialogsGuard Guard{&Recorder};
};

// Restores the current folder on leaving.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::filesystem::path& folder)
        : Previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~TCurrentFolder() { std::filesystem::current_path(Previous); }

private:
    std::filesystem::path Previous;
};

} // namespace

TEST_F(ArchiveTest, LookupRules) {
    ASSERT_TRUE(OpenItems({
        {"struct_main.txt", "main", 0},
        {"dup.txt", "first", 0},
        {"Upper.txt", "upper", 0},
        {"docs\\a.htm", "doc a", 0},
        {W("папка\\файл.txt"), "cyrillic", 0},
        {"dup.txt", "second", 0},
    }));
    struct TCase {
        std::string Request;
        int Index;           // FindEntry
        std::string Content; // TPack; empty with the not-found message
    };
    const TCase cases[] = {
        {"struct_main.txt", 0, "main"},
        {"STRUCT_Main.TXT", 0, "main"}, // requests are lower-cased
        {"dup.txt", 5, "second"},       // the later of two equal names
        {"DUP.TXT", 5, "second"},
        {"Upper.txt", -1, ""}, // a stored upper-case name is never found
        {"upper.txt", -1, ""},
        {"DOCS\\A.HTM", 3, "doc a"},
        {W("ПАПКА\\ФАЙЛ.TXT"), 4, "cyrillic"},          // Windows-1251 lower-casing
        {Dir.Folder() + "struct_main.txt", -1, "main"}, // full path in the archive's folder
        {Dir.Folder() + "Docs\\A.htm", -1, "doc a"},
        {"missing.txt", -1, ""},
        {SameLengthFolder() + "struct_main.txt", -1, ""}, // another folder, as long
    };
    for (const auto& c : cases) {
        Recorder.Clear();
        if (!IsAbsolutePath(c.Request)) {
            EXPECT_EQ(FindEntry(c.Request), c.Index) << c.Request;
        }
        EXPECT_EQ(Load(c.Request), c.Content) << c.Request;
        const std::vector<std::string> expected =
            c.Content.empty() ? std::vector<std::string>{NotFound(c.Request)}
                              : std::vector<std::string>{};
        EXPECT_EQ(Recorder.Messages(), expected) << c.Request;
    }
}

// The index must give the answer of the scan from the last entry to the first.
TEST_F(ArchiveTest, IndexAgreesWithScanFromTheEnd) {
    std::mt19937 random(7);
    std::vector<TArchiveItem> items;
    for (int i = 0; i < 400; ++i) {
        std::string name = "n" + std::to_string(random() % 150);
        if (random() % 5 == 0)
            name = W("Ж") + name; // upper case: never found
        items.push_back({name + ".txt", std::to_string(i), 0});
    }
    ASSERT_TRUE(OpenItems(items));
    for (int k = 0; k < 160; ++k) {
        for (const std::string& name :
             {"n" + std::to_string(k) + ".txt", W("ж") + "n" + std::to_string(k) + ".txt"}) {
            const std::string wanted = cp1251::Lower(name);
            int expected = -1;
            for (int i = static_cast<int>(items.size()) - 1; i >= 0 && expected < 0; --i)
                if (items[static_cast<size_t>(i)].Name == wanted)
                    expected = i;
            EXPECT_EQ(FindEntry(name), expected) << name;
            EXPECT_EQ(FindEntry(cp1251::Upper(name)), expected) << name;
        }
    }
}

TEST_F(ArchiveTest, ScrambleFlag) {
    const char raw[] = "plain \x00\xC9\xFF text";
    const std::string data(raw, sizeof raw - 1);
    struct TCase {
        uint8_t Flag;
        bool Scrambled;
    };
    const TCase cases[] = {{0, false}, {1, true}, {2, false}, {255, false}};
    for (const auto& c : cases) {
        CloseArchive();
        const std::string bytes = BuildArchive({{"a.bin", data, c.Flag}});
        // The stored bytes are XOR-ed with 0xC9 exactly for flag 1.
        std::string stored = data;
        if (c.Scrambled)
            for (char& ch : stored)
                ch = static_cast<char>(static_cast<unsigned char>(ch) ^ 0xC9);
        EXPECT_EQ(bytes.substr(15, data.size()), stored) << int(c.Flag);
        ASSERT_TRUE(OpenBytes(bytes)) << int(c.Flag);
        EXPECT_EQ(DatPack().Entries.at(0).Scrambled, c.Flag);
        EXPECT_EQ(Load("a.bin"), data) << int(c.Flag);
    }
    // A flag other than 1 on data written by hand: returned as stored.
    CloseArchive();
    ASSERT_TRUE(OpenBytes(RawArchive("\xA1\xA2", {{"two.bin", 2, 15, 2}, {"one.bin", 2, 15, 1}})));
    EXPECT_EQ(Load("two.bin"), "\xA1\xA2");
    EXPECT_EQ(Load("one.bin"), "hk"); // 0xA1 and 0xA2 XOR 0xC9
    EXPECT_TRUE(Recorder.Messages().empty());
}

// Archives that open, and archives that leave the reader closed and reading from disk.
TEST_F(ArchiveTest, OpenOutcomes) {
    const std::string valid = BuildArchive({{"inside.txt", "archived", 0}});
    std::string badSignature = valid;
    badSignature[2] = 'X';
    std::string lowerSignature = valid;
    lowerSignature.replace(0, 3, "bma");
    std::string highBits = valid;
    highBits[7 + 4] = '\x01'; // the high 32 bits are ignored
    highBits[7 + 7] = '\x80';
    std::string entryCut = valid.substr(0, valid.size() - 3); // inside size/offset/flag
    std::string longName = Header(15);
    longName += '\xFF';
    longName += "only a few bytes of a 255-byte name";
    std::string trailing = valid + "xyz"; // a second entry cut short

    struct TCase {
        const char* What;
        std::string Bytes;
        bool Opens;
        size_t Entries;
        bool SignatureMessage;
    };
    const TCase cases[] = {
        {"valid", valid, true, 1, false},
        {"0-byte file", "", true, 0, false},
        {"wrong signature", badSignature, false, 0, true},
        {"lower-case signature", lowerSignature, false, 0, true},
        {"header cut short", valid.substr(0, 10), false, 0, false},
        {"signature only", "BMA", false, 0, false},
        {"wrong signature, header cut short", "XYZ1234", false, 0, false},
        {"header only, directory at its end", Header(15), false, 0, false},
        {"directory offset past the end", Header(1000) + "data", false, 0, false},
        {"directory offset negative as 32 bits", Header(0x80000000u) + "data", false, 0, false},
        {"directory offset high bits set", highBits, true, 1, false},
        {"directory entry cut short", entryCut, false, 0, false},
        {"name cut by the end of the file", longName, false, 0, false},
        {"bytes after the last entry", trailing, false, 0, false},
    };
    Dir.Write("inside.txt", "from disk");
    for (const auto& c : cases) {
        CloseArchive();
        Recorder.Clear();
        EXPECT_EQ(OpenBytes(c.Bytes), c.Opens) << c.What;
        EXPECT_EQ(DatPack().Entries.size(), c.Entries) << c.What;
        EXPECT_EQ(DatPack().ArchiveStream != nullptr, c.Opens) << c.What;
        const std::vector<std::string> expected = c.SignatureMessage
                                                      ? std::vector<std::string>{kSignatureMessage}
                                                      : std::vector<std::string>{};
        EXPECT_EQ(Recorder.Messages(), expected) << c.What;
        // Closed: every name comes from the disk. Open with the entry: from the archive.
        EXPECT_EQ(Load("inside.txt"), c.Entries == 1 ? "archived" : "from disk") << c.What;
        EXPECT_EQ(DatPack().BasePath, Dir.Folder()) << c.What;
    }
}

TEST_F(ArchiveTest, MissingArchive) {
    EXPECT_FALSE(OpenArchive("interface.dat"));
    EXPECT_EQ(DatPack().ArchiveStream, nullptr);
    EXPECT_EQ(DatPack().BasePath, Dir.Folder());
    EXPECT_EQ(FindEntry("anything"), -1);
    EXPECT_TRUE(Recorder.Messages().empty());

    // With an archive open, a missing one changes nothing else.
    ASSERT_TRUE(OpenItems({{"a.txt", "A", 0}}));
    EXPECT_FALSE(OpenArchive("other.dat"));
    EXPECT_EQ(FindEntry("a.txt"), 0);
    // Opening the same archive again reads its directory once.
    ASSERT_TRUE(OpenArchive("interface.dat"));
    EXPECT_EQ(DatPack().Entries.size(), 1u);
    EXPECT_EQ(DatPack().ArchiveName, "interface.dat");
    CloseArchive();
    EXPECT_EQ(DatPack().ArchiveName, "");
    EXPECT_EQ(DatPack().BasePath, Dir.Folder()); // kept on closing
}

// Entries whose fields do not fit the file: never a read outside it, never an allocation that a
// size field alone asks for; what lies inside the file is returned.
TEST_F(ArchiveTest, DamagedEntries) {
    const std::string data = "0123456789";
    struct TCase {
        const char* What;
        int32_t Size;
        int32_t Offset;
        std::string Expected;
        bool ToEnd = false; // everything from the offset to the end of the file
    };
    const TCase cases[] = {
        {"inside", 4, 15, "0123"},
        {"past the end", 1000, 20, "", true},
        {"size 0x7FFFFFFF", 0x7FFFFFFF, 24, "", true},
        {"negative size", -1, 15, ""},
        {"negative offset", 4, -16, ""},
        {"offset past the end", 4, 100000, ""},
        {"offset and size overflowing 32 bits", 0x20, 0x7FFFFFF0, ""},
        {"zero size", 0, 15, ""},
        {"offset inside the header", 3, 0, "BMA"},
    };
    std::vector<TRawEntry> entries;
    for (size_t i = 0; i < std::size(cases); ++i)
        entries.push_back({"e" + std::to_string(i), cases[i].Size, cases[i].Offset, 0});
    const std::string bytes = RawArchive(data, entries);
    ASSERT_TRUE(OpenBytes(bytes));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string expected =
            cases[i].ToEnd ? bytes.substr(static_cast<size_t>(cases[i].Offset)) : cases[i].Expected;
        EXPECT_EQ(Load("e" + std::to_string(i)), expected) << cases[i].What;
    }
    EXPECT_TRUE(Recorder.Messages().empty()); // found in the archive: no message
}

TEST_F(ArchiveTest, ReadEntryTargets) {
    ASSERT_TRUE(OpenItems({{"a.txt", "alpha", 1}, {"b.txt", "beta", 0}}));
    TPack target;
    target.Content() = "old content";
    target.Seek(3);
    ReadEntry(-1, target); // nothing happens
    EXPECT_EQ(target.Content(), "old content");
    EXPECT_EQ(target.Position(), 3u);
    ReadEntry(7, target); // past the directory: nothing either
    EXPECT_EQ(target.Content(), "old content");
    ReadEntry(0, target);
    EXPECT_EQ(target.Content(), "alpha");
    EXPECT_EQ(target.Position(), 0u);
    ReadEntry(1, target);
    EXPECT_EQ(target.Content(), "beta");
}

TEST_F(ArchiveTest, NotFoundMessage) {
    for (const bool withArchive : {false, true}) {
        CloseArchive();
        if (withArchive) {
            ASSERT_TRUE(OpenItems({{"a.txt", "A", 0}}));
        }
        for (const std::string& name :
             {std::string("Missing.TXT"), W("Нет\\Такого.txt"), Dir.Folder() + "gone.txt"}) {
            Recorder.Clear();
            TPack pack(name);
            EXPECT_EQ(pack.Size(), 0u) << name;
            // The name exactly as the caller passed it.
            EXPECT_EQ(Recorder.Messages(), std::vector<std::string>{NotFound(name)}) << name;
        }
        Recorder.Clear();
        TPack empty("");
        EXPECT_TRUE(empty.Empty());
        EXPECT_TRUE(Recorder.Messages().empty());
    }
}

TEST_F(ArchiveTest, PackFileExists) {
    Dir.Write("on_disk.txt", "d");
    Dir.Write("both.txt", "d");
    TTempDir elsewhere;
    elsewhere.Write("outside.txt", "o");
    const std::string folder = Dir.Folder();
    struct TCase {
        std::string Name;
        bool WithoutArchive;
        bool WithArchive;
    };
    const TCase cases[] = {
        {"on_disk.txt", true, true},
        {"ON_DISK.TXT", true, true},   // a disc authored on Windows ignores case
        {"\\on_disk.txt", true, true}, // one leading "\" is program-relative
        {"in_archive.txt", false, true},
        {"In_Archive.TXT", false, true},
        {"both.txt", true, true},
        {"neither.txt", false, false},
        {"", false, false},
        {folder + "on_disk.txt", true, true},
        {folder + "in_archive.txt", false, true}, // absolute: disk, then the archive's folder
        {folder + "neither.txt", false, false},
        {elsewhere.Folder() + "outside.txt", true, true},
        {elsewhere.Folder() + "in_archive.txt", false, false}, // another folder's name
        {SameLengthFolder() + "in_archive.txt", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PackFileExists(c.Name), c.WithoutArchive) << "no archive: " << c.Name;
    ASSERT_TRUE(OpenItems({{"in_archive.txt", "a", 0}, {"both.txt", "a", 0}}));
    for (const auto& c : cases)
        EXPECT_EQ(PackFileExists(c.Name), c.WithArchive) << "archive: " << c.Name;
    EXPECT_TRUE(Recorder.Messages().empty()); // neither lookup shows a message
}

// A disc authored on Windows: file names on disk in any case, requests lower-cased.
TEST_F(ArchiveTest, DiskFallBackIgnoresCase) {
    Dir.Write("Struct_Main.TXT", "main");
    Dir.Write("Pics/Photo.JPG", "photo");
    Dir.Write("Папка/Файл.txt", "cyrillic");
    struct TCase {
        std::string Request;
        std::string Content;
    };
    const TCase cases[] = {
        {"struct_main.txt", "main"},
        {"STRUCT_MAIN.TXT", "main"},
        {"pics\\photo.jpg", "photo"},
        {"PICS/PHOTO.JPG", "photo"},
        {W("папка\\файл.txt"), "cyrillic"},
        {W("ПАПКА\\ФАЙЛ.TXT"), "cyrillic"},
        {Dir.Folder() + "pics\\photo.jpg", "photo"},
    };
    for (const bool withArchive : {false, true}) {
        CloseArchive();
        if (withArchive) {
            ASSERT_TRUE(OpenItems({{"other.txt", "o", 0}}));
        }
        for (const auto& c : cases)
            EXPECT_EQ(Load(c.Request), c.Content) << c.Request << " archive " << withArchive;
    }
    EXPECT_TRUE(Recorder.Messages().empty());
}

// Relative names are the program folder's, whatever folder the process runs in.
TEST_F(ArchiveTest, RelativeNamesIgnoreTheCurrentFolder) {
    TTempDir other;
    other.Write("only_here.txt", "wrong folder");
    other.Write("both.txt", "wrong folder");
    Dir.Write("both.txt", "program folder");
    TCurrentFolder current(other.Path());
    EXPECT_EQ(Load("both.txt"), "program folder");
    EXPECT_EQ(Load("Both.txt"), "program folder");
    Recorder.Clear();
    EXPECT_EQ(Load("only_here.txt"), "");
    EXPECT_EQ(Recorder.Messages(), std::vector<std::string>{NotFound("only_here.txt")});
    EXPECT_FALSE(PackFileExists("only_here.txt"));
}

// An archive named with a folder: names are relative to that folder.
TEST_F(ArchiveTest, ArchiveInAnotherFolder) {
    Dir.Write("disc/interface.dat", BuildArchive({{"x.txt", "in archive", 0}}));
    Dir.Write("disc/loose.txt", "loose");
    ASSERT_TRUE(OpenArchive(Dir.Folder() + "disc/interface.dat"));
    EXPECT_EQ(DatPack().BasePath, Dir.Folder() + "disc/");
    EXPECT_EQ(Load("x.txt"), "in archive");
    EXPECT_EQ(Load(Dir.Folder() + "disc/X.txt"), "in archive");
    EXPECT_EQ(Load("loose.txt"), "loose");
    EXPECT_EQ(Load(Dir.Folder() + "disc/loose.txt"), "loose");
}

TEST(StripBasePath, Cases) {
    struct TCase {
        const char* Name;
        const char* Base;
        const char* Expected;
    };
    const TCase cases[] = {
        {"/disc/tree2.txt", "/disc/", "tree2.txt"},
        {"/disc/docs\\a.htm", "/disc/", "docs\\a.htm"},
        {"/DISC/Tree2.txt", "/disc/", "Tree2.txt"},  // the folder compared ignoring case
        {"/disc\\tree2.txt", "/disc/", "tree2.txt"}, // either separator
        {"/disc/tree2.txt", "/disc", "tree2.txt"},   // a base without its trailing separator
        {"/disc2/tree2.txt", "/disc", "/disc2/tree2.txt"},
        {"/usr/tree2.txt", "/abc/", "/usr/tree2.txt"}, // as long, but another folder
        {"/di", "/disc/", "/di"},                      // shorter than the base
        {"/disc/", "/disc/", ""},
        {"tree2.txt", "/disc/", "tree2.txt"}, // relative: unchanged
        {"", "/disc/", ""},
        {"/disc/tree2.txt", "", "/disc/tree2.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripBasePath(c.Name, c.Base), c.Expected) << c.Name << " in " << c.Base;
}

TEST_F(ArchiveTest, OpenPackStream) {
    ASSERT_TRUE(OpenItems({{"a.txt", "alpha", 0}}));
    const std::unique_ptr<TPack> stream(OpenPackStream("A.TXT"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Content(), "alpha");
    EXPECT_EQ(stream->Position(), 0u);
    const std::unique_ptr<TPack> missing(OpenPackStream("none.txt"));
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->Empty());
    EXPECT_EQ(Recorder.Messages(), std::vector<std::string>{NotFound("none.txt")});
}

TEST_F(ArchiveTest, PackReadAndSeek) {
    ASSERT_TRUE(OpenItems({{"a.txt", "0123456789", 0}, {"b.txt", "xy", 0}}));
    TPack pack("a.txt");
    char buffer[8] = {};
    EXPECT_EQ(pack.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(pack.Position(), 4u);
    EXPECT_EQ(pack.Read(buffer, 8), 6u); // only what is left
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(pack.Read(buffer, 8), 0u);
    pack.Seek(8);
    EXPECT_EQ(pack.Read(buffer, 8), 2u);
    EXPECT_EQ(std::string(buffer, 2), "89");
    pack.Seek(1000); // clamped to the end
    EXPECT_EQ(pack.Position(), 10u);
    EXPECT_EQ(pack.Read(buffer, 1), 0u);
    EXPECT_EQ(pack.Read(nullptr, 0), 0u);

    // Content shrunk below the position: reads nothing, never past the bytes.
    pack.Content().resize(3);
    EXPECT_EQ(pack.Read(buffer, 8), 0u);
    EXPECT_EQ(pack.Position(), 3u);

    // Loading again replaces the content and rewinds.
    pack.LoadPackFile("b.txt");
    EXPECT_EQ(pack.Content(), "xy");
    EXPECT_EQ(pack.Position(), 0u);
    pack.Clear();
    EXPECT_TRUE(pack.Empty());
}

TEST(ScanDirectory, ReportsWhereTheDirectoryBreaks) {
    TTempDir dir;
    std::string bytes = BuildArchive({{"a.txt", "A", 0}, {"b.txt", "B", 0}});
    const int64_t secondEntry = 15 + 2 + (1 + 5 + 9);
    bytes.resize(bytes.size() - 4);
    const auto path = dir.Write("x.dat", bytes);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    const TDirectoryScan scan = ScanDirectory(file, static_cast<int64_t>(bytes.size()));
    std::fclose(file);
    EXPECT_EQ(scan.Error, TDirectoryError::Truncated);
    EXPECT_EQ(scan.ErrorPosition, secondEntry);
    ASSERT_EQ(scan.Entries.size(), 1u);
    EXPECT_EQ(scan.Entries[0].EntryName, "a.txt");
    EXPECT_EQ(scan.DirOffset, 17);
}

TEST(ScanDirectory, DirectoryStartUsesTheLow32BitsSigned) {
    EXPECT_EQ(DirectoryStart(0x100000017LL), 0x17);
    EXPECT_EQ(DirectoryStart(0x80000000LL), INT32_MIN);
    EXPECT_EQ(DirectoryStart(-1), -1);
}
