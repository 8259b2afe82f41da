#pragma once
// The rule by which the search decides that a document holds the search text, shared by the
// search window and the disc tool: the whole search text, lower-cased with the code page's
// folding, must lie inside one text run outside the title element. Tag names are compared as
// written, so only "title" and "/title" open and close that element; "TITLE" does not.

#include "search/HtmlParser.h"

#include <string>
#include <string_view>

class TSearchMatcher {
public:
    TSearchMatcher() = default;
    explicit TSearchMatcher(std::string_view searchText) { SetSearchText(searchText); }

    // The text as typed; kept lower-cased (Windows-1251 rules, Cyrillic included).
    void SetSearchText(std::string_view searchText);
    const std::string& FindText() const { return Find; }

    // Makes the parser's OnTag and OnText events run the rule; the parser stops at the first
    // match.
    void Attach(TLegHtmlParser& parser);
    // Clears the title and match states before a document.
    void BeginDocument() {
        InTitleElement = false;
        Matched = false;
    }
    bool InTitle() const { return InTitleElement; }
    bool Found() const { return Matched; }

    // The two halves of the rule, for callers that install their own handlers.
    void Tag(std::string_view tag);
    // True when the text run holds the search text (and the document has matched).
    bool Text(std::string_view token);

    // Loads the document's bytes into the parser, parses them with the rule attached and tells
    // whether the document matched.
    bool MatchDocument(TLegHtmlParser& parser, std::string_view document);

    // False only when the document cannot match: the search text does not occur, lower-cased, in
    // the whole document with its references decoded. Every text the parser delivers is a piece
    // of that, so a document ruled out need not be parsed. A search text holding a line break or
    // a NUL is never ruled out: the parser joins the document's lines anew.
    bool MayMatch(std::string_view document);
    // The search's way through one document read from the archive: ruled out by MayMatch, or
    // handed to the parser without a copy (bytes then holds the parser's previous buffer) and
    // parsed with the rule. Tells whether the document matched.
    bool SearchDocument(TLegHtmlParser& parser, std::string& bytes);

    // Whether text, lower-cased, holds the search text. An empty search text is found nowhere.
    bool Contains(std::string_view text) const;

private:
    std::string Find;
    std::string Decoded;
    // The bytes that lower-case to the search text's first and last bytes (at most two each in
    // Windows-1251; one repeated when there is only one).
    unsigned char FirstBytes[2] = {0, 0};
    unsigned char LastBytes[2] = {0, 0};
    bool InTitleElement = false;
    bool Matched = false;
};

// A line of the search index "file.ind": the document name before the first "#;#", the title
// after it. A line without the separator is all name.
struct TIndexLine {
    std::string_view Name;
    std::string_view Title;
};
TIndexLine SplitIndexLine(std::string_view line);
