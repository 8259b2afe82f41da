#pragma once
// The disc author's preview: one structure file built in a generic window, then shown, listed
// object by object (--dump) or saved as a picture (--shot).

#include <iosfwd>
#include <string>
#include <vector>

class TSkStract;

struct TPreviewRequest {
    std::string StructFile; // Windows-1251, read through the archive like any structure file
    bool Dump = false;
    std::string Shot; // UTF-8 host path of the PNG to write, or empty
};

// Builds and shows (or dumps, or pictures) the window; the exit status of the program.
int RunPreview(const TPreviewRequest& request, std::ostream& out, std::ostream& err);

// One line per object the engine made, in creation order: name, type keyword, parent name,
// left, top, width, height, visible (1/0), enabled (1/0), separated by tabs, in UTF-8. The parent
// is the nearest enclosing object of the engine, else the window's (form section's) name.
std::vector<std::string> DumpLines(const TSkStract& engine);
