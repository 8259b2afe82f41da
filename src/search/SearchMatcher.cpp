#include "search/SearchMatcher.h"

#include "platform/Codec1251.h"

#include <cstring>

void TSearchMatcher::SetSearchText(std::string_view searchText) {
    Find = cp1251::Lower(searchText);
}

void TSearchMatcher::Attach(TLegHtmlParser& parser) {
    parser.OnTag = [this](TLegHtmlParser&, std::string_view tag, const THtmlAttributes&) {
        Tag(tag);
    };
    parser.OnText = [this](TLegHtmlParser& sender, std::string_view token) {
        if (Text(token))
            sender.StopParse(); // the rest of the document cannot change the answer
    };
}

void TSearchMatcher::Tag(std::string_view tag) {
    if (tag == "title")
        InTitleElement = true;
    else if (tag == "/title")
        InTitleElement = false;
}

bool TSearchMatcher::Text(std::string_view token) {
    if (InTitleElement)
        return false;
    Matched = ContainsFolded(token, Find, Scratch);
    return Matched;
}

bool TSearchMatcher::MatchDocument(TLegHtmlParser& parser, std::string_view document) {
    Attach(parser);
    BeginDocument();
    parser.LoadContent(document);
    parser.Parse();
    return Matched;
}

bool TSearchMatcher::ContainsFolded(std::string_view text, std::string_view lowerNeedle,
                                    std::string& scratch) {
    if (lowerNeedle.empty() || text.size() < lowerNeedle.size())
        return false;
    scratch.resize(text.size());
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    auto* out = reinterpret_cast<unsigned char*>(scratch.data());
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = cp1251::kLower[in[i]];
    return memmem(scratch.data(), text.size(), lowerNeedle.data(), lowerNeedle.size()) != nullptr;
}

TIndexLine SplitIndexLine(std::string_view line) {
    const size_t at = line.find("#;#");
    if (at == std::string_view::npos)
        return {line, {}};
    return {line.substr(0, at), line.substr(at + 3)};
}
