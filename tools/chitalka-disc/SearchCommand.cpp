// chitalka-disc search: the search window's all-documents search run on a disc folder, so that
// an author can see which essays a text finds, in the order the window lists them.

#include "DiscCommands.h"

#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "search/DiscSearch.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

int SearchCommand(const TDiscArgs& args) {
    std::vector<std::string> positional;
    bool stats = false;
    for (const auto& a : args) {
        if (a == "--stats") {
            stats = true;
        } else if (a.size() > 1 && a[0] == '-') {
            ReportError("unknown option \"" + a + "\"");
            return CommandUsage("search");
        } else {
            positional.push_back(a);
        }
    }
    // An empty text finds nothing: the window does not search for it either.
    if (positional.size() != 2 || positional[0].empty() || positional[1].empty())
        return CommandUsage("search");
    std::error_code ec;
    const std::string folder = fs::absolute(positional[0], ec).lexically_normal().string();
    if (ec || !fs::is_directory(folder, ec)) {
        ReportError(positional[0] + ": not a folder");
        return kExitFailure;
    }
    if (!cp1251::Utf8Representable(folder)) {
        ReportError(folder + ": the reader cannot name this path in Windows-1251");
        return kExitFailure;
    }
    const std::string& text = positional[1];
    if (!cp1251::Utf8Representable(text)) {
        ReportError("the search text has characters that Windows-1251 lacks");
        return kExitFailure;
    }

    // The disc's folder is the program folder; without an archive every name comes from the disk.
    const auto start = std::chrono::steady_clock::now();
    SetProgramFolderOverride(FromHostPath(folder));
    OpenArchive("interface.dat");
    TDiscSearch search(cp1251::FromUtf8(text));
    search.Run(ReadSearchIndex());
    CloseArchive();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;

    for (const std::string& line : search.Hits) {
        const TIndexLine parts = SplitIndexLine(line);
        std::cout << cp1251::ToUtf8(parts.Name) << '\t' << cp1251::ToUtf8(parts.Title) << '\n';
    }
    if (stats) {
        char figures[160];
        std::snprintf(figures, sizeof figures, "%zu documents read, %llu bytes, %.3f s",
                      search.DocumentsRead, static_cast<unsigned long long>(search.BytesRead),
                      seconds.count());
        std::cout << figures << '\n';
    }
    std::cout.flush();
    if (!std::cout) {
        ReportError("cannot write to standard output");
        return kExitFailure;
    }
    return kExitOk;
}
