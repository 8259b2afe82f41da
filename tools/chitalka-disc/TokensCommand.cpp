// chitalka-disc tokens: what the search's tokenizer makes of a document, so that an author can
// see why a word is or is not found in it.

#include "DiscCommands.h"

#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"
#include "search/TokenDump.h"

#include <filesystem>
#include <iostream>

namespace {

// The reader's "not found" box is the only sign that the name was missing.
class TMissingNameDialogs : public TStderrDialogs {
public:
    void ShowMessage(const std::string& text, const TFontSpec* font) override {
        Shown = true;
        TStderrDialogs::ShowMessage(text, font);
    }
    bool Shown = false;
};

} // namespace

int TokensCommand(const TDiscArgs& args) {
    std::vector<std::string> positional;
    bool blocks = false;
    for (const auto& a : args) {
        if (a == "--blocks") {
            blocks = true;
        } else if (a.size() > 1 && a[0] == '-') {
            ReportError("unknown option \"" + a + "\"");
            return CommandUsage("tokens");
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 1 || positional[0].empty())
        return CommandUsage("tokens");
    const std::string absolute = std::filesystem::absolute(positional[0]).lexically_normal();
    if (!cp1251::Utf8Representable(absolute)) {
        ReportError(absolute + ": the reader cannot name this path in Windows-1251");
        return kExitFailure;
    }
    // Read as the reader reads any name that no archive holds: from the disk.
    TMissingNameDialogs dialogs;
    TDialogsGuard guard(&dialogs);
    const TPack pack(FromHostPath(absolute));
    if (dialogs.Shown)
        return kExitFailure;
    std::cout << DumpTokens(pack.View(), blocks);
    std::cout.flush();
    if (!std::cout) {
        ReportError("cannot write to standard output");
        return kExitFailure;
    }
    return kExitOk;
}
