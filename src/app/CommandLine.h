#pragma once
// The reader's command line: parsed before any window exists, so that --help and --version work
// without a display.

#include <optional>
#include <string>
#include <vector>

struct TCommandLine {
    std::string Disc;      // --disc DIR (UTF-8), empty: the program folder
    std::string Struct;    // --struct FILE: build one structure file in a generic window
    std::string Shot;      // --shot FILE.png: save a picture of the window and exit
    bool Dump = false;     // --dump: print the built objects and exit
    bool Help = false;
    bool Version = false;
    std::string Error;     // non-empty: the arguments were not understood
};

TCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();
