#pragma once
// The all-documents search: every document that the index "file.ind" lists, read in full through
// the archive (with its fall-back to the disk) and matched by the search's rule, in index order.
// Shared by the search window and the disc tool, so that both find exactly the same documents.
// No Qt: the window moves its progress bar and lets its events run from the progress callback.

#include "archive/Archive.h"
#include "archive/Utils.h"
#include "search/HtmlParser.h"
#include "search/SearchMatcher.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The index's lines as the search reads them. A missing "file.ind" has shown the archive's "not
// found" message and gives no lines.
TStrings ReadSearchIndex();

class TDiscSearch {
public:
    // Called after the 11th, 21st, 31st, … line with the number of lines searched so far; false
    // ends the search before the next document.
    using TProgress = std::function<bool(size_t processed)>;

    // The text as typed; it is matched lower-cased.
    explicit TDiscSearch(std::string_view searchText);

    TProgress OnProgress;

    // Searches the documents that the lines name, in order, and appends to Hits each line (name,
    // separator and title) whose document holds the text. A name that neither the archive nor
    // the disk holds shows the "not found" message and is searched as an empty document; an
    // empty name is no document. An exception leaves Hits with what was found before it.
    void Run(const TStrings& lines);

    const std::string& FindText() const { return Matcher.FindText(); }

    TStrings Hits;
    size_t LinesSearched = 0; // lines taken, empty ones included
    size_t DocumentsRead = 0; // names looked up, missing ones included
    uint64_t BytesRead = 0;
    bool Stopped = false; // OnProgress asked to stop

private:
    TLegHtmlParser Parser;
    TSearchMatcher Matcher;
    TPack Pack; // one buffer for every document (it trades places with the parser's)
};
