// The normalising pass between a document's bytes and Qt's text document: line heights, text
// alignment, headings, picture spacing, body margins, style sheet links, nesting limits, and
// malformed pages.

#include "viewer/HtmlLoader.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

TNormalisedPage Normalise(const std::string& html,
                          const std::map<std::string, std::string>& sheets = {}) {
    return NormalisePage(html, 16, [&](const std::string& href) -> std::optional<std::string> {
        const auto it = sheets.find(href);
        if (it == sheets.end())
            return std::nullopt;
        return it->second;
    });
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The start tag of the first element that carries the marker text right after it.
std::string TagBefore(const std::string& html, const std::string& marker) {
    const auto at = html.find(marker);
    if (at == std::string::npos)
        return {};
    const auto open = html.rfind('<', at);
    return open == std::string::npos ? std::string() : html.substr(open, at - open);
}

struct TLineCase {
    const char* Css;
    const char* Html;
    const char* Expected; // in the tag before "X"
};

TEST(HtmlLoaderTest, LineHeightsBecomePixelsOnTextBlocks) {
    const TLineCase cases[] = {
        {"p { line-height: 150% }", "<p>X</p>", "line-height: 24px"},
        {"p { line-height: 1.5em }", "<p>X</p>", "line-height: 24px"},
        {"p { line-height: 1.5 }", "<p>X</p>", "line-height: 24px"},
        {"p { line-height: 20px }", "<p>X</p>", "line-height: 20px"},
        // Per cent and em are taken of the element's own font size.
        {"p { font-size: 20px; line-height: 150% }", "<p>X</p>", "line-height: 30px"},
        // A bare factor inherits as a factor: the child's own size counts.
        {"div { line-height: 2 } p { font-size: 10px }", "<div><p>X</p></div>",
         "line-height: 20px"},
        // A percentage inherits as the pixels computed where it was declared.
        {"div { line-height: 200% } p { font-size: 10px }", "<div><p>X</p></div>",
         "line-height: 32px"},
        {"", "<p style=\"line-height: 125%\">X</p>", "line-height: 20px"},
        {"body { line-height: 150% }", "<body><p>X</p></body>", "line-height: 24px"},
    };
    for (const TLineCase& c : cases) {
        SCOPED_TRACE(std::string(c.Css) + " | " + c.Html);
        const auto page = Normalise(std::string("<html><head><style>") + c.Css + "</style></head>" +
                                    c.Html + "</html>");
        EXPECT_NE(TagBefore(page.Html, "X").find(c.Expected), std::string::npos) << page.Html;
    }
}

TEST(HtmlLoaderTest, StyleSheetsKeepTheirRulesWithLineHeightsInPixels) {
    const std::string css = NormaliseStyleSheet(
        "p { line-height: 150%; color: red }\n.big { font-size: 20px; line-height: 2 }\n", 16);
    EXPECT_NE(css.find("line-height: 24px"), std::string::npos) << css;
    EXPECT_NE(css.find("line-height: 40px"), std::string::npos) << css;
    EXPECT_NE(css.find("color: red"), std::string::npos) << css;
    EXPECT_EQ(NormaliseStyleSheet("p { color: red }", 16), "p { color: red }");
}

struct TAlignCase {
    const char* Css;
    const char* Html;
    const char* Expected; // the align attribute of the tag before "X"; "" for none
};

TEST(HtmlLoaderTest, CssTextAlignBecomesTheAlignAttribute) {
    const TAlignCase cases[] = {
        {"p { text-align: justify }", "<p>X</p>", "justify"},
        {".j { text-align: justify }", "<p class=\"j\">X</p>", "justify"},
        {"", "<p style=\"text-align: right\">X</p>", "right"},
        // The style sheet beats the attribute, as in a browser.
        {"p { text-align: justify }", "<p align=\"left\">X</p>", "justify"},
        // An inherited alignment from CSS reaches the inner block.
        {"div { text-align: center }", "<div><p>X</p></div>", "center"},
        {"", "<p align=\"right\">X</p>", "right"},
        {"", "<p>X</p>", ""},
    };
    for (const TAlignCase& c : cases) {
        SCOPED_TRACE(std::string(c.Css) + " | " + c.Html);
        const auto page =
            Normalise(std::string("<style>") + c.Css + "</style><body>" + c.Html + "</body>");
        const std::string tag = TagBefore(page.Html, "X");
        if (*c.Expected) {
            EXPECT_NE(tag.find(std::string("align=\"") + c.Expected + "\""), std::string::npos)
                << tag;
        } else {
            EXPECT_EQ(tag.find("align"), std::string::npos) << tag;
        }
        EXPECT_EQ(Count(tag, "align="), *c.Expected ? 1u : 0u) << tag;
    }
}

TEST(HtmlLoaderTest, AHeadingWithAFontSizeBecomesAStyledBlock) {
    const auto page = Normalise("<style>h1 { font-size: 20px; color: #800000 }</style>"
                                "<body><h1>Title</h1><p>after</p></body>");
    const std::string tag = TagBefore(page.Html, "Title");
    EXPECT_EQ(tag.rfind("<div", 0), 0u) << page.Html;
    EXPECT_NE(tag.find("font-size: 20px"), std::string::npos) << tag;
    EXPECT_NE(tag.find("font-weight: bold"), std::string::npos) << tag;
    EXPECT_NE(tag.find("color: #800000"), std::string::npos) << tag;
    // Closed as written, and the page goes on as a paragraph.
    EXPECT_NE(page.Html.find("Title</div>"), std::string::npos) << page.Html;
    EXPECT_EQ(Count(page.Html, "<h1"), 0u);
    EXPECT_EQ(Count(page.Html, "</h1>"), 0u);
    EXPECT_EQ(TagBefore(page.Html, "after"), "<p>");

    // A relative size is taken of the parent's: 1.5em of a 20px body.
    const auto relative = Normalise("<style>body { font-size: 20px } h2 { font-size: 1.5em }"
                                    "</style><body><h2>X</h2></body>");
    EXPECT_NE(TagBefore(relative.Html, "X").find("font-size: 30px"), std::string::npos)
        << relative.Html;
}

TEST(HtmlLoaderTest, PictureSpacingBecomesPaddingOfThePicture) {
    struct TCase {
        const char* Html;
        TPaddedPicture Expected;
        const char* Width;
        const char* Height;
    } cases[] = {
        {"<img src=\"pic/a.png\" hspace=\"5\" vspace=\"3\" width=\"10\" height=\"20\">",
         {"pic/a.png", 5, 3, 5, 3, 10, 20},
         "20",
         "26"},
        {"<img src=\"a.gif\" hspace=4>", {"a.gif", 4, 0, 4, 0, 0, 0}, nullptr, nullptr},
        {"<img src=\"a.gif\" style=\"margin: 1px 2px 3px 4px\">",
         {"a.gif", 4, 1, 2, 3, 0, 0},
         nullptr,
         nullptr},
        // CSS margins beat hspace and vspace.
        {"<img src=\"a.gif\" hspace=9 vspace=9 style=\"margin-left: 2px\">",
         {"a.gif", 2, 9, 9, 9, 0, 0},
         nullptr,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Html);
        const auto page = Normalise(std::string("<body>") + c.Html + "</body>");
        const auto start = page.Html.find("<img");
        ASSERT_NE(start, std::string::npos) << page.Html;
        const std::string tag = page.Html.substr(start, page.Html.find('>', start) - start + 1);
        EXPECT_EQ(tag.find("hspace"), std::string::npos) << tag;
        EXPECT_EQ(tag.find("vspace"), std::string::npos) << tag;
        const auto src = tag.find("src=\"");
        ASSERT_NE(src, std::string::npos) << tag;
        const auto end = tag.find('"', src + 5);
        const auto padded = ParsePaddedPictureName(tag.substr(src + 5, end - src - 5));
        ASSERT_TRUE(padded.has_value()) << tag;
        EXPECT_EQ(padded->Source, c.Expected.Source);
        EXPECT_EQ(padded->Left, c.Expected.Left);
        EXPECT_EQ(padded->Top, c.Expected.Top);
        EXPECT_EQ(padded->Right, c.Expected.Right);
        EXPECT_EQ(padded->Bottom, c.Expected.Bottom);
        EXPECT_EQ(padded->Width, c.Expected.Width);
        EXPECT_EQ(padded->Height, c.Expected.Height);
        if (c.Width) {
            EXPECT_NE(tag.find(std::string("width=\"") + c.Width + "\""), std::string::npos) << tag;
        }
        if (c.Height) {
            EXPECT_NE(tag.find(std::string("height=\"") + c.Height + "\""), std::string::npos)
                << tag;
        }
    }
    // A picture without spacing is left as written.
    const auto plain = Normalise("<body><img src=\"a.gif\" width=3></body>");
    EXPECT_NE(plain.Html.find("<img src=\"a.gif\" width=3>"), std::string::npos) << plain.Html;
}

TEST(HtmlLoaderTest, PaddedPictureNamesRoundTripAndRejectJunk) {
    const TPaddedPicture picture{"dir\\Рис 1.png", 1, 2, 3, 4, 50, 60};
    const auto back = ParsePaddedPictureName(PaddedPictureName(picture));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Source, picture.Source);
    EXPECT_EQ(back->Left, 1);
    EXPECT_EQ(back->Bottom, 4);
    EXPECT_EQ(back->Height, 60);
    for (const char* junk : {"a.png", "chitalka-pad:", "chitalka-pad:1,2,3,4,5,6,6",
                             "chitalka-pad:1,2,3,4,5,6,zz", "chitalka-pad:1,2,x,4,5,6,61",
                             "chitalka-pad:999999,2,3,4,5,6,61", "chitalka-pad:,2,3,4,5,6,61"}) {
        SCOPED_TRACE(junk);
        EXPECT_FALSE(ParsePaddedPictureName(junk).has_value());
    }
}

TEST(HtmlLoaderTest, BodyMarginsGoToThePageMargins) {
    struct TCase {
        const char* Head;
        const char* Body;
        TPageMargins Expected;
    } cases[] = {
        {"", "<body>", {8, 8, 8, 8}},
        {"", "<body leftmargin=0 topmargin=5>", {0, 5, 8, 8}},
        {"", "<body marginwidth=\"3\" marginheight=\"4\">", {3, 4, 3, 4}},
        {"<style>body { margin: 10px 20px }</style>", "<body>", {20, 10, 20, 10}},
        {"<style>body { margin: 0 }</style>", "<body leftmargin=30>", {0, 0, 0, 0}},
        {"", "<body style=\"margin-left: 2em\">", {32, 8, 8, 8}},
        {"", "<body style=\"margin: 99999px\">", {4096, 4096, 4096, 4096}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Head) + c.Body);
        const auto page = Normalise(std::string("<html><head>") + c.Head + "</head>" + c.Body +
                                    "<p>text</p></body></html>");
        EXPECT_EQ(page.Margins.Left, c.Expected.Left);
        EXPECT_EQ(page.Margins.Top, c.Expected.Top);
        EXPECT_EQ(page.Margins.Right, c.Expected.Right);
        EXPECT_EQ(page.Margins.Bottom, c.Expected.Bottom);
        // The body's own margins are left to the root frame.
        const auto body = page.Html.find("<body");
        ASSERT_NE(body, std::string::npos);
        const std::string tag = page.Html.substr(body, page.Html.find('>', body) - body);
        EXPECT_NE(tag.find("margin: 0px;\""), std::string::npos) << page.Html;
    }
}

TEST(HtmlLoaderTest, AStyleSheetLinkWithoutATypeIsGivenOne) {
    std::vector<std::string> asked;
    const std::string html = "<html><head><link rel=\"stylesheet\" href=\"css/s.css\">"
                             "<link rel=\"StyleSheet\" type=\"TEXT/CSS\" href=\"t.css\">"
                             "<link rel=\"icon\" href=\"i.ico\"></head>"
                             "<body><p class=\"w\">X</p></body></html>";
    const auto page =
        NormalisePage(html, 16, [&](const std::string& href) -> std::optional<std::string> {
            asked.push_back(href);
            if (href == "css/s.css")
                return std::string(".w { text-align: justify; line-height: 150% }");
            return std::nullopt;
        });
    EXPECT_EQ(asked, (std::vector<std::string>{"css/s.css", "t.css"}));
    EXPECT_NE(page.Html.find("<link rel=\"stylesheet\" href=\"css/s.css\" type=\"text/css\">"),
              std::string::npos)
        << page.Html;
    EXPECT_NE(page.Html.find("type=\"text/css\" href=\"t.css\""), std::string::npos) << page.Html;
    EXPECT_NE(page.Html.find("<link rel=\"icon\" href=\"i.ico\">"), std::string::npos);
    // The linked sheet's rules reach the page, and the sheet is handed back normalised.
    EXPECT_NE(TagBefore(page.Html, "X").find("align=\"justify\""), std::string::npos) << page.Html;
    ASSERT_EQ(page.Sheets.size(), 1u);
    EXPECT_EQ(page.Sheets[0].first, "css/s.css");
    EXPECT_NE(page.Sheets[0].second.find("line-height: 24px"), std::string::npos);
}

TEST(HtmlLoaderTest, DeepTablesAreFlattenedKeepingTheirText) {
    constexpr int kLevels = 20;
    std::string html = "<body>";
    for (int i = 0; i < kLevels; ++i)
        html += "<table><tr><td>cell" + std::to_string(i) + " ";
    for (int i = 0; i < kLevels; ++i)
        html += "</td></tr></table>";
    html += "<p>after</p></body>";
    const auto page = Normalise(html);
    EXPECT_EQ(Count(page.Html, "<table"), static_cast<size_t>(kMaxTableNesting));
    EXPECT_EQ(Count(page.Html, "</table>"), static_cast<size_t>(kMaxTableNesting));
    EXPECT_EQ(Count(page.Html, "<td"), Count(page.Html, "</td>"));
    EXPECT_EQ(Count(page.Html, "<tr"), Count(page.Html, "</tr>"));
    for (int i = 0; i < kLevels; ++i)
        EXPECT_NE(page.Html.find("cell" + std::to_string(i) + " "), std::string::npos) << i;
    // The flattened text stays inside the innermost real table; the page goes on after all.
    const auto lastTableEnd = page.Html.rfind("</table>");
    EXPECT_LT(page.Html.find("cell19"), lastTableEnd);
    EXPECT_GT(page.Html.find("<p>after</p>"), lastTableEnd);
}

TEST(HtmlLoaderTest, ElementsTooDeepAreDroppedKeepingTheirText) {
    constexpr int kLevels = kMaxElementNesting + 100;
    std::string html = "<body>";
    for (int i = 0; i < kLevels; ++i)
        html += "<div><b>";
    html += "deep";
    for (int i = 0; i < kLevels; ++i)
        html += "</b></div>";
    html += "<p>after</p></body>";
    const auto page = Normalise(html);
    const size_t divs = Count(page.Html, "<div");
    const size_t bolds = Count(page.Html, "<b>");
    EXPECT_LE(divs + bolds, static_cast<size_t>(kMaxElementNesting));
    EXPECT_GT(divs + bolds, static_cast<size_t>(kMaxElementNesting) - 4);
    EXPECT_EQ(Count(page.Html, "</div>"), divs);
    EXPECT_EQ(Count(page.Html, "</b>"), bolds);
    EXPECT_NE(page.Html.find("deep"), std::string::npos);
    EXPECT_NE(page.Html.find("<p>after</p>"), std::string::npos);
}

TEST(HtmlLoaderTest, MalformedPagesNeverBreakTheLoader) {
    struct TCase {
        std::string Html;
        const char* Kept; // a text that must stay in the page; empty for none
    } cases[] = {
        {"<p>unclosed <b>bold <i>italic", "italic"},
        {"a < b and c<d", "a < b and c<d"},
        {"<", "<"},
        {"text <", "text <"},
        {"</", "</"},
        {"<!-- never closed <p>hidden", ""},
        {"<!--", ""},
        {"<!", ""},
        {"<p class=\"open>value", ""},
        {"<img src=", ""},
        {"<img src='a.png", ""},
        {"<table><tr><td>cell", "cell"},
        {"</td></tr></table>stray ends", "stray ends"},
        {"<style>p { line-height: 150%", ""},
        {"<style>p { line-height: 150% }</style><p>text", "text"},
        {"<script>if (a < b) {", ""},
        {"<h1 style=\"font-size:\">head", "head"},
        {"<p style=\"line-height: 1e999%; font-size: -5px\">huge", "huge"},
        {"<p style=\"line-height: 99999999999\">big", "big"},
        {"<body style=\"margin: 1px 2px 3px 4px 5px\">x", "x"},
        {"<li><li><dd><dt><option><option>items", "items"},
        {"<h1><h2><h3>heads</h1>", "heads"},
        {"<img src=\"a.gif\" hspace=\"-5\" vspace=\"99999999999999\">", ""},
        {std::string("nul\0byte<p\0>", 12), "nul"},
        {"<style>@media screen { p { color: red }</style>", ""},
        {"<style>@media { { { }</style><p>x", "x"},
        {"<style>p:not( { color: red } a[ { }</style><p>y", "y"},
        {"\xEF\xBB\xBF<html><body>\xC0\xC1", "\xC0\xC1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Html);
        TNormalisedPage page;
        EXPECT_NO_THROW(page = Normalise(c.Html));
        if (*c.Kept) {
            EXPECT_NE(page.Html.find(c.Kept), std::string::npos) << page.Html;
        }
        // Every cut of the page is a page too.
        for (size_t cut = 0; cut < c.Html.size(); ++cut)
            EXPECT_NO_THROW(Normalise(c.Html.substr(0, cut)));
    }
}

} // namespace
