#pragma once
// Command strings: commands separated by "//", each a name followed by parameters separated by
// "*". Every cut is made at the first occurrence from the left (SplitHead), nothing is trimmed,
// and there is no quoting, so a parameter can never hold "*" or "//" (a URL with a scheme is cut
// at its "//"). Names are lower-cased with the code page's rules; parameters keep their case.

#include "archive/Utils.h"

#include <string>
#include <vector>

struct RCommand {
    std::string Name;      // lower-cased
    std::string ParamText; // the text after the segment's first "*", exactly as written
    TStrings Params;       // the non-empty parameters, in order
    std::string Rest;      // the unparsed text after the "//" ending this segment
};

// A parsed command string. Parsing never fails: any text gives a (possibly empty) list.
class TSkCommand {
public:
    TSkCommand() = default;
    explicit TSkCommand(const std::string& text) { Parse(text); }

    // Replaces the list with the commands of text. Segments with an empty name are skipped.
    void Parse(const std::string& text);

    int Count() const { return static_cast<int>(List.size()); }
    const std::vector<RCommand>& Items() const { return List; }

    // The normal text of command i: the name, then "*" and each non-empty parameter. Empty for an
    // index outside the list.
    std::string CommandText(int i) const;

private:
    std::vector<RCommand> List;
};

// Parameter n (from 0) of a command, empty when there is none. A file-choice parameter,
// "open_file" or "open_file(ext)" in any case, shows the open-file dialog with the filter "*ext"
// (lower-cased) each time it is read and gives the chosen path, or empty when cancelled. Any
// other parameter comes back exactly as written.
std::string GetParam(const TStrings& params, int n);
