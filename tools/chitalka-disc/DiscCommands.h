#pragma once
// chitalka-disc, the disc author's tool: its commands and their dispatch table. Arguments arrive
// as typed on the terminal (UTF-8); names inside an archive are Windows-1251. Where the reader
// would show a message box, the tool prints the message's text on standard error.

#include "archive/Archive.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using TDiscArgs = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct TDiscCommand {
    std::string_view Name;
    std::string_view Arguments; // as the usage text shows them
    std::string_view Summary;
    int (*Run)(const TDiscArgs& args); // the arguments after the command's name
};

// Every command, in the order the usage text lists them. A new command is one more row.
const std::vector<TDiscCommand>& DiscCommands();
std::string DiscUsage();
// Runs the command that args (the program's arguments without its name) names.
int RunDisc(const TDiscArgs& args);

int PackCommand(const TDiscArgs& args);
int ListCommand(const TDiscArgs& args);
int CatCommand(const TDiscArgs& args);
int ExtractCommand(const TDiscArgs& args);
int VerifyCommand(const TDiscArgs& args);
int TokensCommand(const TDiscArgs& args);
int SearchCommand(const TDiscArgs& args);

// Shared by the commands.

// "chitalka-disc: " and the text on standard error, one line.
void ReportError(const std::string& utf8);
// The command's usage line on standard error; returns kExitUsage.
int CommandUsage(std::string_view command);

// An archive file opened for reading with its directory scanned, as the reader would scan it.
class TArchiveFile {
public:
    TArchiveFile() = default;
    ~TArchiveFile();
    TArchiveFile(const TArchiveFile&) = delete;
    TArchiveFile& operator=(const TArchiveFile&) = delete;

    // Opens a host (UTF-8) path and scans its directory; false, with one line on standard
    // error, when the file cannot be read at all.
    bool Open(const std::string& hostPath);
    // True when the reader would open the archive; otherwise reports why in one line (for a
    // wrong signature the reader's own message) and returns false.
    bool Accept() const;

    std::string Path;
    std::FILE* File = nullptr;
    int64_t Size = 0;
    TDirectoryScan Scan;
};

// Why the reader refuses a scanned archive, in words for the author; empty when it does not.
std::string DescribeScanError(const TDirectoryScan& scan, int64_t fileSize);
// What is wrong with an entry's fields in a file of fileSize bytes; empty when nothing is.
std::string EntryProblem(const TData& entry, int64_t fileSize);
// fnmatch-style match of a pattern against a relative name with "/" separators, ignoring case
// (Windows-1251 rules); both in UTF-8.
bool GlobMatches(const std::string& pattern, const std::string& name);
// The host path an entry name would be extracted to under folder, or none when the name would
// leave it (a ".." step, a leading separator, a drive letter, a NUL byte, nothing left).
std::optional<std::string> ExtractTarget(const std::string& folder, const std::string& entryName);
