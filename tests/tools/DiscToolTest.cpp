// chitalka-disc run as a subprocess, the way a disc author runs it.

#include "archive/ArchiveWriter.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Utf8(const std::string& cp1251Text) {
    return cp1251::ToUtf8(cp1251Text);
}

void PutInt(std::string& out, uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Header(uint64_t dirOffset) {
    std::string out = "BMA";
    PutInt(out, 0, 4);
    PutInt(out, dirOffset, 8);
    return out;
}

// Every regular file under a folder: relative UTF-8 name -> bytes.
std::map<std::string, std::string> FilesUnder(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(root).generic_string()] =
                ReadFileBytes(entry.path());
    return files;
}

class DiscToolTest : public ::testing::Test {
protected:
    // Runs the tool with the arguments; standard output and error captured through files.
    TResult Run(const std::vector<std::string>& args) {
        const std::string out = (Dir.Path() / ".stdout").string();
        const std::string err = (Dir.Path() / ".stderr").string();
        std::vector<std::string> argv = {CHITALKA_DISC_TOOL};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (auto& a : argv)
            pointers.push_back(a.data());
        pointers.push_back(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int in = open("/dev/null", O_RDONLY);
            if (o < 0 || e < 0 || in < 0)
                _exit(126);
            dup2(o, 1);
            dup2(e, 2);
            dup2(in, 0);
            execv(pointers[0], pointers.data());
            _exit(127);
        }
        TResult result;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid)
            result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.Out = ReadFileBytes(out);
        result.Err = ReadFileBytes(err);
        fs::remove(out);
        fs::remove(err);
        return result;
    }

    std::string Path(const std::string& relative) const { return (Dir.Path() / relative).string(); }
    std::string WriteArchive(const std::string& relative, const std::string& bytes) const {
        return Dir.Write(relative, bytes).string();
    }

    TTempDir Dir;
};

} // namespace

// A disc folder with Cyrillic names packed, listed, read back, extracted and packed again.
TEST_F(DiscToolTest, RoundTrip) {
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes += static_cast<char>(i);
    struct TFile {
        std::string Disk;   // UTF-8 name on disk
        std::string Stored; // Windows-1251 name in the archive
        std::string Bytes;
        int Flag;
    };
    const std::vector<TFile> files = {
        {"Struct_Main.txt", "struct_main.txt", "[main]\r\nobject=a\r\n", 0},
        {"Папка/Файл.HTM", W("папка\\файл.htm"), W("<p>Привет, мир</p>"), 0},
        {"pics/All.bin", "pics\\all.bin", allBytes, 0},
        {"Документы/Эссе.DOC", W("документы\\эссе.doc"), "doc \xC9 bytes", 1},
        {"empty.txt", "empty.txt", "", 0},
        {"Ёлка.txt", W("ёлка.txt"), "yo", 0},
    };
    for (const auto& f : files)
        Dir.Write("src/" + f.Disk, f.Bytes);
    const std::string archive = Path("disc/interface.dat");
    fs::create_directories(Path("disc"));

    TResult r = Run({"pack", Path("src"), archive, "--scramble", "*.doc"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(FilesUnder(Path("disc")).size(), 1u); // no temporary file left behind

    // The directory: sorted by stored name, data from offset 15 in that order.
    std::vector<TFile> sorted = files;
    std::sort(sorted.begin(), sorted.end(),
              [](const TFile& a, const TFile& b) { return a.Stored < b.Stored; });
    const std::string bytes = ReadFileBytes(archive);
    std::string expected;
    int64_t offset = 15;
    for (const auto& f : sorted) {
        expected += Utf8(f.Stored) + "\t" + std::to_string(f.Bytes.size()) + "\t" +
                    std::to_string(offset) + "\t" + std::to_string(f.Flag) + "\n";
        std::string stored = f.Bytes;
        if (f.Flag == 1)
            for (char& c : stored)
                c = static_cast<char>(static_cast<unsigned char>(c) ^ 0xC9);
        EXPECT_EQ(bytes.substr(static_cast<size_t>(offset), f.Bytes.size()), stored) << f.Disk;
        offset += static_cast<int64_t>(f.Bytes.size());
    }
    EXPECT_EQ(bytes.substr(0, 7), std::string("BMA\0\0\0\0", 7)); // reserved bytes zero
    r = Run({"list", archive});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, expected);

    // cat: the reader's lookup, so any letter case in the request.
    for (const auto& f : files) {
        for (const std::string& request :
             {Utf8(f.Stored), Utf8(cp1251::Upper(f.Stored)), Path("disc/") + Utf8(f.Stored)}) {
            r = Run({"cat", archive, request});
            EXPECT_EQ(r.Status, 0) << request << ": " << r.Err;
            EXPECT_EQ(r.Out, f.Bytes) << request;
            EXPECT_EQ(r.Err, "") << request;
        }
    }
    // A name the archive lacks comes from the disk beside it, in any letter case.
    Dir.Write("disc/Loose.TXT", "loose");
    r = Run({"cat", archive, "loose.txt"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "loose");
    // Neither: the reader's message, nothing on standard output, status 1.
    r = Run({"cat", archive, "Нет.txt"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "Не найден файл \r\nНет.txt\n");

    // extract writes lower-case UTF-8 names, byte-identical.
    r = Run({"extract", archive, Path("out")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    std::map<std::string, std::string> expectedFiles;
    for (const auto& f : files) {
        std::string name = Utf8(f.Stored);
        std::replace(name.begin(), name.end(), '\\', '/');
        expectedFiles[name] = f.Bytes;
    }
    EXPECT_EQ(FilesUnder(Path("out")), expectedFiles);

    // Packing the extracted folder again gives the same archive.
    r = Run({"pack", Path("out"), Path("again.dat"), "--scramble=*.DOC"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadFileBytes(Path("again.dat")), bytes);
    r = Run({"verify", archive});
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_EQ(Lines(r.Out).size(), 1u);
    EXPECT_TRUE(Contains(r.Out, "OK")) << r.Out;
}

// Patterns match the relative name with "/" separators, ignoring case, Cyrillic included.
TEST_F(DiscToolTest, ScrambleGlobs) {
    for (const char* name : {"a.doc", "Документы/Эссе.DOC", "pics/x.jpg", "readme.txt"})
        Dir.Write(std::string("src/") + name, "data");
    struct TCase {
        std::vector<std::string> Globs;
        std::set<std::string> Scrambled; // stored names, UTF-8
    };
    const TCase cases[] = {
        {{}, {}},
        {{"*.doc"}, {"a.doc", "документы\\эссе.doc"}},
        {{"ДОКУМЕНТЫ/*"}, {"документы\\эссе.doc"}},
        {{"pics/?.JPG"}, {"pics\\x.jpg"}},
        {{"[ar]*"}, {"a.doc", "readme.txt"}},
        {{"*.txt", "*/*"}, {"readme.txt", "документы\\эссе.doc", "pics\\x.jpg"}},
        {{"x.jpg"}, {}}, // the whole relative name must match
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"pack", Path("src"), Path("a.dat")};
        for (const auto& g : c.Globs) {
            args.push_back("--scramble");
            args.push_back(g);
        }
        TResult r = Run(args);
        ASSERT_EQ(r.Status, 0) << r.Err;
        r = Run({"list", Path("a.dat")});
        std::set<std::string> scrambled;
        for (const auto& line : Lines(r.Out))
            if (line.substr(line.size() - 2) == "\t1")
                scrambled.insert(line.substr(0, line.find('\t')));
        EXPECT_EQ(scrambled, c.Scrambled) << (c.Globs.empty() ? "" : c.Globs[0]);
        r = Run({"cat", Path("a.dat"), "pics\\x.jpg"});
        EXPECT_EQ(r.Out, "data");
    }
}

// Equal names: the later entry is the one the reader returns; an upper-case name is never found.
TEST_F(DiscToolTest, DuplicatesAndUnreachableNames) {
    const std::string archive = WriteArchive("dup.dat", BuildArchive({
                                                            {"dup.txt", "first", 0},
                                                            {"Upper.txt", "upper", 0},
                                                            {W("папка\\дубль.txt"), "one", 1},
                                                            {"dup.txt", "second", 0},
                                                            {W("папка\\дубль.txt"), "two", 2},
                                                        }));
    TResult r = Run({"list", archive});
    EXPECT_EQ(r.Status, 0);
    const auto lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 8), "dup.txt\t");
    EXPECT_EQ(lines[1].substr(0, 10), "Upper.txt\t");
    EXPECT_EQ(lines[3].substr(0, 8), "dup.txt\t");
    EXPECT_EQ(lines[4], "папка\\дубль.txt\t3\t" + std::to_string(15 + 5 + 5 + 3 + 6) + "\t2");

    struct TCase {
        std::string Name;
        int Status;
        std::string Out;
    };
    const TCase cases[] = {
        {"dup.txt", 0, "second"},
        {"Папка\\Дубль.TXT", 0, "two"},
        {"Upper.txt", 1, ""},
    };
    for (const auto& c : cases) {
        r = Run({"cat", archive, c.Name});
        EXPECT_EQ(r.Status, c.Status) << c.Name;
        EXPECT_EQ(r.Out, c.Out) << c.Name;
    }

    r = Run({"extract", archive, Path("out")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Lines(r.Err).size(), 1u) << r.Err; // the skipped upper-case name
    EXPECT_TRUE(Contains(r.Err, "Upper.txt")) << r.Err;
    const std::map<std::string, std::string> expected = {{"dup.txt", "second"},
                                                         {"папка/дубль.txt", "two"}};
    EXPECT_EQ(FilesUnder(Path("out")), expected);

    r = Run({"verify", archive});
    EXPECT_EQ(r.Status, 1);
    ASSERT_EQ(Lines(r.Out).size(), 1u) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "Upper.txt")) << r.Out;
}

// Damaged archives: a clear line and a non-zero status, never a crash; a wrong signature is
// exactly the reader's one message.
TEST_F(DiscToolTest, DamagedArchives) {
    const std::string valid = BuildArchive({{"a.txt", "alpha", 0}});
    std::string badSignature = valid;
    badSignature[0] = 'X';
    std::string pastEnd = Header(15 + 4) + "data";
    AppendDirectoryEntry(pastEnd, "big.txt", 1000, 15, 0);
    std::string negativeSize = Header(15 + 4) + "data";
    AppendDirectoryEntry(negativeSize, "neg.txt", -1, 15, 0);
    std::string negativeOffset = Header(15 + 4) + "data";
    AppendDirectoryEntry(negativeOffset, "off.txt", 4, -16, 0);
    std::string longName = Header(15);
    longName += '\xFF';
    longName += "a name cut by the end of the file";
    // A directory starting inside the header parses, but no writer makes it.
    std::string inHeader = Header(7);
    inHeader.append(9, '\0'); // size 0, offset 0, flag 0

    struct TCase {
        const char* What;
        std::string Bytes;
        std::string Command;
        std::string Name; // for cat
        int Status;
        std::string Out;     // expected standard output; "*" for not checked
        size_t ErrLines;     // lines on standard error
        std::string ErrPart; // text the error (or verify's report) contains
    };
    const std::string signature = "Неверная сигнатура архива";
    const TCase cases[] = {
        {"truncated header", valid.substr(0, 10), "list", "", 1, "", 1, "header"},
        {"truncated header", valid.substr(0, 10), "cat", "a.txt", 1, "", 1, "header"},
        {"truncated header", valid.substr(0, 10), "verify", "", 1, "*", 0, "header"},
        {"truncated directory", valid.substr(0, valid.size() - 3), "list", "", 1, "", 1,
         "directory is cut short"},
        {"truncated directory", valid.substr(0, valid.size() - 3), "extract", "", 1, "", 1,
         "directory is cut short"},
        {"truncated directory", valid.substr(0, valid.size() - 3), "verify", "", 1, "*", 0,
         "directory is cut short"},
        {"name cut by the end", longName, "list", "", 1, "", 1, "directory is cut short"},
        {"name cut by the end", longName, "verify", "", 1, "*", 0, "offset 15"},
        {"wrong signature", badSignature, "list", "", 1, "", 1, signature},
        {"wrong signature", badSignature, "cat", "a.txt", 1, "", 1, signature},
        {"wrong signature", badSignature, "extract", "", 1, "", 1, signature},
        {"wrong signature", badSignature, "verify", "", 1, "*", 0, "signature"},
        {"directory offset negative", Header(0x80000000u) + "data", "list", "", 1, "", 1,
         "-2147483648"},
        {"directory offset past the end", Header(500) + "data", "verify", "", 1, "*", 0, "500"},
        {"directory inside the header", inHeader, "verify", "", 1, "*", 0, "inside the 15-byte"},
        {"entry past the end", pastEnd, "list", "", 0, "big.txt\t1000\t15\t0\n", 0, ""},
        {"entry past the end", pastEnd, "verify", "", 1, "*", 0, "big.txt"},
        {"entry past the end", pastEnd, "cat", "big.txt", 1, pastEnd.substr(15), 1, "big.txt"},
        {"entry past the end", pastEnd, "extract", "", 1, "*", 1, "big.txt"},
        {"negative size", negativeSize, "verify", "", 1, "*", 0, "negative size -1"},
        {"negative size", negativeSize, "cat", "neg.txt", 1, "", 1, "negative size -1"},
        {"negative offset", negativeOffset, "verify", "", 1, "*", 0, "negative offset -16"},
        {"negative offset", negativeOffset, "cat", "off.txt", 1, "", 1, "negative offset"},
    };
    Dir.Write("a.txt", "on disk beside the archive"); // no fall-back from a damaged archive
    for (const auto& c : cases) {
        const std::string archive = WriteArchive("bad.dat", c.Bytes);
        std::vector<std::string> args = {c.Command, archive};
        if (c.Command == "cat")
            args.push_back(c.Name);
        if (c.Command == "extract")
            args.push_back(Path("extracted"));
        const TResult r = Run(args);
        const std::string what = std::string(c.What) + ", " + c.Command;
        EXPECT_EQ(r.Status, c.Status) << what << "\n" << r.Out << r.Err;
        if (c.Out != "*") {
            EXPECT_EQ(r.Out, c.Out) << what;
        }
        EXPECT_EQ(Lines(r.Err).size(), c.ErrLines) << what << "\n" << r.Err;
        if (c.Command == "verify") {
            EXPECT_EQ(Lines(r.Out).size(), 1u) << what << "\n" << r.Out; // one problem each
            EXPECT_TRUE(Contains(r.Out, c.ErrPart)) << what << "\n" << r.Out;
        } else {
            EXPECT_TRUE(Contains(r.Err, c.ErrPart)) << what << "\n" << r.Err;
        }
        if (c.ErrPart == signature && c.Command != "verify") {
            EXPECT_EQ(r.Err, signature + "\n") << what; // exactly the reader's message
        }
    }
    const TResult missing = Run({"list", Path("absent.dat")});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(Lines(missing.Err).size(), 1u);
    EXPECT_TRUE(Contains(missing.Err, "no such file")) << missing.Err;
}

TEST_F(DiscToolTest, VerifyAcceptsSoundArchives) {
    struct TCase {
        const char* What;
        std::string Bytes;
        std::string Summary;
    };
    const TCase cases[] = {
        {"0-byte archive", "", "OK, 0 entries, 0 names, 0 bytes"},
        {"duplicates and scrambling",
         BuildArchive({{"a.txt", "1", 1}, {"a.txt", "22", 0}, {W("б.txt"), "", 2}}),
         "OK, 3 entries, 2 names, "},
    };
    for (const auto& c : cases) {
        const std::string archive = WriteArchive("ok.dat", c.Bytes);
        const TResult r = Run({"verify", archive});
        EXPECT_EQ(r.Status, 0) << c.What << "\n" << r.Out;
        EXPECT_EQ(r.Err, "") << c.What;
        EXPECT_EQ(Lines(r.Out).size(), 1u) << c.What;
        EXPECT_TRUE(Contains(r.Out, c.Summary)) << c.What << "\n" << r.Out;
    }
    const TResult r = Run({"list", WriteArchive("ok.dat", "")});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "");
}

// Names that would leave the target folder are refused, each named; the others are written.
TEST_F(DiscToolTest, ExtractRefusesEscapingNames) {
    const std::vector<std::string> refused = {"..\\x.txt",   "\\abs.txt",        "/abs2.txt",
                                              "c:\\win.txt", "a\\..\\..\\b.txt", "..",
                                              "link\\f.txt"};
    std::vector<TArchiveItem> items = {{"good.txt", "g", 0}, {W("под\\хорошо.txt"), "ok", 0}};
    for (const auto& name : refused)
        items.push_back({name, "evil", 0});
    const std::string archive = WriteArchive("evil.dat", BuildArchive(items));
    fs::create_directories(Path("target"));
    fs::create_directories(Path("elsewhere"));
    fs::create_directory_symlink(Path("elsewhere"), Path("target/link"));

    const TResult r = Run({"extract", archive, Path("target")});
    EXPECT_EQ(r.Status, 1);
    const auto lines = Lines(r.Err);
    ASSERT_EQ(lines.size(), refused.size()) << r.Err;
    for (size_t i = 0; i < refused.size(); ++i)
        EXPECT_TRUE(Contains(lines[i], "\"" + refused[i] + "\"")) << lines[i];
    EXPECT_EQ(ReadFileBytes(Path("target/good.txt")), "g");
    EXPECT_EQ(ReadFileBytes(Path("target/под/хорошо.txt")), "ok");
    EXPECT_EQ(FilesUnder(Path("target")).size(), 2u);
    EXPECT_TRUE(FilesUnder(Path("elsewhere")).empty());
    EXPECT_FALSE(fs::exists(Path("x.txt")));
    EXPECT_FALSE(fs::exists(Path("b.txt")));
}

TEST_F(DiscToolTest, PackRefusesWhatItCannotStore) {
    struct TCase {
        const char* What;
        std::vector<std::string> Files;
        std::string ErrPart;
    };
    const TCase cases[] = {
        {"a name outside Windows-1251", {"ok.txt", "日本.txt"}, "日本.txt"},
        {"names equal but for case", {"Readme.txt", "README.TXT"}, "readme.txt"},
        {"a name over 255 bytes", {std::string(250, 'a') + "/" + std::string(10, 'b')}, "255"},
    };
    for (const auto& c : cases) {
        fs::remove_all(Path("src"));
        fs::create_directories(Path("src"));
        for (const auto& f : c.Files)
            Dir.Write("src/" + f, "x");
        WriteArchive("old.dat", "earlier archive");
        const TResult r = Run({"pack", Path("src"), Path("old.dat")});
        EXPECT_EQ(r.Status, 1) << c.What;
        EXPECT_EQ(Lines(r.Err).size(), 1u) << c.What << "\n" << r.Err;
        EXPECT_TRUE(Contains(r.Err, c.ErrPart)) << c.What << "\n" << r.Err;
        // The earlier archive is kept whole, and no temporary file is left.
        EXPECT_EQ(ReadFileBytes(Path("old.dat")), "earlier archive") << c.What;
    }
    const TResult missing = Run({"pack", Path("none"), Path("x.dat")});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_FALSE(fs::exists(Path("x.dat")));
    for (const auto& entry : fs::directory_iterator(Dir.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".old.dat."), std::string::npos);
    }
}

TEST_F(DiscToolTest, PackEmptyFolderAndArchiveInsideIt) {
    fs::create_directories(Path("empty"));
    TResult r = Run({"pack", Path("empty"), Path("empty.dat")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_TRUE(fs::exists(Path("empty.dat")));
    EXPECT_EQ(fs::file_size(Path("empty.dat")), 0u);

    // Packing into the folder being packed never stores the archive in itself.
    Dir.Write("disc/a.txt", "a");
    for (int run = 0; run < 2; ++run) {
        r = Run({"pack", Path("disc"), Path("disc/interface.dat")});
        EXPECT_EQ(r.Status, 0) << r.Err;
        r = Run({"list", Path("disc/interface.dat")});
        EXPECT_EQ(r.Out, "a.txt\t1\t15\t0\n") << run;
    }
}

TEST_F(DiscToolTest, Usage) {
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        bool UsageOnStdout;
        bool UsageOnStderr;
    };
    const TCase cases[] = {
        {{"--help"}, 0, true, false},
        {{}, 2, false, true},
        {{"frobnicate"}, 2, false, true},
        {{"pack", "onlyone"}, 2, false, true},
        {{"pack", "a", "b", "--frob"}, 2, false, true},
        {{"pack", "a", "b", "--scramble"}, 2, false, true},
        {{"list"}, 2, false, true},
        {{"cat", "a.dat"}, 2, false, true},
        {{"extract", "a.dat"}, 2, false, true},
        {{"verify", "a", "b"}, 2, false, true},
        {{"list", "--help"}, 0, true, false},
    };
    for (const auto& c : cases) {
        const TResult r = Run(c.Args);
        const std::string what = c.Args.empty() ? "(none)" : c.Args[0];
        EXPECT_EQ(r.Status, c.Status) << what;
        EXPECT_EQ(Contains(r.Out, "usage: chitalka-disc"), c.UsageOnStdout) << what << r.Out;
        EXPECT_EQ(Contains(r.Err, "usage: chitalka-disc"), c.UsageOnStderr) << what << r.Err;
    }
    const TResult help = Run({"--help"});
    for (const char* command : {"pack", "list", "cat", "extract", "verify"})
        EXPECT_TRUE(Contains(help.Out, std::string("  ") + command + " ")) << command;
}

// tokens: the tokenizer's events for a document read from the disk, one line each.
TEST_F(DiscToolTest, TokensOfDocuments) {
    struct TCase {
        std::vector<std::string> Options;
        std::string Document; // fixture
        std::string Expected; // fixture
    };
    const TCase cases[] = {
        {{}, "essay.htm", "essay.tokens.txt"},
        {{"--blocks"}, "broken.htm", "broken.blocks.txt"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"tokens",
                                         std::string(CHITALKA_TOKENIZER_FIXTURES "/") + c.Document};
        args.insert(args.end(), c.Options.begin(), c.Options.end());
        TResult r = Run(args);
        EXPECT_EQ(r.Status, 0) << c.Document << "\n" << r.Err;
        EXPECT_EQ(r.Err, "") << c.Document;
        EXPECT_EQ(r.Out, ReadFileBytes(std::string(CHITALKA_TOKENIZER_FIXTURES "/") + c.Expected))
            << c.Document;
        // The option may come first.
        std::rotate(args.begin() + 1, args.begin() + 2, args.end());
        EXPECT_EQ(Run(args).Out, r.Out) << c.Document;
    }

    // A Cyrillic file name; text written as UTF-8 with its control characters escaped.
    const std::string name =
        Dir.Write("Эссе.htm", W("<p>Ёж\tи\\уж\r\nвместе</p><p>&nbsp;")).string();
    TResult r = Run({"tokens", name, "--blocks"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "OnBlock\t<p>\nOnTag\tp\n"
                     "OnBlock\tЁж\\tи\\\\уж\\r\\nвместе\nOnText\tЁж\\tи\\\\уж\\r\\nвместе\n"
                     "OnBlock\t</p>\nOnTag\t/p\nOnBlock\t<p>\nOnTag\tp\n"
                     "OnBlock\t&nbsp;\nOnText\t\u00A0\n");
    r = Run({"tokens", Dir.Write("empty.htm", "").string()});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "");

    // A name the disk does not hold: the reader's message, nothing on standard output.
    r = Run({"tokens", Path("нет.htm")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "Не найден файл \r\n" + Path("нет.htm") + "\n");
}

TEST_F(DiscToolTest, TokensUsage) {
    const std::string file = Dir.Write("a.htm", "<p>a</p>").string();
    struct TCase {
        std::vector<std::string> Args;
        int Status;
    };
    const TCase cases[] = {
        {{"tokens"}, 2},
        {{"tokens", file, file}, 2},
        {{"tokens", file, "--frob"}, 2},
        {{"tokens", "--blocks"}, 2},
        {{"tokens", ""}, 2},
        {{"tokens", "--help"}, 0},
    };
    for (const auto& c : cases) {
        const TResult r = Run(c.Args);
        const std::string what = c.Args.size() > 1 ? c.Args[1] : "(none)";
        EXPECT_EQ(r.Status, c.Status) << what;
        EXPECT_TRUE(Contains(c.Status == 0 ? r.Out : r.Err, "usage: chitalka-disc tokens FILE"))
            << what << "\n"
            << r.Out << r.Err;
    }
    EXPECT_TRUE(Contains(Run({"--help"}).Out, "  tokens FILE [--blocks]"));
}

// The all-documents search over a loose-file disc: hits in index order, the title element
// skipped, case folded, a tag between two words splitting them; no hits is not an error.
TEST_F(DiscToolTest, SearchOfADisc) {
    Dir.Write("file.ind",
              W("a.htm#;#Первое\r\nb.htm#;#Второе\r\nc.htm#;#Третье\r\n\r\nnone.htm\r\n"));
    Dir.Write("a.htm", W("<html><head><title>река</title></head><body><p>Лес</p></body></html>"));
    Dir.Write("b.htm", W("<p>Большая РЕКА течёт</p>"));
    Dir.Write("c.htm", W("<p>река</p><p>большая <b>река</b></p>"));
    struct TCase {
        std::string Text;
        std::string Expected;
    };
    const TCase cases[] = {
        {"река", "b.htm\tВторое\nc.htm\tТретье\n"}, // a.htm has it only in its title
        {"БОЛЬШАЯ РЕКА", "b.htm\tВторое\n"},        // c.htm has a tag between the words
        {"нигде", ""},
    };
    for (const auto& c : cases) {
        TResult r = Run({"search", Dir.Path().string(), c.Text});
        EXPECT_EQ(r.Status, 0) << c.Text << "\n" << r.Err;
        EXPECT_EQ(r.Out, c.Expected) << c.Text;
    }
    TResult stats = Run({"search", Dir.Path().string(), "река", "--stats"});
    EXPECT_EQ(stats.Status, 0) << stats.Err;
    const auto lines = Lines(stats.Out);
    ASSERT_EQ(lines.size(), 3u) << stats.Out;
    EXPECT_TRUE(Contains(lines.back(), "documents read")) << lines.back();
}
