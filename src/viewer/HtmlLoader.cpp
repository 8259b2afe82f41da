#include "viewer/HtmlLoader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>

namespace {

// ---- text helpers (the markup is ASCII; everything else passes through as bytes) ----

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

bool EqualAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

bool StartsWithAscii(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualAscii(text.substr(0, prefix.size()), prefix);
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimView(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitSpaces(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSpace(text[i]))
            ++i;
        const size_t start = i;
        while (i < text.size() && !IsSpace(text[i]))
            ++i;
        if (i > start)
            parts.push_back(text.substr(start, i - start));
    }
    return parts;
}

std::string Px(double value) {
    return std::to_string(static_cast<long>(std::lround(value))) + "px";
}

// ---- lengths ----

struct TLength {
    double Value = 0;
    std::string Unit; // lower case: "", "px", "pt", "em", "%", ...
};

std::optional<TLength> ParseLength(std::string_view text) {
    text = TrimView(text);
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const size_t digits = i;
    while (i < text.size() && (IsDigit(text[i]) || text[i] == '.'))
        ++i;
    if (i == digits)
        return std::nullopt;
    const std::string number(text.substr(0, i));
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size() || !std::isfinite(value))
        return std::nullopt;
    TLength length;
    length.Value = value;
    length.Unit = LowerAscii(text.substr(i));
    if (length.Unit != "%")
        for (char c : length.Unit)
            if (!IsLetter(c))
                return std::nullopt;
    return length;
}

// An absolute length or one relative to the font; none for per cent and unknown units.
std::optional<double> LengthPx(const TLength& length, double fontPx, double rootPx) {
    const std::string& u = length.Unit;
    if (u == "px" || (u.empty() && length.Value == 0))
        return length.Value;
    if (u == "pt")
        return length.Value * 96.0 / 72.0;
    if (u == "pc")
        return length.Value * 16.0;
    if (u == "in")
        return length.Value * 96.0;
    if (u == "cm")
        return length.Value * 96.0 / 2.54;
    if (u == "mm")
        return length.Value * 96.0 / 25.4;
    if (u == "em")
        return length.Value * fontPx;
    if (u == "rem")
        return length.Value * rootPx;
    if (u == "ex")
        return length.Value * fontPx / 2;
    return std::nullopt;
}

// Sane sizes only: a hostile value must not reach the layout as a huge number.
double ClampPx(double value) {
    return std::clamp(value, 0.0, 4096.0);
}

std::optional<double> FontSizePx(std::string_view value, double parentPx, double defaultPx,
                                 double rootPx) {
    const std::string v = LowerAscii(TrimView(value));
    static const std::pair<const char*, double> keywords[] = {
        {"xx-small", 9}, {"x-small", 10}, {"small", 13},    {"medium", 16},
        {"large", 18},   {"x-large", 24}, {"xx-large", 32}, {"xxx-large", 48}};
    for (const auto& [name, px] : keywords)
        if (v == name)
            return px * defaultPx / 16.0;
    if (v == "smaller")
        return parentPx / 1.2;
    if (v == "larger")
        return parentPx * 1.2;
    const auto length = ParseLength(v);
    if (!length || length->Value < 0)
        return std::nullopt;
    if (length->Unit == "%")
        return ClampPx(length->Value * parentPx / 100.0);
    if (length->Unit == "em")
        return ClampPx(length->Value * parentPx);
    const auto px = LengthPx(*length, parentPx, rootPx);
    if (!px)
        return std::nullopt;
    return ClampPx(*px);
}

bool IsRelativeFontSize(std::string_view value) {
    const auto length = ParseLength(value);
    if (!length)
        return true; // keywords
    return length->Unit == "%" || length->Unit == "em" || length->Unit == "rem" ||
           length->Unit == "ex";
}

// A line height: normal, pixels, or a factor of the font size (a bare number inherits as such).
struct TLineHeight {
    enum class TKind { Normal, Pixels, Factor } Kind = TKind::Normal;
    double Value = 0;
};

std::optional<TLineHeight> ParseLineHeight(std::string_view value, double fontPx, double rootPx) {
    const std::string v = LowerAscii(TrimView(value));
    if (v == "normal")
        return TLineHeight{};
    const auto length = ParseLength(v);
    if (!length || length->Value < 0)
        return std::nullopt;
    if (length->Unit.empty())
        return TLineHeight{TLineHeight::TKind::Factor, std::min(length->Value, 100.0)};
    if (length->Unit == "%")
        return TLineHeight{TLineHeight::TKind::Pixels, ClampPx(length->Value * fontPx / 100.0)};
    const auto px = LengthPx(*length, fontPx, rootPx);
    if (!px)
        return std::nullopt;
    return TLineHeight{TLineHeight::TKind::Pixels, ClampPx(*px)};
}

double LineHeightPx(const TLineHeight& line, double fontPx) {
    return line.Kind == TLineHeight::TKind::Factor ? ClampPx(line.Value * fontPx) : line.Value;
}

// ---- CSS ----

struct TDeclaration {
    std::string Name; // lower case
    std::string Value;
    bool Important = false;
};

// Splits at ";" outside quotes and parentheses.
std::vector<TDeclaration> ParseDeclarations(std::string_view text) {
    std::vector<TDeclaration> list;
    size_t start = 0;
    int depth = 0;
    char quote = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ';';
        if (quote) {
            if (c == quote)
                quote = 0;
            if (i < text.size())
                continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        if (c == '(')
            ++depth;
        else if (c == ')' && depth > 0)
            --depth;
        if (c != ';' || (depth > 0 && i < text.size()))
            continue;
        const std::string_view piece = text.substr(start, i - start);
        start = i + 1;
        const auto colon = piece.find(':');
        if (colon == std::string_view::npos)
            continue;
        TDeclaration declaration;
        declaration.Name = LowerAscii(TrimView(piece.substr(0, colon)));
        std::string_view value = TrimView(piece.substr(colon + 1));
        const auto bang = value.rfind('!');
        if (bang != std::string_view::npos &&
            EqualAscii(TrimView(value.substr(bang + 1)), "important")) {
            declaration.Important = true;
            value = TrimView(value.substr(0, bang));
        }
        declaration.Value = std::string(value);
        if (!declaration.Name.empty())
            list.push_back(std::move(declaration));
    }
    return list;
}

struct TCompound {
    std::string Tag; // lower case; empty for any
    std::string Id;
    std::vector<std::string> Classes;
    bool Unsupported = false; // attribute selectors, pseudo-classes: never matched here
};

struct TSelector {
    std::vector<TCompound> Parts;
    std::vector<char> Combinators; // between Parts[i] and Parts[i + 1]: ' ' or '>'
    int Specificity = 0;
};

bool IsNameChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

std::optional<TSelector> ParseSelector(std::string_view text) {
    text = TrimView(text);
    if (text.empty())
        return std::nullopt;
    TSelector selector;
    TCompound current;
    bool inCompound = false;
    char pending = 0;
    int ids = 0, classes = 0, tags = 0;
    auto finish = [&] {
        if (!inCompound)
            return;
        if (!selector.Parts.empty())
            selector.Combinators.push_back(pending ? pending : ' ');
        selector.Parts.push_back(std::move(current));
        current = TCompound{};
        inCompound = false;
        pending = 0;
    };
    size_t i = 0;
    auto readName = [&] {
        const size_t start = i;
        while (i < text.size() && IsNameChar(text[i]))
            ++i;
        return std::string(text.substr(start, i - start));
    };
    while (i < text.size()) {
        const char c = text[i];
        if (IsSpace(c)) {
            finish();
            ++i;
        } else if (c == '>') {
            finish();
            pending = '>';
            ++i;
        } else if (c == '+' || c == '~') {
            return std::nullopt; // sibling combinators: left to Qt
        } else if (c == '*') {
            inCompound = true;
            ++i;
        } else if (c == '.') {
            ++i;
            current.Classes.push_back(readName());
            inCompound = true;
            ++classes;
        } else if (c == '#') {
            ++i;
            current.Id = readName();
            inCompound = true;
            ++ids;
        } else if (c == '[') {
            const auto close = text.find(']', i);
            i = close == std::string_view::npos ? text.size() : close + 1;
            current.Unsupported = true;
            inCompound = true;
            ++classes;
        } else if (c == ':') {
            ++i;
            if (i < text.size() && text[i] == ':')
                ++i;
            readName();
            if (i < text.size() && text[i] == '(') {
                const auto close = text.find(')', i);
                i = close == std::string_view::npos ? text.size() : close + 1;
            }
            current.Unsupported = true;
            inCompound = true;
            ++classes;
        } else if (IsNameChar(c)) {
            current.Tag = LowerAscii(readName());
            inCompound = true;
            ++tags;
        } else {
            return std::nullopt;
        }
    }
    finish();
    if (selector.Parts.empty())
        return std::nullopt;
    selector.Specificity = ids * 10000 + classes * 100 + tags;
    return selector;
}

struct TRule {
    std::vector<TSelector> Selectors;
    std::vector<TDeclaration> Declarations;
};

std::string WithoutComments(std::string_view css) {
    std::string out;
    out.reserve(css.size());
    size_t i = 0;
    while (i < css.size()) {
        if (css[i] == '/' && i + 1 < css.size() && css[i + 1] == '*') {
            const auto end = css.find("*/", i + 2);
            i = end == std::string_view::npos ? css.size() : end + 2;
            out += ' ';
        } else if (css.compare(i, 4, "<!--") == 0) {
            i += 4; // the markup comment that hides a style block from old browsers
        } else if (css.compare(i, 3, "-->") == 0) {
            i += 3;
        } else {
            out += css[i++];
        }
    }
    return out;
}

// The position after the block that opens at css[open] ('{'), nested blocks included.
size_t BlockEnd(std::string_view css, size_t open) {
    int depth = 0;
    for (size_t i = open; i < css.size(); ++i) {
        if (css[i] == '{')
            ++depth;
        else if (css[i] == '}' && --depth == 0)
            return i + 1;
    }
    return css.size();
}

bool ScreenMedia(std::string_view media) {
    const std::string m = LowerAscii(TrimView(media));
    return m.empty() || m.find("screen") != std::string::npos || m.find("all") != std::string::npos;
}

// Walks the rules of a comment-free sheet: rule(selectors, declarations text) for each style
// rule, at-rules' blocks entered for screen media and skipped otherwise. copy(text) receives
// everything that is not a rule's declaration block, so a caller can rebuild the sheet.
template <typename TOnRule, typename TOnCopy>
void WalkStyleSheet(std::string_view css, TOnRule&& rule, TOnCopy&& copy) {
    size_t i = 0;
    while (i < css.size()) {
        const size_t start = i;
        while (i < css.size() && IsSpace(css[i]))
            ++i;
        if (i >= css.size()) {
            copy(css.substr(start));
            return;
        }
        if (css[i] == '}') {
            copy(css.substr(start, i + 1 - start));
            ++i;
            continue;
        }
        if (css[i] == '@') {
            const size_t semicolon = css.find(';', i);
            const size_t brace = css.find('{', i);
            if (brace == std::string_view::npos ||
                (semicolon != std::string_view::npos && semicolon < brace)) {
                const size_t end = semicolon == std::string_view::npos ? css.size() : semicolon + 1;
                copy(css.substr(start, end - start));
                i = end;
                continue;
            }
            const size_t end = BlockEnd(css, brace);
            const std::string_view head = css.substr(i, brace - i);
            if (StartsWithAscii(head, "@media") && ScreenMedia(head.substr(6))) {
                copy(css.substr(start, brace + 1 - start));
                const size_t innerEnd = end > brace + 1 && css[end - 1] == '}' ? end - 1 : end;
                WalkStyleSheet(css.substr(brace + 1, innerEnd - brace - 1), rule, copy);
                copy(css.substr(innerEnd, end - innerEnd));
            } else {
                copy(css.substr(start, end - start));
            }
            i = end;
            continue;
        }
        const size_t brace = css.find('{', i);
        if (brace == std::string_view::npos) {
            copy(css.substr(start));
            return;
        }
        const size_t end = BlockEnd(css, brace);
        const size_t bodyEnd = end > brace + 1 && css[end - 1] == '}' ? end - 1 : end;
        copy(css.substr(start, brace + 1 - start));
        rule(css.substr(i, brace - i), css.substr(brace + 1, bodyEnd - brace - 1));
        copy(css.substr(bodyEnd, end - bodyEnd));
        i = end;
    }
}

void ParseStyleSheet(std::string_view css, std::vector<TRule>& rules) {
    const std::string clean = WithoutComments(css);
    WalkStyleSheet(
        clean,
        [&](std::string_view selectors, std::string_view body) {
            TRule rule;
            size_t start = 0;
            for (size_t i = 0; i <= selectors.size(); ++i) {
                if (i < selectors.size() && selectors[i] != ',')
                    continue;
                if (auto selector = ParseSelector(selectors.substr(start, i - start)))
                    rule.Selectors.push_back(std::move(*selector));
                start = i + 1;
            }
            rule.Declarations = ParseDeclarations(body);
            if (!rule.Selectors.empty() && !rule.Declarations.empty())
                rules.push_back(std::move(rule));
        },
        [](std::string_view) {});
}

std::string WriteDeclarations(const std::vector<TDeclaration>& list) {
    std::string out;
    for (const TDeclaration& d : list) {
        out += ' ';
        out += d.Name;
        out += ": ";
        out += d.Value;
        if (d.Important)
            out += " !important";
        out += ';';
    }
    return out + ' ';
}

// The line height inside a "font" shorthand ("bold 14px/150% serif"), converted; the value
// unchanged when it has none.
std::string FontShorthandWithPixels(const std::string& value, double fontPx, double rootPx) {
    const auto slash = value.find('/');
    if (slash == std::string::npos)
        return value;
    size_t end = slash + 1;
    while (end < value.size() && IsSpace(value[end]))
        ++end;
    size_t stop = end;
    while (stop < value.size() && !IsSpace(value[stop]))
        ++stop;
    const auto line =
        ParseLineHeight(std::string_view(value).substr(end, stop - end), fontPx, rootPx);
    if (!line || line->Kind == TLineHeight::TKind::Normal)
        return value;
    return value.substr(0, slash + 1) + Px(LineHeightPx(*line, fontPx)) + value.substr(stop);
}

// The size a "font" shorthand names: the token before "/" or the one that parses as a size.
std::optional<std::string> FontShorthandSize(const std::string& value) {
    const std::string_view v = value;
    for (std::string_view token : SplitSpaces(v)) {
        const auto slash = token.find('/');
        if (slash != std::string_view::npos)
            token = token.substr(0, slash);
        if (token.empty())
            continue;
        if (const auto length = ParseLength(token))
            if (!length->Unit.empty() || length->Value == 0)
                return std::string(token);
        static const char* keywords[] = {"xx-small", "x-small",  "small",   "medium", "large",
                                         "x-large",  "xx-large", "smaller", "larger"};
        for (const char* k : keywords)
            if (EqualAscii(token, k))
                return std::string(token);
    }
    return std::nullopt;
}

std::optional<std::string> FontShorthandLineHeight(const std::string& value) {
    const auto slash = value.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const auto parts = SplitSpaces(std::string_view(value).substr(slash + 1));
    if (parts.empty())
        return std::nullopt;
    return std::string(parts.front());
}

std::string NormaliseBlock(std::string_view body, double baseFontPx) {
    std::vector<TDeclaration> list = ParseDeclarations(body);
    double fontPx = baseFontPx;
    bool changed = false;
    for (const TDeclaration& d : list)
        if (d.Name == "font-size")
            if (const auto length = ParseLength(d.Value))
                if (length->Unit == "px" || length->Unit == "pt")
                    fontPx = *LengthPx(*length, baseFontPx, baseFontPx);
    for (TDeclaration& d : list) {
        if (d.Name == "line-height") {
            const auto line = ParseLineHeight(d.Value, fontPx, baseFontPx);
            if (line && line->Kind != TLineHeight::TKind::Normal) {
                const auto length = ParseLength(d.Value);
                if (!length || length->Unit != "px") {
                    d.Value = Px(LineHeightPx(*line, fontPx));
                    changed = true;
                }
            }
        } else if (d.Name == "font") {
            const std::string value = FontShorthandWithPixels(d.Value, fontPx, baseFontPx);
            if (value != d.Value) {
                d.Value = value;
                changed = true;
            }
        }
    }
    return changed ? WriteDeclarations(list) : std::string(body);
}

// ---- the cascade over the open elements ----

struct TElement {
    std::string Tag; // lower case
    std::string Id;
    std::vector<std::string> Classes;
    double FontPx = 16;
    TLineHeight Line;
    std::string Align; // computed text-align; empty for the default
    bool AlignFromCss = false;
    bool Renamed = false;   // a heading written as a styled block
    bool Flattened = false; // a table tag of a flattened table
    bool Wrapped = false;   // padded on a background: written inside a one-cell table
    double MarginBottom = 0;
};

TElement NamedElement(const std::string& tag) {
    TElement element;
    element.Tag = tag;
    return element;
}

bool MatchCompound(const TCompound& part, const TElement& element) {
    if (part.Unsupported)
        return false;
    if (!part.Tag.empty() && part.Tag != element.Tag)
        return false;
    // Class and id names as quirks-mode pages compare them: without regard to case.
    if (!part.Id.empty() && !EqualAscii(part.Id, element.Id))
        return false;
    for (const std::string& wanted : part.Classes) {
        bool found = false;
        for (const std::string& held : element.Classes)
            if (EqualAscii(wanted, held)) {
                found = true;
                break;
            }
        if (!found)
            return false;
    }
    return true;
}

// Descendant combinators look this far up; with the step budget it keeps hostile selectors and
// deep pages from making matching quadratic.
constexpr size_t kAncestorWindow = 64;

bool MatchFrom(const TSelector& selector, size_t part, const std::vector<TElement>& stack,
               size_t index, int& budget) {
    if (--budget < 0)
        return false;
    if (!MatchCompound(selector.Parts[part], stack[index]))
        return false;
    if (part == 0)
        return true;
    if (index == 0)
        return false;
    if (selector.Combinators[part - 1] == '>')
        return MatchFrom(selector, part - 1, stack, index - 1, budget);
    const size_t lowest = index > kAncestorWindow ? index - kAncestorWindow : 0;
    for (size_t j = index; j-- > lowest;)
        if (MatchFrom(selector, part - 1, stack, j, budget))
            return true;
    return false;
}

struct TRank {
    int Important = 0, Inline = 0, Specificity = 0, Rule = 0, Position = 0;
    bool operator<(const TRank& o) const {
        return std::tie(Important, Inline, Specificity, Rule, Position) <
               std::tie(o.Important, o.Inline, o.Specificity, o.Rule, o.Position);
    }
};

// The winning value of each property for one element (shorthands of margin and font expanded,
// "font" itself kept too).
using TWinners = std::map<std::string, std::string>;

void Expand(const std::string& name, const std::string& value, TWinners& winners) {
    if (name == "margin" || name == "padding") {
        const auto parts = SplitSpaces(value);
        if (parts.empty() || parts.size() > 4)
            return;
        const std::string_view top = parts[0];
        const std::string_view right = parts.size() > 1 ? parts[1] : top;
        const std::string_view bottom = parts.size() > 2 ? parts[2] : top;
        const std::string_view left = parts.size() > 3 ? parts[3] : right;
        winners[name + "-top"] = std::string(top);
        winners[name + "-right"] = std::string(right);
        winners[name + "-bottom"] = std::string(bottom);
        winners[name + "-left"] = std::string(left);
        return;
    }
    winners[name] = value;
    if (name == "font") {
        if (const auto size = FontShorthandSize(value))
            winners["font-size"] = *size;
        const auto line = FontShorthandLineHeight(value);
        winners["line-height"] = line ? *line : "normal";
    }
}

class TStyleSet {
public:
    void Add(const std::vector<TRule>& rules) {
        for (const TRule& rule : rules) {
            const int index = static_cast<int>(Rules.size());
            Rules.push_back(rule);
            for (size_t s = 0; s < Rules.back().Selectors.size(); ++s) {
                const TCompound& last = Rules.back().Selectors[s].Parts.back();
                std::string key = !last.Id.empty()        ? "#" + LowerAscii(last.Id)
                                  : !last.Classes.empty() ? "." + LowerAscii(last.Classes[0])
                                  : !last.Tag.empty()     ? last.Tag
                                                          : "*";
                Index[key].push_back({index, static_cast<int>(s)});
            }
        }
    }

    bool Empty() const { return Rules.empty(); }

    // The declarations of the rules that match the top of the stack, with the inline ones,
    // applied in cascade order.
    TWinners Cascade(const std::vector<TElement>& stack,
                     const std::vector<TDeclaration>& inlineDeclarations) const {
        std::vector<std::pair<TRank, const TDeclaration*>> matched;
        const TElement& element = stack.back();
        auto visit = [&](const std::string& key) {
            const auto it = Index.find(key);
            if (it == Index.end())
                return;
            for (const auto& [ruleIndex, selectorIndex] : it->second) {
                const TRule& rule = Rules[static_cast<size_t>(ruleIndex)];
                const TSelector& selector = rule.Selectors[static_cast<size_t>(selectorIndex)];
                int budget = 4096;
                if (!MatchFrom(selector, selector.Parts.size() - 1, stack, stack.size() - 1,
                               budget))
                    continue;
                for (size_t d = 0; d < rule.Declarations.size(); ++d) {
                    TRank rank;
                    rank.Important = rule.Declarations[d].Important ? 1 : 0;
                    rank.Specificity = selector.Specificity;
                    rank.Rule = ruleIndex;
                    rank.Position = static_cast<int>(d);
                    matched.push_back({rank, &rule.Declarations[d]});
                }
            }
        };
        if (!Empty()) {
            if (!element.Id.empty())
                visit("#" + LowerAscii(element.Id));
            for (const std::string& c : element.Classes)
                visit("." + LowerAscii(c));
            visit(element.Tag);
            visit("*");
        }
        for (size_t d = 0; d < inlineDeclarations.size(); ++d) {
            TRank rank;
            rank.Important = inlineDeclarations[d].Important ? 1 : 0;
            rank.Inline = 1;
            rank.Position = static_cast<int>(d);
            matched.push_back({rank, &inlineDeclarations[d]});
        }
        std::stable_sort(matched.begin(), matched.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        TWinners winners;
        for (const auto& [rank, declaration] : matched)
            Expand(declaration->Name, declaration->Value, winners);
        return winners;
    }

private:
    std::vector<TRule> Rules;
    std::unordered_map<std::string, std::vector<std::pair<int, int>>> Index;
};

// ---- markup ----

struct TAttribute {
    std::string Name; // lower case
    std::string_view Value;
    std::string_view Raw; // the attribute as written
};

enum class TTokenKind { Text, StartTag, EndTag, Comment, Doctype, RawText };

struct TToken {
    TTokenKind Kind = TTokenKind::Text;
    std::string_view Raw;
    std::string Name; // tags: lower case
    std::vector<TAttribute> Attributes;
    bool SelfClosing = false;

    const TAttribute* Find(std::string_view name) const {
        for (const TAttribute& a : Attributes)
            if (a.Name == name)
                return &a;
        return nullptr;
    }
};

bool IsRawTextElement(const std::string& name) {
    return name == "script" || name == "style" || name == "textarea" || name == "title" ||
           name == "xmp";
}

class TTokenizer {
public:
    explicit TTokenizer(std::string_view source) : Source(source) {}

    bool Next(TToken& token) {
        token.Attributes.clear();
        token.Name.clear();
        token.SelfClosing = false;
        if (Pos >= Source.size())
            return false;
        if (!RawEnd.empty())
            return ReadRawText(token);
        if (Source[Pos] == '<' && ReadMarkup(token))
            return true;
        // Text up to the next '<' that opens markup.
        const size_t start = Pos;
        size_t i = Pos + 1;
        while (i < Source.size()) {
            const void* lt = std::memchr(Source.data() + i, '<', Source.size() - i);
            if (!lt) {
                i = Source.size();
                break;
            }
            i = static_cast<size_t>(static_cast<const char*>(lt) - Source.data());
            if (OpensMarkup(i))
                break;
            ++i;
        }
        token.Kind = TTokenKind::Text;
        token.Raw = Source.substr(start, i - start);
        Pos = i;
        return true;
    }

private:
    bool OpensMarkup(size_t i) const {
        if (i + 1 >= Source.size())
            return false;
        const char c = Source[i + 1];
        return IsLetter(c) || c == '!' || c == '?' ||
               (c == '/' && i + 2 < Source.size() && IsLetter(Source[i + 2]));
    }

    bool ReadRawText(TToken& token) {
        const size_t start = Pos;
        size_t i = Pos;
        const std::string closing = "</" + RawEnd;
        while (true) {
            i = Source.find("</", i);
            if (i == std::string_view::npos) {
                i = Source.size();
                break;
            }
            if (StartsWithAscii(Source.substr(i), closing) &&
                (i + closing.size() >= Source.size() || !IsNameChar(Source[i + closing.size()])))
                break;
            i += 2;
        }
        RawEnd.clear();
        token.Kind = TTokenKind::RawText;
        token.Raw = Source.substr(start, i - start);
        Pos = i;
        if (token.Raw.empty())
            return Next(token);
        return true;
    }

    bool ReadMarkup(TToken& token) {
        const size_t start = Pos;
        if (!OpensMarkup(start))
            return false;
        const char c = Source[start + 1];
        if (c == '!' || c == '?') {
            size_t end;
            if (Source.compare(start, 4, "<!--") == 0) {
                const auto close = Source.find("-->", start + 4);
                end = close == std::string_view::npos ? Source.size() : close + 3;
                token.Kind = TTokenKind::Comment;
            } else {
                const auto close = Source.find('>', start);
                end = close == std::string_view::npos ? Source.size() : close + 1;
                token.Kind = StartsWithAscii(Source.substr(start), "<!doctype")
                                 ? TTokenKind::Doctype
                                 : TTokenKind::Comment;
            }
            token.Raw = Source.substr(start, end - start);
            Pos = end;
            return true;
        }
        const bool isEnd = c == '/';
        size_t i = start + (isEnd ? 2 : 1);
        const size_t nameStart = i;
        while (i < Source.size() && (IsNameChar(Source[i]) || Source[i] == ':'))
            ++i;
        token.Name = LowerAscii(Source.substr(nameStart, i - nameStart));
        if (isEnd) {
            const auto close = Source.find('>', i);
            if (close == std::string_view::npos)
                return false;
            token.Kind = TTokenKind::EndTag;
            token.Raw = Source.substr(start, close + 1 - start);
            Pos = close + 1;
            return true;
        }
        while (true) {
            while (i < Source.size() && (IsSpace(Source[i]) || Source[i] == '/')) {
                if (Source[i] == '/' && i + 1 < Source.size() && Source[i + 1] == '>')
                    token.SelfClosing = true;
                ++i;
            }
            if (i >= Source.size())
                return false; // a tag cut by the end of the file: left as text
            if (Source[i] == '>')
                break;
            const size_t attrStart = i;
            while (i < Source.size() && !IsSpace(Source[i]) && Source[i] != '=' &&
                   Source[i] != '>' &&
                   !(Source[i] == '/' && i + 1 < Source.size() && Source[i + 1] == '>'))
                ++i;
            TAttribute attribute;
            attribute.Name = LowerAscii(Source.substr(attrStart, i - attrStart));
            size_t j = i;
            while (j < Source.size() && IsSpace(Source[j]))
                ++j;
            if (j < Source.size() && Source[j] == '=') {
                ++j;
                while (j < Source.size() && IsSpace(Source[j]))
                    ++j;
                if (j < Source.size() && (Source[j] == '"' || Source[j] == '\'')) {
                    const char quote = Source[j];
                    const auto close = Source.find(quote, j + 1);
                    if (close == std::string_view::npos)
                        return false;
                    attribute.Value = Source.substr(j + 1, close - j - 1);
                    i = close + 1;
                } else {
                    const size_t valueStart = j;
                    while (j < Source.size() && !IsSpace(Source[j]) && Source[j] != '>')
                        ++j;
                    attribute.Value = Source.substr(valueStart, j - valueStart);
                    i = j;
                }
            }
            attribute.Raw = Source.substr(attrStart, i - attrStart);
            if (attribute.Name.empty()) {
                ++i; // a stray character
                continue;
            }
            token.Attributes.push_back(attribute);
        }
        token.Kind = TTokenKind::StartTag;
        token.Raw = Source.substr(start, i + 1 - start);
        Pos = i + 1;
        if (!token.SelfClosing && IsRawTextElement(token.Name))
            RawEnd = token.Name;
        return true;
    }

    std::string_view Source;
    size_t Pos = 0;
    std::string RawEnd; // the element whose raw text comes next
};

bool IsVoid(const std::string& tag) {
    static const char* names[] = {"area",  "base", "basefont", "br",     "col",     "embed",
                                  "frame", "hr",   "img",      "input",  "isindex", "keygen",
                                  "link",  "meta", "param",    "source", "track",   "wbr"};
    for (const char* n : names)
        if (tag == n)
            return true;
    return false;
}

bool IsHeading(const std::string& tag) {
    return tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6';
}

// Blocks whose lines Qt lays out, so their alignment and line height are worth writing.
bool IsTextBlock(const std::string& tag) {
    static const char* names[] = {"p",      "div",     "li",  "dd", "dt", "blockquote",
                                  "center", "address", "pre", "td", "th", "caption"};
    for (const char* n : names)
        if (tag == n)
            return true;
    return IsHeading(tag);
}

// Elements whose align attribute means text alignment (on tables and pictures it floats them).
bool AlignIsTextAlign(const std::string& tag) {
    static const char* names[] = {"p",     "div",   "td",    "th",     "tr",
                                  "tbody", "thead", "tfoot", "caption"};
    for (const char* n : names)
        if (tag == n)
            return true;
    return IsHeading(tag);
}

bool IsTableTag(const std::string& tag) {
    return tag == "tr" || tag == "td" || tag == "th" || tag == "tbody" || tag == "thead" ||
           tag == "tfoot" || tag == "caption" || tag == "col" || tag == "colgroup";
}

std::string NormalAlign(std::string_view value) {
    const std::string v = LowerAscii(TrimView(value));
    if (v == "left" || v == "right" || v == "center" || v == "justify")
        return v;
    if (v == "start")
        return "left";
    if (v == "end")
        return "right";
    return {};
}

std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::optional<std::string> Unhex(std::string_view text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int hi = value(text[i]), lo = value(text[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::optional<int> PixelAttribute(const TToken& tag, std::string_view name) {
    const TAttribute* a = tag.Find(name);
    if (!a)
        return std::nullopt;
    const auto length = ParseLength(a->Value);
    if (!length || length->Value < 0 || (!length->Unit.empty() && length->Unit != "px"))
        return std::nullopt;
    return static_cast<int>(std::lround(std::min(length->Value, 16384.0)));
}

bool QuirksMode(std::string_view doctype) {
    if (doctype.empty())
        return true;
    const std::string d = LowerAscii(doctype);
    if (d.find("xhtml") != std::string::npos)
        return false;
    if (d.find("transitional") != std::string::npos || d.find("frameset") != std::string::npos)
        return d.find("http://") == std::string::npos;
    if (d.find("html 4.01") != std::string::npos || d.find("html 4.0") != std::string::npos)
        return false;
    const auto html = d.find("html");
    // "<!doctype html>" alone is the standards mode of today's pages.
    return !(html != std::string::npos && TrimView(d.substr(html + 4)) == ">");
}

// A start tag written again with some attributes replaced (a value) or removed (none), new ones
// added, and declarations appended to its style.
struct TTagEdit {
    std::string Name;
    std::map<std::string, std::optional<std::string>> Set;
    std::string Style;         // appended to the style attribute
    bool ReplaceStyle = false; // Style replaces the element's own
    bool Changed() const { return !Set.empty() || !Style.empty() || ReplaceStyle; }
};

std::string Quote(std::string_view value) {
    std::string out = "\"";
    for (char c : value)
        out += c == '"' ? std::string("&quot;") : std::string(1, c);
    return out + "\"";
}

void WriteTag(std::string& out, const TToken& tag, const TTagEdit& edit) {
    out += '<';
    out += edit.Name.empty() ? tag.Name : edit.Name;
    bool styleWritten = false;
    for (const TAttribute& a : tag.Attributes) {
        if (a.Name == "style" && (!edit.Style.empty() || edit.ReplaceStyle)) {
            if (styleWritten)
                continue;
            std::string style = edit.ReplaceStyle ? std::string() : std::string(a.Value);
            if (!style.empty() && TrimView(style).back() != ';')
                style += ';';
            style += edit.Style;
            out += " style=" + Quote(style);
            styleWritten = true;
            continue;
        }
        const auto it = edit.Set.find(a.Name);
        if (it != edit.Set.end()) {
            if (it->second)
                out += " " + a.Name + "=" + Quote(*it->second);
            continue;
        }
        out += ' ';
        out += a.Raw;
    }
    for (const auto& [name, value] : edit.Set)
        if (value && !tag.Find(name))
            out += " " + name + "=" + Quote(*value);
    if (!styleWritten && !edit.Style.empty())
        out += " style=" + Quote(edit.Style);
    if (tag.SelfClosing)
        out += " /";
    out += '>';
}

class TNormaliser {
public:
    TNormaliser(std::string_view html, double defaultFontPx, const TStyleSheetReader& reader)
        : Html(html), DefaultPx(defaultFontPx > 0 ? defaultFontPx : 16), Reader(reader) {}

    TNormalisedPage Run() {
        Gather();
        Rewrite();
        Page.BaseFontPx = BasePx;
        return std::move(Page);
    }

private:
    // Pass one: the style sheets in document order, the document mode and the body's font size.
    void Gather() {
        TTokenizer tokens(Html);
        TToken token;
        bool inStyle = false;
        bool styleApplies = true;
        std::vector<TRule> rules;
        std::vector<TDeclaration> bodyInline;
        TElement body = NamedElement("body");
        while (tokens.Next(token)) {
            if (token.Kind == TTokenKind::Doctype && !DoctypeSeen) {
                DoctypeSeen = true;
                Quirks = QuirksMode(token.Raw);
            } else if (token.Kind == TTokenKind::StartTag) {
                inStyle = token.Name == "style" && !token.SelfClosing;
                if (inStyle) {
                    const TAttribute* media = token.Find("media");
                    styleApplies = !media || ScreenMedia(media->Value);
                }
                if (token.Name == "link" && IsStyleSheetLink(token)) {
                    const TAttribute* href = token.Find("href");
                    const TAttribute* media = token.Find("media");
                    if (href && !href->Value.empty() && Reader) {
                        const std::string name(href->Value);
                        if (const auto css = Reader(name)) {
                            if (!media || ScreenMedia(media->Value))
                                ParseStyleSheet(*css, rules);
                            LinkedSheets.push_back({name, *css});
                        }
                    }
                } else if (token.Name == "body" && !BodySeen) {
                    BodySeen = true;
                    body = ElementOf(token);
                    if (const TAttribute* style = token.Find("style"))
                        bodyInline = ParseDeclarations(style->Value);
                }
            } else if (token.Kind == TTokenKind::RawText && inStyle) {
                if (styleApplies)
                    ParseStyleSheet(token.Raw, rules);
                inStyle = false;
            } else if (token.Kind == TTokenKind::EndTag) {
                inStyle = false;
            }
        }
        if (!DoctypeSeen)
            Quirks = true;
        Styles.Add(rules);
        // The body's font size is what relative values in the sheets start from.
        std::vector<TElement> stack;
        stack.push_back(NamedElement("html"));
        stack.back().FontPx = DefaultPx;
        const TWinners htmlStyle = Styles.Cascade(stack, {});
        if (const auto it = htmlStyle.find("font-size"); it != htmlStyle.end())
            if (const auto px = FontSizePx(it->second, DefaultPx, DefaultPx, DefaultPx))
                stack.back().FontPx = *px;
        RootPx = stack.back().FontPx;
        stack.push_back(body);
        const TWinners bodyStyle = Styles.Cascade(stack, bodyInline);
        BasePx = RootPx;
        if (const auto it = bodyStyle.find("font-size"); it != bodyStyle.end())
            if (const auto px = FontSizePx(it->second, RootPx, DefaultPx, RootPx))
                BasePx = *px;
        for (auto& [name, css] : LinkedSheets)
            Page.Sheets.push_back({name, NormaliseStyleSheet(css, BasePx)});
    }

    static bool IsStyleSheetLink(const TToken& tag) {
        const TAttribute* rel = tag.Find("rel");
        if (!rel)
            return false;
        for (std::string_view word : SplitSpaces(rel->Value))
            if (EqualAscii(word, "stylesheet"))
                return true;
        return false;
    }

    static TElement ElementOf(const TToken& tag) {
        TElement element;
        element.Tag = tag.Name;
        if (const TAttribute* id = tag.Find("id"))
            element.Id = std::string(TrimView(id->Value));
        if (const TAttribute* cls = tag.Find("class"))
            for (std::string_view c : SplitSpaces(cls->Value))
                element.Classes.emplace_back(c);
        return element;
    }

    // Pass two: the page written again.
    void Rewrite() {
        Out.reserve(Html.size() + Html.size() / 8);
        TTokenizer tokens(Html);
        TToken token;
        std::string rawTextOf;
        TElement root = NamedElement("html");
        root.FontPx = RootPx;
        Stack.push_back(root);
        while (tokens.Next(token)) {
            switch (token.Kind) {
            case TTokenKind::StartTag:
                rawTextOf = token.SelfClosing ? std::string() : token.Name;
                StartTag(token);
                break;
            case TTokenKind::EndTag:
                rawTextOf.clear();
                EndTag(token);
                break;
            case TTokenKind::RawText:
                if (rawTextOf == "style")
                    Out += NormaliseStyleSheet(token.Raw, BasePx);
                else
                    Out += token.Raw;
                rawTextOf.clear();
                break;
            default:
                rawTextOf.clear();
                if (token.Kind == TTokenKind::Text && !TrimView(token.Raw).empty())
                    Previous = TSibling::None;
                Out += token.Raw;
                break;
            }
        }
        // Elements the page left open that were written differently are closed as written.
        while (Stack.size() > 1)
            Pop();
        Page.Html = std::move(Out);
    }

    size_t FindOpen(const std::string& tag, bool withinTable) const {
        for (size_t i = Stack.size(); i-- > 1;) {
            if (Stack[i].Tag == tag)
                return i;
            if (withinTable && Stack[i].Tag == "table")
                return 0;
        }
        return 0;
    }

    // The open element inside the nearest scope boundary, for the closing rules of paragraphs.
    size_t FindInScope(const std::string& tag) const {
        for (size_t i = Stack.size(); i-- > 1;) {
            const std::string& t = Stack[i].Tag;
            if (t == tag)
                return i;
            if (t == "table" || t == "td" || t == "th" || t == "caption" || t == "button" ||
                t == "object" || t == "applet" || t == "marquee")
                return 0;
        }
        return 0;
    }

    void PopThrough(size_t index) {
        while (index > 0 && Stack.size() > index)
            Pop();
    }

    // Closes the top element; endTag is its own end tag when the page wrote one.
    void Pop(std::string_view endTag = {}) {
        const TElement& e = Stack.back();
        if (e.Renamed)
            Out += "</div>";
        else if (!e.Flattened)
            Out += endTag;
        if (e.Wrapped)
            Out += "</td></tr></table>";
        if (e.Wrapped || (e.Tag == "table" && !e.Flattened)) {
            Previous = TSibling::Table;
            PreviousBottom = e.MarginBottom;
        } else if (IsTextBlock(e.Tag) || e.Tag == "ul" || e.Tag == "ol" || e.Tag == "dl") {
            Previous = TSibling::Block;
            PreviousBottom = e.MarginBottom;
        }
        if (e.Tag == "table") {
            --TableDepth;
            if (e.Flattened)
                Out += "<br>";
        }
        Stack.pop_back();
    }

    // The closing that a start tag implies, as browsers do it.
    void CloseFor(const std::string& tag) {
        static const char* closesParagraph[] = {
            "address",  "article", "aside",  "blockquote", "center",  "dir", "div",  "dl",
            "fieldset", "figure",  "footer", "form",       "header",  "hr",  "main", "menu",
            "nav",      "ol",      "p",      "pre",        "section", "ul",  "li",   "dd",
            "dt",       "h1",      "h2",     "h3",         "h4",      "h5",  "h6"};
        bool closesP = tag == "table" && !Quirks;
        for (const char* t : closesParagraph)
            if (tag == t)
                closesP = true;
        if (closesP)
            PopThrough(FindInScope("p"));
        if (IsHeading(tag) && IsHeading(Stack.back().Tag))
            Pop();
        if (tag == "li") {
            for (size_t i = Stack.size(); i-- > 1;) {
                const std::string& t = Stack[i].Tag;
                if (t == "li") {
                    PopThrough(i);
                    break;
                }
                if (t == "ul" || t == "ol" || t == "table" || t == "td" || t == "th")
                    break;
            }
        } else if (tag == "dd" || tag == "dt") {
            for (size_t i = Stack.size(); i-- > 1;) {
                const std::string& t = Stack[i].Tag;
                if (t == "dd" || t == "dt") {
                    PopThrough(i);
                    break;
                }
                if (t == "dl" || t == "table")
                    break;
            }
        } else if (tag == "td" || tag == "th") {
            for (size_t i = Stack.size(); i-- > 1;) {
                const std::string& t = Stack[i].Tag;
                if (t == "td" || t == "th") {
                    PopThrough(i);
                    break;
                }
                if (t == "tr" || t == "table")
                    break;
            }
        } else if (tag == "tr" || tag == "tbody" || tag == "thead" || tag == "tfoot") {
            for (size_t i = Stack.size(); i-- > 1;) {
                const std::string& t = Stack[i].Tag;
                if (t == "tr" || t == "td" || t == "th" || t == "caption" ||
                    (tag != "tr" && (t == "tbody" || t == "thead" || t == "tfoot"))) {
                    PopThrough(i);
                    break;
                }
                if (t == "table")
                    break;
            }
        } else if (tag == "option" && Stack.back().Tag == "option") {
            Pop();
        }
    }

    bool InFlattenedTable() const {
        for (size_t i = Stack.size(); i-- > 1;)
            if (Stack[i].Tag == "table")
                return Stack[i].Flattened;
        return false;
    }

    void StartTag(const TToken& tag) {
        const std::string& name = tag.Name;
        if (name == "html" || name == "head" || name == "body") {
            if (name == "body")
                BodyTag(tag);
            else
                Out += tag.Raw;
            return;
        }
        CloseFor(name);
        const bool isVoid = IsVoid(name) || tag.SelfClosing;
        if (!isVoid && static_cast<int>(Stack.size()) >= kMaxElementNesting) {
            ++Dropped[name]; // too deep: the tag goes, its content stays
            return;
        }
        if (name == "table" && TableDepth >= kMaxTableNesting) {
            TElement e = Stack.back();
            e.Tag = "table";
            e.Flattened = true;
            e.Renamed = false;
            Stack.push_back(e);
            ++TableDepth;
            Out += "<br>";
            return;
        }
        if (IsTableTag(name) && InFlattenedTable()) {
            if (name == "td" || name == "th")
                Out += ' ';
            else if (name == "tr" || name == "caption")
                Out += "<br>";
            if (!isVoid) {
                TElement e = Stack.back();
                e.Tag = name;
                e.Flattened = true;
                e.Renamed = false;
                Stack.push_back(e);
            }
            return;
        }

        TElement element = ElementOf(tag);
        std::vector<TDeclaration> inlineDeclarations;
        if (const TAttribute* style = tag.Find("style"))
            inlineDeclarations = ParseDeclarations(style->Value);
        Stack.push_back(element);
        TElement& e = Stack.back();
        const TElement& up = Stack[Stack.size() - 2];
        const TWinners winners = Styles.Cascade(Stack, inlineDeclarations);
        TTagEdit edit;

        // Font size.
        const auto fontSize = winners.find("font-size");
        std::optional<double> ownFontPx;
        if (fontSize != winners.end())
            ownFontPx = FontSizePx(fontSize->second, up.FontPx, DefaultPx, RootPx);
        if (ownFontPx)
            e.FontPx = *ownFontPx;
        else if (IsHeading(name))
            e.FontPx = up.FontPx * HeadingScale(name);
        else if (name == "small")
            e.FontPx = up.FontPx / 1.2;
        else if (name == "big")
            e.FontPx = up.FontPx * 1.2;
        else if (name == "table" && Quirks)
            e.FontPx = DefaultPx; // the quirk: tables start again from the default size
        else
            e.FontPx = up.FontPx;

        // Line height: computed where declared, inherited as pixels or as a factor.
        e.Line = up.Line;
        if (name == "table" && Quirks)
            e.Line = TLineHeight{};
        if (const auto it = winners.find("line-height"); it != winners.end())
            if (const auto line = ParseLineHeight(it->second, e.FontPx, RootPx))
                e.Line = *line;

        // Text alignment: the element's own rule, then its align attribute, then inherited.
        const TAttribute* alignAttribute = AlignIsTextAlign(name) ? tag.Find("align") : nullptr;
        const auto textAlign = winners.find("text-align");
        const std::string cssAlign =
            textAlign == winners.end() ? "" : NormalAlign(textAlign->second);
        if (!cssAlign.empty()) {
            e.Align = cssAlign;
            e.AlignFromCss = true;
        } else if (alignAttribute && !NormalAlign(alignAttribute->Value).empty()) {
            e.Align = NormalAlign(alignAttribute->Value);
            e.AlignFromCss = false;
        } else if (name == "center") {
            e.Align = "center";
            e.AlignFromCss = false;
        } else if (name == "table" && Quirks) {
            e.Align.clear();
            e.AlignFromCss = false;
        } else {
            e.Align = up.Align;
            e.AlignFromCss = up.AlignFromCss;
        }

        // Every heading: Qt's own heading sizes are not a browser's either.
        const bool heading = IsHeading(name);
        if (IsTextBlock(name) && name != "center") {
            if (!cssAlign.empty())
                edit.Set["align"] = cssAlign;
            else if (!alignAttribute && e.AlignFromCss && !e.Align.empty())
                edit.Set["align"] = e.Align;
            if (e.Line.Kind != TLineHeight::TKind::Normal && !heading)
                edit.Style += " line-height: " + Px(LineHeightPx(e.Line, e.FontPx)) + ";";
        }
        if (ownFontPx && !heading && IsRelativeFontSize(fontSize->second))
            edit.Style += " font-size: " + Px(*ownFontPx) + ";";

        std::string before; // written in front of the element
        if (heading)
            Restyle(tag, winners, e, edit);
        else if (IsPaddedBlock(name))
            Padding(name, winners, e, edit, before);
        else if (name == "img")
            Picture(tag, winners, e, edit);
        else if (name == "link" && IsStyleSheetLink(tag)) {
            // Qt loads a linked sheet only when its type is exactly "text/css".
            const TAttribute* type = tag.Find("type");
            if (!type ||
                (EqualAscii(TrimView(type->Value), "text/css") && type->Value != "text/css"))
                edit.Set["type"] = std::string("text/css");
        }
        if (!heading && !e.Wrapped && e.MarginBottom == 0) {
            double defaults[4];
            DefaultMargins(name, e.FontPx, defaults);
            e.MarginBottom = OwnMargin(winners, "margin-bottom", defaults[2], e.FontPx);
        }
        if (!heading && !e.Wrapped && Previous == TSibling::Table &&
            (IsTextBlock(name) || name == "ul" || name == "ol" || name == "dl")) {
            double defaults[4];
            DefaultMargins(name, e.FontPx, defaults);
            const double own = OwnMargin(winners, "margin-top", defaults[0], e.FontPx);
            if (const double top = BlockTop(own); top != own)
                edit.Style += " margin-top: " + Px(top) + ";";
        }
        if (name == "table") {
            ++TableDepth;
            const double own = OwnMargin(winners, "margin-top", 0, e.FontPx);
            if (const double top = SiblingTop(own); top != own)
                edit.Style += " margin-top: " + Px(top) + ";";
        }
        Previous = TSibling::None;

        Out += before;
        if (edit.Changed())
            WriteTag(Out, tag, edit);
        else
            Out += tag.Raw;
        if (isVoid)
            Stack.pop_back();
    }

    static double HeadingScale(const std::string& tag) {
        static const double scales[] = {2.0, 1.5, 1.17, 1.0, 0.83, 0.67};
        return scales[tag[1] - '1'];
    }

    static double HeadingMarginEm(const std::string& tag) {
        static const double margins[] = {0.67, 0.83, 1.0, 1.33, 1.67, 2.33};
        return margins[tag[1] - '1'];
    }

    // A heading with its own font size becomes a block that carries all of its declarations,
    // since Qt keeps a heading's size whatever CSS says.
    void Restyle(const TToken& tag, const TWinners& winners, TElement& e, TTagEdit& edit) {
        e.Renamed = true;
        edit.Name = "div";
        edit.ReplaceStyle = true;
        std::string style;
        if (const auto it = winners.find("font"); it != winners.end())
            style += " font: " + it->second + ";";
        for (const auto& [property, value] : winners) {
            if (property == "font" || property == "font-size" || property == "line-height" ||
                property == "text-align" || property.rfind("margin-", 0) == 0)
                continue;
            style += " " + property + ": " + value + ";";
        }
        style += " font-size: " + Px(e.FontPx) + ";";
        if (!winners.count("font-weight"))
            style += " font-weight: bold;";
        const double margin = HeadingMarginEm(tag.Name) * e.FontPx;
        for (const char* side : {"margin-top", "margin-bottom", "margin-left", "margin-right"}) {
            const auto it = winners.find(side);
            double px = (side == std::string("margin-top") || side == std::string("margin-bottom"))
                            ? margin
                            : 0;
            if (it != winners.end())
                if (const auto length = ParseLength(it->second))
                    if (const auto value = LengthPx(*length, e.FontPx, RootPx))
                        px = *value;
            if (side == std::string("margin-top"))
                px = BlockTop(px);
            style += std::string(" ") + side + ": " + Px(px) + ";";
            if (side == std::string("margin-bottom"))
                e.MarginBottom = px;
        }
        // A block rule the heading does not have would reach it as a block: the properties a
        // paragraph-like rule sets are put back to a heading's own.
        TElement asBlock = e;
        asBlock.Tag = "div";
        std::vector<TElement> probe(Stack.begin(), Stack.end() - 1);
        probe.push_back(asBlock);
        const TWinners blockRules = Styles.Cascade(probe, {});
        static const std::pair<const char*, const char*> neutral[] = {
            {"text-indent", "0px"},
            {"padding-top", "0px"},
            {"padding-bottom", "0px"},
            {"padding-left", "0px"},
            {"padding-right", "0px"},
            {"font-style", "normal"},
            {"background-color", "transparent"}};
        for (const auto& [property, value] : neutral)
            if (blockRules.count(property) && !winners.count(property))
                style += std::string(" ") + property + ": " + value + ";";
        if (e.Line.Kind != TLineHeight::TKind::Normal)
            style += " line-height: " + Px(LineHeightPx(e.Line, e.FontPx)) + ";";
        edit.Style = style;
    }

    static bool IsPaddedBlock(const std::string& tag) {
        return tag == "p" || tag == "div" || tag == "blockquote" || tag == "address" ||
               tag == "pre" || tag == "center" || tag == "dd" || tag == "dt";
    }

    // The top margin a table needs for Qt to leave the gap a browser leaves after its sibling.
    double SiblingTop(double own) const {
        if (Previous == TSibling::Block)
            return std::max(own, PreviousBottom);
        if (Previous == TSibling::Table)
            return std::max(0.0, std::max(own, PreviousBottom) - PreviousBottom);
        return own;
    }

    // The top margin a block needs after a table: Qt adds the table's bottom margin to it.
    double BlockTop(double own) const {
        if (Previous == TSibling::Table)
            return std::max(0.0, std::max(own, PreviousBottom) - PreviousBottom);
        return own;
    }

    double OwnMargin(const TWinners& winners, const char* side, double fallback,
                     double fontPx) const {
        const auto it = winners.find(side);
        if (it == winners.end())
            return fallback;
        if (const auto length = ParseLength(it->second))
            if (const auto px = LengthPx(*length, fontPx, RootPx))
                return std::clamp(*px, -4096.0, 4096.0);
        return fallback;
    }

    // A browser's own margins of a block: top, right, bottom, left in pixels.
    static void DefaultMargins(const std::string& tag, double fontPx, double margins[4]) {
        margins[0] = margins[1] = margins[2] = margins[3] = 0;
        if (tag == "p" || tag == "blockquote" || tag == "pre" || tag == "ul" || tag == "ol" ||
            tag == "dl")
            margins[0] = margins[2] = fontPx;
        if (tag == "blockquote")
            margins[1] = margins[3] = 40;
        if (tag == "dd")
            margins[3] = 40;
    }

    // Qt draws no padding around a block. Without a background it is margin all the same; on a
    // background the block goes into a one-cell table, whose cell padding Qt does draw.
    void Padding(const std::string& name, const TWinners& winners, TElement& e, TTagEdit& edit,
                 std::string& before) {
        static const char* sides[4] = {"-top", "-right", "-bottom", "-left"};
        double padding[4] = {0, 0, 0, 0};
        bool padded = false;
        for (int s = 0; s < 4; ++s) {
            const auto it = winners.find(std::string("padding") + sides[s]);
            if (it == winners.end())
                continue;
            if (const auto length = ParseLength(it->second))
                if (const auto px = LengthPx(*length, e.FontPx, RootPx))
                    padding[s] = ClampPx(*px);
            padded = padded || padding[s] > 0;
        }
        if (!padded)
            return;
        double margin[4];
        DefaultMargins(name, e.FontPx, margin);
        for (int s = 0; s < 4; ++s) {
            const auto it = winners.find(std::string("margin") + sides[s]);
            if (it == winners.end())
                continue;
            if (const auto length = ParseLength(it->second))
                if (const auto px = LengthPx(*length, e.FontPx, RootPx))
                    margin[s] = std::clamp(*px, -4096.0, 4096.0);
        }
        std::string background;
        if (const auto it = winners.find("background-color"); it != winners.end())
            background = std::string(TrimView(it->second));
        else if (const auto all = winners.find("background"); all != winners.end())
            if (const auto parts = SplitSpaces(all->second); parts.size() == 1)
                background = std::string(parts[0]);
        if (EqualAscii(background, "transparent") || EqualAscii(background, "inherit"))
            background.clear();
        auto px = [](double v) { return Px(v); };
        if (background.empty() || TableDepth + 1 >= kMaxTableNesting) {
            for (int s = 0; s < 4; ++s)
                edit.Style +=
                    std::string(" margin") + sides[s] + ": " + px(margin[s] + padding[s]) + ";";
            edit.Style += " padding: 0px;";
            e.MarginBottom = margin[2] + padding[2];
            return;
        }
        e.Wrapped = true;
        e.MarginBottom = margin[2];
        margin[0] = SiblingTop(margin[0]);
        before = "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" bgcolor=" +
                 Quote(background) + " style=\"margin-top: " + px(margin[0]) +
                 "; margin-right: " + px(margin[1]) + "; margin-bottom: " + px(margin[2]) +
                 "; margin-left: " + px(margin[3]) +
                 "\"><tr><td style=\"padding: " + px(padding[0]) + " " + px(padding[1]) + " " +
                 px(padding[2]) + " " + px(padding[3]) + "\">";
        edit.Style += " margin: 0px; padding: 0px; background-color: transparent;";
    }

    // Floats from CSS become the align attribute; spacing becomes padding drawn into the
    // picture.
    void Picture(const TToken& tag, const TWinners& winners, const TElement& e, TTagEdit& edit) {
        if (const auto it = winners.find("float"); it != winners.end()) {
            const std::string f = LowerAscii(TrimView(it->second));
            if (f == "left" || f == "right")
                edit.Set["align"] = f;
            else if (f == "none")
                if (const TAttribute* align = tag.Find("align"))
                    if (EqualAscii(align->Value, "left") || EqualAscii(align->Value, "right"))
                        edit.Set["align"] = std::nullopt;
        }
        const int hspace = PixelAttribute(tag, "hspace").value_or(0);
        const int vspace = PixelAttribute(tag, "vspace").value_or(0);
        int sides[4] = {vspace, hspace, vspace, hspace}; // top, right, bottom, left
        const char* names[4] = {"margin-top", "margin-right", "margin-bottom", "margin-left"};
        for (int s = 0; s < 4; ++s) {
            const auto it = winners.find(names[s]);
            if (it == winners.end())
                continue;
            if (const auto length = ParseLength(it->second))
                if (const auto px = LengthPx(*length, e.FontPx, RootPx))
                    sides[s] = static_cast<int>(std::lround(ClampPx(*px)));
        }
        const TAttribute* src = tag.Find("src");
        if (!src || src->Value.empty() || (!sides[0] && !sides[1] && !sides[2] && !sides[3]))
            return;
        TPaddedPicture padded;
        padded.Source = std::string(src->Value);
        padded.Top = sides[0];
        padded.Right = sides[1];
        padded.Bottom = sides[2];
        padded.Left = sides[3];
        const auto width = PixelAttribute(tag, "width");
        const auto height = PixelAttribute(tag, "height");
        padded.Width = width.value_or(0);
        padded.Height = height.value_or(0);
        edit.Set["src"] = PaddedPictureName(padded);
        if (width)
            edit.Set["width"] = std::to_string(*width + padded.Left + padded.Right);
        if (height)
            edit.Set["height"] = std::to_string(*height + padded.Top + padded.Bottom);
        edit.Set["hspace"] = std::nullopt;
        edit.Set["vspace"] = std::nullopt;
    }

    // The body's margins go to the root frame, where they hold floats too.
    void BodyTag(const TToken& tag) {
        TElement element = ElementOf(tag);
        element.FontPx = BasePx;
        std::vector<TDeclaration> inlineDeclarations;
        if (const TAttribute* style = tag.Find("style"))
            inlineDeclarations = ParseDeclarations(style->Value);
        if (Stack.size() == 1 && !BodyOpen) {
            BodyOpen = true;
            Stack.push_back(element);
            const TWinners winners = Styles.Cascade(Stack, inlineDeclarations);
            TElement& e = Stack.back();
            if (const auto it = winners.find("line-height"); it != winners.end())
                if (const auto line = ParseLineHeight(it->second, e.FontPx, RootPx))
                    e.Line = *line;
            if (const auto it = winners.find("text-align"); it != winners.end()) {
                e.Align = NormalAlign(it->second);
                e.AlignFromCss = !e.Align.empty();
            }
            TPageMargins& m = Page.Margins;
            auto attribute = [&](const char* name, int& side) {
                if (const auto px = PixelAttribute(tag, name))
                    side = std::min(*px, 4096);
            };
            attribute("marginwidth", m.Left);
            attribute("marginwidth", m.Right);
            attribute("marginheight", m.Top);
            attribute("marginheight", m.Bottom);
            attribute("leftmargin", m.Left);
            attribute("rightmargin", m.Right);
            attribute("topmargin", m.Top);
            attribute("bottommargin", m.Bottom);
            const std::pair<const char*, int*> sides[] = {{"margin-left", &m.Left},
                                                          {"margin-top", &m.Top},
                                                          {"margin-right", &m.Right},
                                                          {"margin-bottom", &m.Bottom}};
            for (const auto& [name, side] : sides) {
                const auto it = winners.find(name);
                if (it == winners.end())
                    continue;
                if (const auto length = ParseLength(it->second))
                    if (const auto px = LengthPx(*length, e.FontPx, RootPx))
                        *side = static_cast<int>(std::lround(ClampPx(*px)));
            }
        }
        TTagEdit edit;
        edit.Style = " margin: 0px;";
        WriteTag(Out, tag, edit);
    }

    void EndTag(const TToken& tag) {
        const std::string& name = tag.Name;
        if (auto it = Dropped.find(name); it != Dropped.end() && it->second > 0) {
            --it->second;
            return;
        }
        if (name == "html" || name == "head" || name == "body") {
            Out += tag.Raw;
            return;
        }
        const size_t open = FindOpen(name, IsTableTag(name));
        if (open == 0) {
            Out += tag.Raw;
            return;
        }
        // The elements above it are closed first, as the page implies.
        while (Stack.size() > open + 1)
            Pop();
        Pop(tag.Raw);
    }

    std::string_view Html;
    double DefaultPx;
    const TStyleSheetReader& Reader;
    TStyleSet Styles;
    std::vector<std::pair<std::string, std::string>> LinkedSheets;
    bool DoctypeSeen = false;
    bool Quirks = true;
    bool BodySeen = false;
    bool BodyOpen = false;
    double RootPx = 16;
    double BasePx = 16;
    std::vector<TElement> Stack;
    int TableDepth = 0;
    // What ended just before the current tag, for the margins between siblings that Qt does
    // not collapse: it drops a block's bottom margin before a table, and adds a table's to the
    // next table's.
    enum class TSibling { None, Block, Table } Previous = TSibling::None;
    double PreviousBottom = 0;
    std::unordered_map<std::string, int> Dropped;
    std::string Out;
    TNormalisedPage Page;
};

} // namespace

TNormalisedPage NormalisePage(std::string_view html, double defaultFontPx,
                              const TStyleSheetReader& readSheet) {
    return TNormaliser(html, defaultFontPx, readSheet).Run();
}

std::string NormaliseStyleSheet(std::string_view css, double baseFontPx) {
    const std::string clean = WithoutComments(css);
    std::string out;
    out.reserve(clean.size());
    WalkStyleSheet(
        clean,
        [&](std::string_view, std::string_view body) { out += NormaliseBlock(body, baseFontPx); },
        [&](std::string_view text) { out += text; });
    return out;
}

std::string PaddedPictureName(const TPaddedPicture& p) {
    return std::string(kPaddedPictureScheme) + std::to_string(p.Left) + "," +
           std::to_string(p.Top) + "," + std::to_string(p.Right) + "," + std::to_string(p.Bottom) +
           "," + std::to_string(p.Width) + "," + std::to_string(p.Height) + "," + Hex(p.Source);
}

std::optional<TPaddedPicture> ParsePaddedPictureName(std::string_view name) {
    if (!StartsWithAscii(name, kPaddedPictureScheme))
        return std::nullopt;
    name.remove_prefix(kPaddedPictureScheme.size());
    int values[6];
    for (int& v : values) {
        const auto comma = name.find(',');
        if (comma == std::string_view::npos || comma == 0 || comma > 5)
            return std::nullopt;
        v = 0;
        for (char c : name.substr(0, comma)) {
            if (!IsDigit(c))
                return std::nullopt;
            v = v * 10 + (c - '0');
        }
        name.remove_prefix(comma + 1);
    }
    const auto source = Unhex(name);
    if (!source)
        return std::nullopt;
    TPaddedPicture p;
    p.Left = values[0];
    p.Top = values[1];
    p.Right = values[2];
    p.Bottom = values[3];
    p.Width = values[4];
    p.Height = values[5];
    p.Source = *source;
    return p;
}
