#include "DiscCommands.h"

#include "archive/ArchiveWriter.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fnmatch.h>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

constexpr int64_t kHeaderSize = 15;

std::string Counted(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Quoted(const std::string& utf8) {
    return "\"" + utf8 + "\"";
}
std::string EntryText(const std::string& entryName) {
    return Quoted(cp1251::ToUtf8(entryName));
}

// Forwards to the console and counts what the reader showed: a "not found" box is the reader's
// only sign that a name was missing.
class TCountingDialogs : public TDialogService {
public:
    void ShowMessage(const std::string& text, const TFontSpec* font) override {
        ++Count;
        Console.ShowMessage(text, font);
    }
    void ShowError(const std::string& text) override {
        ++Count;
        Console.ShowError(text);
    }
    bool Confirm(const std::string& text) override { return Console.Confirm(text); }
    std::string OpenFileDialog(const std::string& filter) override {
        return Console.OpenFileDialog(filter);
    }
    std::string SaveFileDialog(const std::string& fileName, const std::string& defaultExt,
                               const std::string& filter) override {
        return Console.SaveFileDialog(fileName, defaultExt, filter);
    }
    int Count = 0;

private:
    TStderrDialogs Console;
};

bool ReadWholeFile(const fs::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return false;
    out = std::move(text).str();
    return true;
}

// Writes through a temporary file in the same folder and renames it over the target, so that a
// failed run leaves any earlier archive whole.
bool WriteAtomically(const fs::path& target, const std::string& bytes, std::string& error) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd, 0666 & ~mask) == 0;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    if (!ok)
        error = std::strerror(errno);
    if (close(fd) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    if (ok && std::rename(pattern.c_str(), target.c_str()) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok)
        unlink(pattern.c_str());
    return ok;
}

bool IsInside(const fs::path& path, const fs::path& root) {
    const auto [rootEnd, pathAt] =
        std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return rootEnd == root.end();
}

} // namespace

void ReportError(const std::string& utf8) {
    std::cerr << "chitalka-disc: " << utf8 << '\n';
}

int CommandUsage(std::string_view command) {
    for (const auto& c : DiscCommands())
        if (c.Name == command)
            std::cerr << "usage: chitalka-disc " << c.Name << ' ' << c.Arguments << '\n';
    return kExitUsage;
}

const std::vector<TDiscCommand>& DiscCommands() {
    static const std::vector<TDiscCommand> commands = {
        {"pack", "DIR OUT [--scramble GLOB]...",
         "pack the files under DIR into OUT, scrambling those GLOB matches", PackCommand},
        {"list", "ARCHIVE", "one line per directory entry: name, size, offset, flag", ListCommand},
        {"cat", "ARCHIVE NAME", "write what the reader reads for NAME to standard output",
         CatCommand},
        {"extract", "ARCHIVE DIR", "write every entry that the reader can find under DIR",
         ExtractCommand},
        {"verify", "ARCHIVE", "check the header, the directory and every entry's bounds",
         VerifyCommand},
        {"tokens", "FILE [--blocks]",
         "the search tokenizer's events for a document, one line each (OnBlock with --blocks)",
         TokensCommand},
        {"search", "DISC TEXT [--stats]",
         "the documents of DISC's file.ind that the search window finds TEXT in: name, tab, "
         "title",
         SearchCommand},
    };
    return commands;
}

std::string DiscUsage() {
    std::ostringstream out;
    out << "usage: chitalka-disc COMMAND ARGUMENTS...\n"
           "The disc author's tool for interface.dat archives. Names on the terminal are UTF-8;\n"
           "inside the archive they are Windows-1251, lower case, with \"\\\" between folders.\n\n"
           "Commands:\n";
    std::vector<std::string> heads;
    size_t width = 0;
    for (const auto& c : DiscCommands()) {
        heads.push_back(std::string(c.Name) + " " + std::string(c.Arguments));
        width = std::max(width, heads.back().size());
    }
    for (size_t i = 0; i < heads.size(); ++i)
        out << "  " << heads[i] << std::string(width - heads[i].size() + 2, ' ')
            << DiscCommands()[i].Summary << '\n';
    out << "  --help" << std::string(width - 4, ' ') << "this text\n";
    return out.str();
}

int RunDisc(const TDiscArgs& args) {
    if (args.empty()) {
        std::cerr << DiscUsage();
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << DiscUsage();
        return kExitOk;
    }
    for (const auto& command : DiscCommands()) {
        if (command.Name != args[0])
            continue;
        const TDiscArgs rest(args.begin() + 1, args.end());
        if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
            std::cout << "usage: chitalka-disc " << command.Name << ' ' << command.Arguments
                      << "\n  " << command.Summary << '\n';
            return kExitOk;
        }
        return command.Run(rest);
    }
    ReportError("unknown command " + Quoted(args[0]));
    std::cerr << DiscUsage();
    return kExitUsage;
}

// ---- Archive files ----

TArchiveFile::~TArchiveFile() {
    if (File)
        std::fclose(File);
}

bool TArchiveFile::Open(const std::string& hostPath) {
    std::error_code ec;
    if (!fs::is_regular_file(hostPath, ec)) {
        ReportError(hostPath + ": " + (fs::exists(hostPath, ec) ? "not a file" : "no such file"));
        return false;
    }
    File = std::fopen(hostPath.c_str(), "rb");
    if (!File) {
        ReportError(hostPath + ": " + std::strerror(errno));
        return false;
    }
    Size = static_cast<int64_t>(fs::file_size(hostPath, ec));
    if (ec) {
        ReportError(hostPath + ": " + ec.message());
        return false;
    }
    Path = hostPath;
    Scan = ScanDirectory(File, Size);
    return true;
}

bool TArchiveFile::Accept() const {
    if (Scan.Error == TDirectoryError::None)
        return true;
    if (Scan.Error == TDirectoryError::BadSignature)
        Dialogs().ShowMessage(cp1251::FromUtf8("Неверная сигнатура архива")); // as the reader
    else
        ReportError(Path + ": " + DescribeScanError(Scan, Size));
    return false;
}

std::string DescribeScanError(const TDirectoryScan& scan, int64_t fileSize) {
    const std::string size = std::to_string(fileSize) + " bytes";
    switch (scan.Error) {
    case TDirectoryError::None:
        return {};
    case TDirectoryError::ShortHeader:
        return "the header is cut short: the file has " + size + ", a header needs 15";
    case TDirectoryError::BadSignature:
        return "wrong signature: the file does not begin with \"BMA\"";
    case TDirectoryError::BadOffset:
        return "the directory offset " + std::to_string(DirectoryStart(scan.DirOffset)) +
               " does not lie inside the file (" + size + ")";
    case TDirectoryError::Truncated:
        return "the directory is cut short: the entry at offset " +
               std::to_string(scan.ErrorPosition) + " runs past the end of the file (" + size + ")";
    }
    return {};
}

std::string EntryProblem(const TData& entry, int64_t fileSize) {
    std::vector<std::string> problems;
    if (entry.EntrySize < 0)
        problems.push_back("negative size " + std::to_string(entry.EntrySize));
    if (entry.EntryOffset < 0)
        problems.push_back("negative offset " + std::to_string(entry.EntryOffset));
    if (problems.empty() && static_cast<int64_t>(entry.EntryOffset) + entry.EntrySize > fileSize)
        problems.push_back("its " + std::to_string(entry.EntrySize) + " bytes at offset " +
                           std::to_string(entry.EntryOffset) + " reach past the end of the file (" +
                           std::to_string(fileSize) + " bytes)");
    std::string out;
    for (const auto& p : problems)
        out += (out.empty() ? "" : "; ") + p;
    return out;
}

bool GlobMatches(const std::string& pattern, const std::string& name) {
    // Byte-wise on Windows-1251 text: the tool keeps the C locale, where fnmatch matches bytes.
    const std::string p = cp1251::Lower(cp1251::FromUtf8(pattern));
    const std::string n = cp1251::Lower(cp1251::FromUtf8(name));
    return fnmatch(p.c_str(), n.c_str(), 0) == 0;
}

std::optional<std::string> ExtractTarget(const std::string& folder, const std::string& entryName) {
    if (entryName.empty() || IsPathSeparator(entryName[0]) ||
        entryName.find('\0') != std::string::npos || (entryName.size() >= 2 && entryName[1] == ':'))
        return std::nullopt;
    std::string relative;
    std::string part;
    auto flush = [&]() -> bool {
        if (part == "..")
            return false;
        if (!part.empty() && part != ".")
            relative += (relative.empty() ? "" : "/") + cp1251::ToUtf8(part);
        part.clear();
        return true;
    };
    for (char c : entryName) {
        if (IsPathSeparator(c)) {
            if (!flush())
                return std::nullopt;
        } else {
            part += c;
        }
    }
    if (!flush() || relative.empty())
        return std::nullopt;
    return (fs::path(folder) / relative).string();
}

// ---- pack ----

int PackCommand(const TDiscArgs& args) {
    std::vector<std::string> positional;
    std::vector<std::string> globs;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--scramble") {
            if (i + 1 == args.size())
                return CommandUsage("pack");
            globs.push_back(args[++i]);
        } else if (a.rfind("--scramble=", 0) == 0) {
            globs.push_back(a.substr(11));
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            ReportError("unknown option " + Quoted(a));
            return CommandUsage("pack");
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2)
        return CommandUsage("pack");
    for (const auto& glob : globs) {
        if (!cp1251::Utf8Representable(glob)) {
            ReportError("the pattern " + Quoted(glob) + " cannot be written in Windows-1251");
            return kExitFailure;
        }
    }
    const fs::path root = positional[0];
    const fs::path out = positional[1];
    std::error_code ec;
    if (!fs::is_directory(root, ec)) {
        ReportError(root.string() + ": not a folder");
        return kExitFailure;
    }

    struct TSource {
        std::string Relative; // UTF-8, "/" separators
        fs::path Path;
    };
    std::map<std::string, TSource> byName; // stored name -> file: sorted, and duplicates caught
    bool failed = false;
    fs::recursive_directory_iterator it(root, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code kind;
        if (!it->is_regular_file(kind))
            continue; // folders are walked; links to folders, devices and sockets are not files
        if (fs::equivalent(it->path(), out, kind))
            continue; // an archive written into the folder it packs
        const std::string relative = it->path().lexically_relative(root).generic_string();
        if (!cp1251::Utf8Representable(relative)) {
            ReportError(it->path().string() + ": the name cannot be written in Windows-1251");
            failed = true;
            continue;
        }
        std::string stored = cp1251::Lower(cp1251::FromUtf8(relative));
        std::replace(stored.begin(), stored.end(), '/', '\\');
        if (stored.size() > 255) {
            ReportError(it->path().string() + ": the name is longer than 255 bytes in the archive");
            failed = true;
            continue;
        }
        const auto [at, added] = byName.emplace(stored, TSource{relative, it->path()});
        if (!added) {
            ReportError(at->second.Path.string() + " and " + it->path().string() +
                        ": the same name in the archive, " + Quoted(cp1251::ToUtf8(stored)));
            failed = true;
        }
    }
    if (ec) {
        ReportError(root.string() + ": " + ec.message());
        return kExitFailure;
    }
    if (failed)
        return kExitFailure;

    std::vector<TArchiveItem> items;
    items.reserve(byName.size());
    for (const auto& [stored, source] : byName) {
        TArchiveItem item;
        item.Name = stored;
        if (!ReadWholeFile(source.Path, item.Bytes)) {
            ReportError(source.Path.string() + ": cannot be read");
            return kExitFailure;
        }
        for (const auto& glob : globs)
            if (GlobMatches(glob, source.Relative))
                item.Flag = 1;
        items.push_back(std::move(item));
    }
    std::string bytes;
    try {
        bytes = BuildArchive(items);
    } catch (const std::length_error& e) {
        ReportError(out.string() + ": " + e.what());
        return kExitFailure;
    }
    std::string error;
    if (!WriteAtomically(out, bytes, error)) {
        ReportError(out.string() + ": " + error);
        return kExitFailure;
    }
    return kExitOk;
}

// ---- list ----

int ListCommand(const TDiscArgs& args) {
    if (args.size() != 1)
        return CommandUsage("list");
    TArchiveFile archive;
    if (!archive.Open(args[0]) || !archive.Accept())
        return kExitFailure;
    for (const TData& e : archive.Scan.Entries)
        std::cout << cp1251::ToUtf8(e.EntryName) << '\t' << e.EntrySize << '\t' << e.EntryOffset
                  << '\t' << static_cast<int>(e.Scrambled) << '\n';
    return kExitOk;
}

// ---- cat ----

int CatCommand(const TDiscArgs& args) {
    if (args.size() != 2)
        return CommandUsage("cat");
    const std::string& name = args[1];
    if (name.empty())
        return CommandUsage("cat");
    if (!cp1251::Utf8Representable(name)) {
        ReportError(Quoted(name) + ": the name cannot be written in Windows-1251");
        return kExitFailure;
    }
    TArchiveFile archive;
    if (!archive.Open(args[0]) || !archive.Accept())
        return kExitFailure;
    const fs::path absolute = fs::absolute(args[0]).lexically_normal();
    if (!cp1251::Utf8Representable(absolute.string())) {
        ReportError(absolute.string() + ": the reader cannot name this path in Windows-1251");
        return kExitFailure;
    }
    // As the reader sees it: the archive's folder is the program folder.
    SetProgramFolderOverride(FromHostPath(absolute.parent_path().string()));
    TCountingDialogs dialogs;
    TDialogsGuard guard(&dialogs);
    if (!OpenArchive(FromHostPath(absolute.string()))) {
        ReportError(args[0] + ": the reader could not open the archive");
        return kExitFailure;
    }
    const std::string request = cp1251::FromUtf8(name);
    const TPack pack(request);
    std::cout.write(pack.Data(), static_cast<std::streamsize>(pack.Size()));
    std::cout.flush();
    int status = dialogs.Count > 0 ? kExitFailure : kExitOk;
    const TDatPack& state = DatPack();
    const int index = FindEntry(cp1251::Lower(StripBasePath(request, state.BasePath)));
    if (index >= 0) {
        const std::string problem =
            EntryProblem(state.Entries[static_cast<size_t>(index)], state.ArchiveSize);
        if (!problem.empty()) {
            ReportError(args[0] + ": entry " + Quoted(name) + ": " + problem);
            status = kExitFailure;
        }
    }
    CloseArchive();
    if (!std::cout) {
        ReportError("cannot write to standard output");
        return kExitFailure;
    }
    return status;
}

// ---- extract ----

int ExtractCommand(const TDiscArgs& args) {
    if (args.size() != 2)
        return CommandUsage("extract");
    TArchiveFile archive;
    if (!archive.Open(args[0]) || !archive.Accept())
        return kExitFailure;
    std::error_code ec;
    fs::create_directories(args[1], ec);
    const fs::path root = fs::weakly_canonical(args[1], ec);
    if (ec || !fs::is_directory(root)) {
        ReportError(args[1] + ": cannot be made a folder");
        return kExitFailure;
    }
    const auto& entries = archive.Scan.Entries;
    // A lookup returns the last entry of a name.
    std::unordered_map<std::string_view, size_t> last;
    for (size_t i = 0; i < entries.size(); ++i)
        last[entries[i].EntryName] = i;

    int status = kExitOk;
    size_t written = 0;
    std::string bytes;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TData& e = entries[i];
        if (last[e.EntryName] != i)
            continue;
        const auto target = ExtractTarget(root.string(), e.EntryName);
        if (!target) {
            ReportError("refused " + EntryText(e.EntryName) + ": the name leads out of " + args[1]);
            status = kExitFailure;
            continue;
        }
        if (e.EntryName != cp1251::Lower(e.EntryName)) {
            std::cerr << "chitalka-disc: skipped " << EntryText(e.EntryName)
                      << ": the reader never finds a name with upper-case letters\n";
            continue;
        }
        const fs::path path = *target;
        fs::create_directories(path.parent_path(), ec);
        // A symbolic link already in the folder must not carry a file out of it.
        const fs::path parent = fs::weakly_canonical(path.parent_path(), ec);
        if (ec || !IsInside(parent, root) || fs::is_symlink(path)) {
            ReportError("refused " + EntryText(e.EntryName) +
                        ": a symbolic link in the target folder leads out of it");
            status = kExitFailure;
            continue;
        }
        // A damaged entry is written as the reader would return it, and reported.
        const std::string problem = EntryProblem(e, archive.Size);
        if (!problem.empty()) {
            ReportError("entry " + EntryText(e.EntryName) + ": " + problem);
            status = kExitFailure;
        }
        ReadEntryBytes(archive.File, archive.Size, e, bytes);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            ReportError(path.string() + ": cannot be written");
            status = kExitFailure;
            continue;
        }
        ++written;
    }
    std::cout << "extracted " << written << " of " << entries.size() << " entries to " << args[1]
              << '\n';
    return status;
}

// ---- verify ----

int VerifyCommand(const TDiscArgs& args) {
    if (args.size() != 1)
        return CommandUsage("verify");
    TArchiveFile archive;
    if (!archive.Open(args[0]))
        return kExitFailure;
    const TDirectoryScan& scan = archive.Scan;
    std::vector<std::string> problems;
    const bool headerRead =
        scan.Error == TDirectoryError::None || scan.Error == TDirectoryError::Truncated;
    if (!headerRead) {
        problems.push_back(DescribeScanError(scan, archive.Size));
    } else {
        const int32_t start = DirectoryStart(scan.DirOffset);
        if (archive.Size > 0 && start < kHeaderSize)
            problems.push_back("the directory offset " + std::to_string(start) +
                               " lies inside the 15-byte header");
        for (size_t i = 0; i < scan.Entries.size(); ++i) {
            const TData& e = scan.Entries[i];
            const std::string where =
                "entry " + std::to_string(i + 1) + " " + EntryText(e.EntryName);
            const std::string problem = EntryProblem(e, archive.Size);
            if (!problem.empty())
                problems.push_back(where + ": " + problem);
            if (e.EntryName != cp1251::Lower(e.EntryName))
                problems.push_back(where +
                                   ": never found, the reader looks names up in lower case");
        }
        if (scan.Error == TDirectoryError::Truncated)
            problems.push_back(DescribeScanError(scan, archive.Size));
    }
    for (const auto& p : problems)
        std::cout << args[0] << ": " << p << '\n';
    if (!problems.empty())
        return kExitFailure;
    std::unordered_map<std::string_view, int> names;
    for (const TData& e : scan.Entries)
        ++names[e.EntryName];
    std::cout << args[0] << ": OK, " << Counted(scan.Entries.size(), "entry", "entries") << ", "
              << Counted(names.size(), "name", "names") << ", "
              << Counted(static_cast<size_t>(archive.Size), "byte", "bytes") << '\n';
    return kExitOk;
}
