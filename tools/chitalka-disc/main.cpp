// chitalka-disc: packs, lists, reads, extracts and checks a disc's archive. See docs/archive.md.

#include "DiscCommands.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    // Messages go to standard error as UTF-8 through the built-in console dialogs.
    const TDiscArgs args(argv + 1, argv + argc);
    try {
        return RunDisc(args);
    } catch (const std::exception& e) {
        ReportError(e.what());
        return kExitFailure;
    }
}
