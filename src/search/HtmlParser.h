#pragma once
// TLegHtmlParser: the search's small, forgiving, single-pass HTML tokenizer. It walks the text
// once and reports tags with their attributes, text between tags, comments, script bodies and
// declarations through events. It builds no tree, checks no nesting and knows no element but
// "script". Character references become single bytes of the document's own code page.
//
// Every text an event receives is a view that is valid only while the event runs: it points into
// the working text or into a buffer the parser reuses for the next token.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The codes OnError reports. There is no code 3.
enum THtmlError : int {
    heMarkupEnded = 1,   // the text ends inside markup, or an attribute's value or quote is missing
    heCommentOpen = 2,   // a comment has no closing "--"
    heLessInTag = 4,     // a "<" inside a tag
    heGreaterInText = 5, // a ">" in a text run
    heScriptUnclosed = 6, // no "</SCRIPT>" (in any case) after a script start tag
};

struct THtmlAttribute {
    std::string_view Name;
    std::string_view Value;
};

// The attributes of a tag that have a value, in document order; quotes removed, names as
// written, a repeated name repeated.
class THtmlAttributes {
public:
    size_t size() const { return Items.size(); }
    bool empty() const { return Items.empty(); }
    const THtmlAttribute& operator[](size_t i) const { return Items[i]; }
    std::vector<THtmlAttribute>::const_iterator begin() const { return Items.begin(); }
    std::vector<THtmlAttribute>::const_iterator end() const { return Items.end(); }
    // The attribute as one line: the name, "=", the value.
    std::string Line(size_t i) const;

private:
    friend class TLegHtmlParser;
    std::vector<THtmlAttribute> Items;
};

// The names of the character references by code: 34, 38, 60 and 62 ("quot", "amp", "lt", "gt")
// and 160 to 255 (the Latin-1 names, "nbsp" to "yuml"); every other slot is empty.
extern const std::array<std::string_view, 256> EntityNames;

// Replaces each reference "&name;" by its byte: "#" and decimal digits or "#x" and hexadecimal
// digits give the number's low 8 bits; a name of EntityNames (letter case counts) gives its slot.
// Anything else, and an "&" with no ";" after it, stays as written. out is replaced.
void DecodeEntities(std::string_view text, std::string& out);
std::string DecodeEntities(std::string_view text);
// The byte that the reference "&name;" stands for, or -1 when DecodeEntities leaves it as written.
int ReferenceByte(std::string_view name);

class TLegHtmlParser {
public:
    using TTokenEvent = std::function<void(TLegHtmlParser& sender, std::string_view token)>;
    // tag: the name as written, "/" included for an end tag.
    using TTagEvent = std::function<void(TLegHtmlParser& sender, std::string_view tag,
                                         const THtmlAttributes& attributes)>;
    // position: 1-based in the working text. Setting abort ends the parse.
    using TErrorEvent =
        std::function<void(TLegHtmlParser& sender, int error, size_t position, bool& abort)>;

    // Decode references in the texts of OnText, OnTag (name and attributes) and OnDTDTag.
    bool Translate = true;
    // When set, Parse does not refill an empty working text from Content.
    bool EndParser = false;
    // For a consumer of tag names alone: when clear, OnTag's attribute list stays empty. The
    // attributes are still read, for where the tag ends and for its errors.
    bool TagAttributes = true;
    // OnText skips the runs that are shorter than this once trimmed, before decoding. Decoding
    // never lengthens a text, so a consumer looking for a text of n bytes sets n and is spared the
    // shorter runs, undecoded.
    size_t MinTextLength = 0;

    TTokenEvent OnBlock;   // raw text of every token, before its own event
    TErrorEvent OnError;   // a syntax error; without a handler parsing simply goes on
    TTagEvent OnTag;       // a start or end tag
    TTokenEvent OnText;    // text between tags: trimmed, decoded, never empty
    TTokenEvent OnComment; // content of a comment
    TTokenEvent OnScript;  // body of a script element, or a comment opened directly inside it
    TTokenEvent OnDTDTag;  // a declaration such as a DOCTYPE, without "<!" and ">"

    // The source. Changing it from inside a handler ends the parse in hand (the texts the events
    // hold stay valid); the next Parse reads the new source.
    //
    // The source as lines. Lines that hold line breaks themselves come back split.
    std::vector<std::string> Content() const;
    // Copies the lines; the working text is cleared, so the next Parse reads them.
    void SetContent(const std::vector<std::string>& lines);
    // The source as a stream of bytes gives it: lines end at CR LF, LF or CR; a NUL ends the text.
    void LoadContent(std::string_view bytes);
    // LoadContent without a copy: takes the bytes themselves when their lines already end with
    // CR LF, and hands back in bytes the memory of the previous source (its content unspecified),
    // so that a caller reading one document after another reuses two buffers.
    void SwapContent(std::string& bytes);
    // Content's lines joined, each followed by CR LF: what Parse takes as its working text.
    const std::string& ContentText() const { return HasPending ? Pending : Text; }

    // The text Parse reads (empty until a Parse takes Content, and after Content changes).
    std::string_view WorkingText() const {
        return HasWorking ? std::string_view(Text) : std::string_view();
    }

    // Tokenizes the working text and raises the events in document order. Returns when the text
    // is exhausted, StopParse was called or an OnError handler set abort. A call from inside an
    // event handler does nothing.
    void Parse();
    // Ends the parse after the events of the token in hand; may be called from any handler.
    void StopParse() { Stopped = true; }

    // While an event runs: the 1-based position where its token starts.
    size_t TokenPosition() const { return TokenStart + 1; }
    // The number of tokens the last Parse read.
    size_t Steps() const { return StepCount; }
    // While a parse runs: where the working text holds "&", one bit a byte (bit i % 64 of word
    // i / 64), for handlers that look at the texts as written.
    const std::vector<uint64_t>& AmpersandMap() const { return AmpBits; }
    // Counts the parses this parser has begun, so that a handler can tell a new parse (and so a
    // new working text) from the one it has seen.
    uint64_t ParseSerial() const { return Serial; }

private:
    enum class TMode { Normal, Script, ScriptComment };

    size_t ReadToken(size_t s);
    size_t ReadText(size_t s);
    size_t ReadComment(size_t s);
    size_t ReadMarkup(size_t s);
    size_t ReadPlainTag(size_t s);
    size_t ReadScript(size_t s);
    // Reads the attributes after a tag's name; false when the text ends inside them.
    bool ReadAttributes(size_t& p);
    size_t StepPastClose(size_t p) const;
    size_t FindScriptEnd(size_t from) const;
    void Fail(int code, size_t position) {
        ErrorCode = code;
        ErrorPosition = position;
    }
    void RaiseTag(size_t nameBegin, size_t nameEnd, bool decode);
    void ReplaceContent(std::string&& text);
    void MapSpecials();
    // Maps bytes (copied to copy unless it is null) and tells whether they are already a joined
    // text: lines ended by CR LF, no NUL. The maps are of no use when it is false.
    bool ScanText(const char* bytes, size_t n, char* copy);

    std::string Text; // Content's text; the working text is this while HasWorking is set
    bool HasWorking = false;
    bool Mapped = false; // the maps below are Text's
    // Content set by a handler during a parse; it replaces Text when the parse returns.
    std::string Pending;
    bool HasPending = false;

    // State of one parse.
    const char* T = nullptr;
    size_t N = 0;
    TMode Mode = TMode::Normal;
    bool Parsing = false;
    bool Stopped = false;
    int ErrorCode = 0;
    size_t ErrorPosition = 0;
    size_t TokenStart = 0;
    size_t StepCount = 0;
    uint64_t Serial = 0;

    // Reused buffers: attribute spans as read, decoded texts, the attribute list of OnTag.
    struct TRawAttribute {
        size_t Name, NameEnd, Value, ValueEnd;
    };
    std::vector<TRawAttribute> Raw;
    std::string Decoded;
    std::string TagDecoded;
    THtmlAttributes Attributes;
    // The working text's "<", "<" or ">", and "&", one bit a byte, mapped once per parse: where a
    // run ends and what a run or a tag holds are then bit operations, not scans of it.
    std::vector<uint64_t> LessBits;
    std::vector<uint64_t> AngleBits;
    std::vector<uint64_t> AmpBits;
};
