#pragma once
// The normalising pass between a document's bytes and Qt's text document. Qt's HTML import
// follows a subset of CSS and differs from browsers where essays meet it; this pass rewrites the
// page (still Windows-1251 bytes) so that it shows as a browser shows it:
//  - line-height in per cent, em or as a bare factor becomes pixels on every text block (Qt takes
//    a percentage of the font's line spacing, not of its size, and does not inherit it);
//  - text-align from style sheets becomes the align attribute (Qt ignores CSS justify, and there an
//    align attribute beats a style sheet);
//  - a heading given a font-size becomes a styled block carrying its rules (Qt keeps its own
//    heading sizes whatever CSS says);
//  - a picture's hspace, vspace and margins become transparent padding of the picture itself (Qt
//    lets text touch a picture); CSS float on a picture becomes its align attribute;
//  - relative font sizes (em, %, keywords) become pixels;
//  - the body's margins are handed to the document's root frame (Qt applies them to text only,
//    so floated pictures and tables stuck to the edge);
//  - a style sheet link without a type gets "text/css" (Qt loads only those);
//  - tables nested deeper than kMaxTableNesting are flattened to their text, and tags nested
//    deeper than kMaxElementNesting are dropped (Qt's layout time doubles with each table level).
// It is Qt-free, so it can be tested and fuzzed alone.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr int kMaxTableNesting = 8;
constexpr int kMaxElementNesting = 512;
// The largest document the view shows; a bigger one would hold the reader for seconds.
constexpr size_t kMaxDocumentBytes = 8 * 1024 * 1024;

struct TPageMargins {
    int Left = 8, Top = 8, Right = 8, Bottom = 8; // pixels; a browser's default body margin
    bool operator==(const TPageMargins&) const = default;
};

struct TNormalisedPage {
    std::string Html;     // Windows-1251
    TPageMargins Margins; // for the document's root frame; the body's own are set to 0
    double BaseFontPx = 16;
    // Linked style sheets as the page names them (href) and their normalised text.
    std::vector<std::pair<std::string, std::string>> Sheets;
};

// Reads a linked style sheet by the name the page gives (href); none when there is no such file.
using TStyleSheetReader = std::function<std::optional<std::string>(const std::string& href)>;

// defaultFontPx: the size of the document's default font, which relative sizes start from when
// the page sets none.
TNormalisedPage NormalisePage(std::string_view html, double defaultFontPx,
                              const TStyleSheetReader& readSheet);

// A style sheet with its line heights in pixels (per cent, em and bare factors taken of the
// rule's own font size, else of baseFontPx); everything else kept.
std::string NormaliseStyleSheet(std::string_view css, double baseFontPx);

// A picture drawn with transparent padding around it: the view's resource loader sees this name
// in place of the picture's own. Width and Height are the size the page asks for (0: the
// picture's own; one of them 0: kept in proportion).
struct TPaddedPicture {
    std::string Source; // the picture's name as the page gives it
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width = 0, Height = 0;
};
constexpr std::string_view kPaddedPictureScheme = "chitalka-pad:";
std::string PaddedPictureName(const TPaddedPicture& picture);
std::optional<TPaddedPicture> ParsePaddedPictureName(std::string_view name);
