#include "search/DiscSearch.h"

#include "archive/ResourceLoaders.h"

namespace {

// The progress moves once per ten documents: that also bounds how often the window's events run.
constexpr size_t kProgressStep = 10;

} // namespace

TStrings ReadSearchIndex() {
    return LoadPackStrings("file.ind");
}

TDiscSearch::TDiscSearch(std::string_view searchText) : Matcher(searchText) {
}

void TDiscSearch::Run(const TStrings& lines) {
    size_t threshold = kProgressStep;
    for (const std::string& line : lines) {
        const std::string name(SplitIndexLine(line).Name);
        ++LinesSearched;
        if (!name.empty()) {
            Pack.LoadPackFile(name);
            ++DocumentsRead;
            BytesRead += Pack.Size();
            // The bytes go to the parser without a copy; Pack gets the parser's old buffer back.
            if (Matcher.SearchDocument(Parser, Pack.Content()))
                Hits.push_back(line);
        }
        if (LinesSearched > threshold) {
            threshold += kProgressStep;
            if (OnProgress && !OnProgress(LinesSearched)) {
                Stopped = true;
                return;
            }
        }
    }
}
