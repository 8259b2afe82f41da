#include "search/TokenDump.h"

#include "platform/Codec1251.h"
#include "search/HtmlParser.h"

std::string EscapeToken(std::string_view text) {
    const std::string utf8 = cp1251::ToUtf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string DumpTokens(std::string_view document, bool blocks) {
    std::string out;
    auto token = [&out](const char* event) {
        return [&out, event](TLegHtmlParser&, std::string_view text) {
            out += event;
            out += '\t';
            out += EscapeToken(text);
            out += '\n';
        };
    };
    TLegHtmlParser parser;
    if (blocks)
        parser.OnBlock = token("OnBlock");
    parser.OnText = token("OnText");
    parser.OnComment = token("OnComment");
    parser.OnScript = token("OnScript");
    parser.OnDTDTag = token("OnDTDTag");
    parser.OnTag = [&out](TLegHtmlParser&, std::string_view tag,
                          const THtmlAttributes& attributes) {
        out += "OnTag\t";
        out += EscapeToken(tag);
        for (size_t i = 0; i < attributes.size(); ++i) {
            out += '\t';
            out += EscapeToken(attributes.Line(i));
        }
        out += '\n';
    };
    parser.OnError = [&out](TLegHtmlParser&, int error, size_t position, bool&) {
        out += "OnError\t" + std::to_string(error) + '\t' + std::to_string(position) + '\n';
    };
    parser.LoadContent(document);
    parser.Parse();
    return out;
}
