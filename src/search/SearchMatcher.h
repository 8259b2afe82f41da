#pragma once
// The rule by which the search decides that a document holds the search text, shared by the
// search window and the disc tool: the whole search text, lower-cased with the code page's
// folding, must lie inside one text run outside the title element. Tag names are compared as
// written, so only "title" and "/title" open and close that element; "TITLE" does not.

#include "search/HtmlParser.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TSearchMatcher {
public:
    TSearchMatcher() = default;
    explicit TSearchMatcher(std::string_view searchText) { SetSearchText(searchText); }

    // The text as typed; kept lower-cased (Windows-1251 rules, Cyrillic included).
    void SetSearchText(std::string_view searchText);
    const std::string& FindText() const { return Find; }

    // Makes the parser's OnTag and OnText events run the rule; the parser stops at the first
    // match. It also spares the parser what the rule does not read: OnTag's attributes and the
    // decoding of texts (Translate is cleared; the rule decodes a run only when it may hold the
    // search text).
    void Attach(TLegHtmlParser& parser);
    // Clears the title and match states before a document.
    void BeginDocument() {
        InTitleElement = false;
        Matched = false;
    }
    bool InTitle() const { return InTitleElement; }
    bool Found() const { return Matched; }

    // The two halves of the rule, for callers that install their own handlers. The tag name and
    // the text run come decoded, as a parser with Translate set delivers them.
    void Tag(std::string_view tag);
    // True when the text run holds the search text (and the document has matched).
    bool Text(std::string_view token);
    // The same for a tag name and a trimmed text run as written, references not yet decoded (a
    // parser with Translate clear): a run is decoded only when it may hold the search text.
    void RawTag(std::string_view tag);
    bool RawText(std::string_view run);

    // Loads the document's bytes into the parser, parses them with the rule attached (the parser
    // skipping the runs shorter than the search text) and tells whether the document matched.
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
    // False only when run, its references decoded, cannot hold the search text.
    bool MayHoldDecoded(std::string_view run) const;

private:
    // The rule over a run that lies in the parser's working text: the places where the search
    // text may begin as written are mapped once per parse and the parser maps the "&", so that a
    // run that holds neither costs two looks at the maps.
    bool MappedText(const TLegHtmlParser& parser, std::string_view run);
    void MapText(std::string_view text, const std::vector<uint64_t>& amps);
    // Whether a reference in run at amp decodes to a byte of the search text that follows the
    // search text's bytes before it; stop is the reference's ";".
    bool ReferenceMayStart(const char* begin, const char* amp, const char* stop) const;
    bool Equal(const char* at) const;

    std::string Find;
    std::string Decoded;
    const TLegHtmlParser* MappedParser = nullptr;
    uint64_t MappedSerial = 0;
    const char* MappedBegin = nullptr;
    size_t MappedSize = 0;
    std::vector<uint64_t> StartBits;    // bit i: the search text's first and last bytes fit at i
    std::vector<uint64_t> MakingBits;   // bit i: a reference at i makes a byte of the search text
    std::array<bool, 256> Makes{};      // the bytes of the search text
    std::array<uint64_t, 1024> Leads{}; // bit 256 a + b: a reference "&ab..." may make one of them
    bool MakingLead(char a, char b) const {
        const size_t i = static_cast<unsigned char>(a) * 256u + static_cast<unsigned char>(b);
        return (Leads[i >> 6] >> (i & 63)) & 1;
    }
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
