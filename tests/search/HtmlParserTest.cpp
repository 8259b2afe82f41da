// The search's tokenizer: tokens, attributes, comments, declarations, script mode, errors and
// their positions, character references, StopParse, Content and the working text.

#include "search/HtmlParser.h"
#include "common/TestSupport.h"
#include "search/TokenDump.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using TEvents = std::vector<std::string>;

// Every event as one string: its kind and fields joined by "|".
class TRecorder {
public:
    explicit TRecorder(TLegHtmlParser& parser, bool blocks = false) {
        if (blocks)
            parser.OnBlock = Token("Block");
        parser.OnText = Token("Text");
        parser.OnComment = Token("Comment");
        parser.OnScript = Token("Script");
        parser.OnDTDTag = Token("DTD");
        parser.OnTag = [this](TLegHtmlParser&, std::string_view tag, const THtmlAttributes& a) {
            std::string e = "Tag|" + std::string(tag);
            for (size_t i = 0; i < a.size(); ++i)
                e += "|" + a.Line(i);
            Events.push_back(e);
        };
        parser.OnError = [this](TLegHtmlParser&, int error, size_t position, bool&) {
            Events.push_back("Error|" + std::to_string(error) + "|" + std::to_string(position));
        };
    }
    TEvents Events;

private:
    TLegHtmlParser::TTokenEvent Token(const char* kind) {
        return [this, kind](TLegHtmlParser&, std::string_view text) {
            Events.push_back(std::string(kind) + "|" + std::string(text));
        };
    }
};

TEvents Tokens(std::string_view document, bool blocks = false, bool translate = true) {
    TLegHtmlParser parser;
    parser.Translate = translate;
    TRecorder recorder(parser, blocks);
    parser.LoadContent(document);
    parser.Parse();
    return recorder.Events;
}

struct TCase {
    const char* What;
    std::string Document;
    TEvents Expected;
};

void CheckCases(const std::vector<TCase>& cases, bool blocks) {
    for (const auto& c : cases)
        EXPECT_EQ(Tokens(c.Document, blocks), c.Expected) << c.What;
}

} // namespace

TEST(HtmlParser, TextRunsAndTags) {
    CheckCases(
        {
            {"a paragraph with an ampersand",
             "<p>a &amp; b</p>",
             {"Tag|p", "Text|a & b", "Tag|/p"}},
            {"tag names as written",
             W("<TITLE>Заголовок</TITLE>"),
             {"Tag|TITLE", W("Text|Заголовок"), "Tag|/TITLE"}},
            {"a tag between two words splits the run",
             W("<p>один <b>два</b> три</p>"),
             {"Tag|p", W("Text|один"), "Tag|b", W("Text|два"), "Tag|/b", W("Text|три"), "Tag|/p"}},
            {"a line break inside a run stays in it",
             "<p>one\r\ntwo</p>",
             {"Tag|p", "Text|one\r\ntwo", "Tag|/p"}},
            {"a line break of the source, LF alone, joined as CR LF",
             "<p>one\ntwo</p>",
             {"Tag|p", "Text|one\r\ntwo", "Tag|/p"}},
            {"Cyrillic text, both cases",
             W("<p>Ёлка и ёжик, ПРИВЕТ</p>"),
             {"Tag|p", W("Text|Ёлка и ёжик, ПРИВЕТ"), "Tag|/p"}},
            {"trimmed of every byte up to 32",
             "<p>\x01\t a \x1F</p>",
             {"Tag|p", "Text|a", "Tag|/p"}},
            {"byte 160 is not trimmed",
             "<p>\xA0"
             "a\xA0</p>",
             {"Tag|p",
              "Text|\xA0"
              "a\xA0",
              "Tag|/p"}},
            {"trimmed before decoding",
             "<p> &nbsp;a&nbsp; </p>",
             {"Tag|p",
              "Text|\xA0"
              "a\xA0",
              "Tag|/p"}},
            {"text at the end of the document", "end", {"Text|end"}},
            {"text before any tag", "lead<p>", {"Text|lead", "Tag|p"}},
            {"a run of whitespace only", "<p>  \t </p>", {"Tag|p", "Tag|/p"}},
            {"an empty tag name", "<> < >", {"Tag|", "Tag|"}},
            {"whitespace after <", "< p\r\n>x", {"Tag|p", "Text|x"}},
            {"a slash in the name", "<br/><br />", {"Tag|br/", "Tag|br"}},
            {"a lone < before text is markup", "1 < 2 > 0", {"Text|1", "Tag|2", "Text|0"}},
        },
        false);
}

// The search depends on it: a run holding ">" is not delivered at all.
TEST(HtmlParser, GreaterThanInRun) {
    CheckCases(
        {
            {"a comparison in a paragraph", "<p>1 > 0</p>", {"Tag|p", "Error|5|6", "Tag|/p"}},
            {"the first > of the run", "a>b>c", {"Error|5|2"}},
            {"a > right after a tag",
             "<p>>x<i>y</i>",
             {"Tag|p", "Error|5|4", "Tag|i", "Text|y", "Tag|/i"}},
            {"&gt; is decoded, not an error", "<p>1 &gt; 0</p>", {"Tag|p", "Text|1 > 0", "Tag|/p"}},
        },
        false);
    // Neither OnBlock nor OnText for that run.
    EXPECT_EQ(Tokens("<p>1 > 0</p>", true),
              (TEvents{"Block|<p>", "Tag|p", "Error|5|6", "Block|</p>", "Tag|/p"}));
}

TEST(HtmlParser, Attributes) {
    CheckCases(
        {
            {"unquoted, single-quoted with a space, bare name dropped",
             "<a href=x.htm title='a b' nowrap>",
             {"Tag|a|href=x.htm|title=a b"}},
            {"double quotes, spaces around =, empty value",
             "<img src = \"p.jpg\" alt=\"\">",
             {"Tag|img|src=p.jpg|alt="}},
            {"names not folded, a repeated name repeated",
             "<td Align=left align=right>",
             {"Tag|td|Align=left|align=right"}},
            {"names and values decoded",
             "<a title=\"&laquo;x&raquo;\" h&amp;=1>",
             {"Tag|a|title=\xABx\xBB|h&=1"}},
            {"a quote inside an unquoted value", "<a b=x\"y>", {"Tag|a|b=x\"y"}},
            {"the other quote inside a quoted value", "<a b='say \"hi\"'>", {"Tag|a|b=say \"hi\""}},
            {"a > inside a quoted value", "<p class='x>y'>", {"Tag|p|class=x>y"}},
            {"a name right after a closing quote", "<a b=\"1\"c=2>", {"Tag|a|b=1|c=2"}},
            {"no value before >", "<a b= >", {"Tag|a|b="}},
            {"attributes across lines",
             "<a\r\nhref=x\r\ntarget=_blank>",
             {"Tag|a|href=x|target=_blank"}},
            {"the tag name decoded", "<t&#105;tle>", {"Tag|title"}},
            // An "=" where a name should be ends the markup at that character.
            {"= where a name should be", "<a =b>", {"Tag|a", "Error|5|6"}},
        },
        false);
    TLegHtmlParser parser;
    parser.LoadContent("<a x=1 y='2'>");
    size_t seen = 0;
    parser.OnTag = [&](TLegHtmlParser&, std::string_view, const THtmlAttributes& a) {
        ASSERT_EQ(a.size(), 2u);
        EXPECT_EQ(a[0].Name, "x");
        EXPECT_EQ(a[0].Value, "1");
        EXPECT_EQ(a[1].Name, "y");
        EXPECT_EQ(a[1].Value, "2");
        for (const auto& attribute : a)
            seen += attribute.Name.size();
    };
    parser.Parse();
    EXPECT_EQ(seen, 2u);
}

TEST(HtmlParser, CommentsAndDeclarations) {
    CheckCases(
        {
            {"a word with a space on each side", "<!-- word -->", {"Comment| word "}},
            {"empty", "<!---->", {"Comment|"}},
            {"-- inside", "<!-- a -- b -->", {"Comment| a -- b "}},
            {"a run of dashes inside", "<!-- a ---- b -->", {"Comment| a ---- b "}},
            {"whitespace between -- and >", "<!-- a --  \r\n >", {"Comment| a "}},
            {"more dashes before >", "<!-- x --->", {"Comment| x "}},
            {"not decoded", "<!-- &amp; -->", {"Comment| &amp; "}},
            {"tags inside are content", "<!-- <p>a</p> -->x", {"Comment| <p>a</p> ", "Text|x"}},
            {"a doctype",
             "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">",
             {"DTD|DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\""}},
            {"a declaration is decoded", "<!x &amp; y>", {"DTD|x & y"}},
            {"whitespace before ! makes a declaration of -- too", "< !-- x -->", {"DTD|-- x --"}},
            {"<!- is a declaration", "<!-x>", {"DTD|-x"}},
        },
        false);
}

TEST(HtmlParser, ScriptMode) {
    CheckCases(
        {
            {"a < in the body",
             "<script>if (a<b) x();</script>",
             {"Tag|script", "Script|if (a<b) x();", "Tag|/script"}},
            {"capitals and mixed case",
             "<SCRIPT>x</ScRiPt>",
             {"Tag|SCRIPT", "Script|x", "Tag|/ScRiPt"}},
            {"attributes on the start tag",
             "<script type=\"text/javascript\">x</script>",
             {"Tag|script|type=text/javascript", "Script|x", "Tag|/script"}},
            {"an empty body", "<script></script>", {"Tag|script", "Script|", "Tag|/script"}},
            {"no whitespace inside the end tag",
             "<script>a</script >b</script>",
             {"Tag|script", "Script|a</script >b", "Tag|/script"}},
            {"the body raw: references, comments, tags",
             "<script>a&amp;<!-- c --><p></script>",
             {"Tag|script", "Script|a&amp;<!-- c --><p>", "Tag|/script"}},
            {"a script comment goes to OnScript",
             "<script>\r\n<!--\r\nf();\r\n//-->\r\n</script>",
             {"Tag|script", "Script|\r\nf();\r\n//", "Tag|/script"}},
            {"whitespace before the comment",
             "<script> \t<!-- x --></script>",
             {"Tag|script", "Script| x ", "Tag|/script"}},
            {"after the comment the text is read normally",
             "<script><!-- a --> b<i></script>",
             {"Tag|script", "Script| a ", "Text|b", "Tag|i", "Tag|/script"}},
            {"the end tag name is not script", "</script>x", {"Tag|/script", "Text|x"}},
            {"another name beginning with script",
             "<scripts>x<y>",
             {"Tag|scripts", "Text|x", "Tag|y"}},
        },
        false);
    EXPECT_EQ(Tokens("<script>a<b</script>", true),
              (TEvents{"Block|<script>", "Tag|script", "Block|a<b", "Script|a<b", "Block|</script>",
                       "Tag|/script"}));
}

// Every error code, with the position where it is reported.
TEST(HtmlParser, ErrorCodesAndPositions) {
    CheckCases(
        {
            {"ends after <", "<", {"Error|1|4"}},
            {"ends in a name", "<a", {"Error|1|5"}},
            {"ends in an open quote", "<a href='", {"Error|1|12"}},
            {"ends before a value", "<a href=", {"Error|1|11"}},
            {"ends in an unquoted value", "x<a href=y", {"Text|x", "Error|1|13"}},
            {"ends in a declaration", "<!DOCTYPE", {"Error|1|12"}},
            {"ends before a comment's >", "<!-- a --", {"Error|1|12"}},
            {"a comment never closed", "<!--", {"Error|2|7"}},
            {"a comment with dashes at the end only", "<p><!-- a -", {"Tag|p", "Error|2|14"}},
            {"< in a tag name", "<a<b>", {"Error|4|3", "Error|5|5"}},
            {"< in a quoted value", "<a title=\"x<y\">z", {"Error|4|12", "Error|5|15"}},
            {"> in a run", "ab>", {"Error|5|3"}},
            {"a script without an end tag", "<script>x", {"Tag|script", "Error|6|12"}},
            {"only whitespace after the script tag", "<script>  ", {"Tag|script", "Error|6|13"}},
        },
        false);
    // Reading goes on after each error without a handler too: later attributes are still read.
    TLegHtmlParser parser;
    TEvents tags;
    parser.OnTag = [&](TLegHtmlParser&, std::string_view tag, const THtmlAttributes& a) {
        tags.push_back(std::string(tag) + (a.empty() ? "" : "|" + a.Line(0)));
    };
    parser.LoadContent("<p>1 > 0</p><a<b><a href=x>");
    parser.Parse();
    EXPECT_EQ(tags, (TEvents{"p", "/p", "a|href=x"}));
}

TEST(HtmlParser, AbortFromOnError) {
    TLegHtmlParser parser;
    TEvents events;
    parser.OnText = [&](TLegHtmlParser&, std::string_view t) { events.emplace_back(t); };
    parser.OnError = [&](TLegHtmlParser&, int error, size_t, bool& abort) {
        events.push_back("error " + std::to_string(error));
        abort = error == heLessInTag;
    };
    parser.LoadContent("a>b<c>d<e<f>g");
    parser.Parse();
    EXPECT_EQ(events, (TEvents{"error 5", "d", "error 4"}));
}

TEST(HtmlParser, DecodeEntities) {
    struct TRef {
        std::string Text;
        std::string Decoded;
    };
    const TRef cases[] = {
        {"&#x41;", "A"},
        {"&#X41;", "A"},
        {"&#65;", "A"},
        {"&#1055;", "\x1F"}, // low 8 bits of 1055
        {"&#xFF41;", "A"},
        {"&#99999999999999999999;", "\xFF"}, // any length: the low 8 bits of the number
        {"&#xFFFFFFFFFFFFFFFFFFFFFFFF41;", "A"},
        {"&#0;", std::string(1, '\0')},
        {"&Agrave;", "\xC0"}, // Cyrillic capital A in Windows-1251
        {"&agrave;", "\xE0"},
        {"&nbsp;", "\xA0"},
        {"&laquo;&raquo;&copy;&deg;", "\xAB\xBB\xA9\xB0"},
        {"&quot;&amp;&lt;&gt;", "\"&<>"},
        {"&yuml;&thorn;", "\xFF\xFE"},
        {"&unknown;", "&unknown;"},
        {"&mdash; &hellip; &alpha;", "&mdash; &hellip; &alpha;"}, // not in the table
        {"&AMP;", "&AMP;"},                                       // letter case counts
        {"&#12a;", "&#12a;"},
        {"&#;", "&#;"},
        {"&#x;", "&#x;"},
        {"&#x4G;", "&#x4G;"},
        {"&#-5;", "&#-5;"},
        {"&#+5;", "&#+5;"},
        {"&;", "&;"},
        {"a & b", "a & b"}, // no ";" anywhere after
        {"&#", "&#"},
        {"&", "&"},
        {"x&", "x&"},
        {"a & b;", "a & b;"},
        {"&amp &lt;", "&amp <"}, // another "&" before the ";"
        {"&&amp;", "&&"},
        {"&lt;&gt;x", "<>x"},
        {"&lt", "&lt"},
        {"no references", "no references"},
        {W("Привет&nbsp;мир"), W("Привет") + "\xA0" + W("мир")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeEntities(c.Text), c.Decoded) << c.Text;

    // A long row of "&" with no ";" stays as written (and in linear time).
    const std::string ampersands(200000, '&');
    EXPECT_EQ(DecodeEntities(ampersands + "x;"), ampersands + "x;");
}

TEST(HtmlParser, EntityNamesTable) {
    EXPECT_EQ(EntityNames[34], "quot");
    EXPECT_EQ(EntityNames[38], "amp");
    EXPECT_EQ(EntityNames[60], "lt");
    EXPECT_EQ(EntityNames[62], "gt");
    EXPECT_EQ(EntityNames[160], "nbsp");
    EXPECT_EQ(EntityNames[161], "iexcl");
    EXPECT_EQ(EntityNames[173], "shy");
    EXPECT_EQ(EntityNames[192], "Agrave");
    EXPECT_EQ(EntityNames[215], "times");
    EXPECT_EQ(EntityNames[223], "szlig");
    EXPECT_EQ(EntityNames[247], "divide");
    EXPECT_EQ(EntityNames[255], "yuml");
    size_t named = 0;
    for (size_t code = 0; code < 256; ++code) {
        if (EntityNames[code].empty())
            continue;
        ++named;
        EXPECT_TRUE(code == 34 || code == 38 || code == 60 || code == 62 || code >= 160) << code;
        const std::string reference = "&" + std::string(EntityNames[code]) + ";";
        EXPECT_EQ(DecodeEntities(reference), std::string(1, static_cast<char>(code))) << reference;
    }
    EXPECT_EQ(named, 100u);
}

TEST(HtmlParser, TranslateOff) {
    EXPECT_EQ(Tokens("<a&amp; t=\"&lt;\">&#65;</a><!&amp;>", false, false),
              (TEvents{"Tag|a&amp;|t=&lt;", "Text|&#65;", "Tag|/a", "DTD|&amp;"}));
}

TEST(HtmlParser, BlocksAndLineBreaks) {
    CheckCases(
        {
            {"one line break after a tag is skipped, a second kept",
             "<p>\r\n\r\nx",
             {"Block|<p>", "Tag|p", "Block|\r\nx", "Text|x"}},
            {"a single line break raises nothing",
             "<p>\r\n\r\n</p>",
             {"Block|<p>", "Tag|p", "Block|</p>", "Tag|/p"}},
            {"other whitespace raises OnBlock only",
             "<p> \r\n</p>",
             {"Block|<p>", "Tag|p", "Block| ", "Block|</p>", "Tag|/p"}},
            {"one trailing line break removed",
             "<p>a\r\n\r\n</p>",
             {"Block|<p>", "Tag|p", "Block|a\r\n", "Text|a", "Block|</p>", "Tag|/p"}},
            {"after a comment too",
             "<!--c-->\r\nx",
             {"Block|<!--c-->", "Comment|c", "Block|x", "Text|x"}},
            {"a declaration", "<!x>", {"Block|<!x>", "DTD|x"}},
        },
        true);
    // An LF alone (a line that holds one) is not skipped after ">", but removed at a run's end.
    TLegHtmlParser parser;
    TRecorder recorder(parser, true);
    parser.SetContent({"<p>\nx\n"});
    parser.Parse();
    EXPECT_EQ(recorder.Events, (TEvents{"Block|<p>", "Tag|p", "Block|\nx\n", "Text|x"}));
}

TEST(HtmlParser, StopParse) {
    struct TStopCase {
        const char* What;
        const char* StopIn; // the event whose handler stops
        TEvents Expected;
    };
    const std::string document = "<p>one</p><p>two</p>";
    const TStopCase cases[] = {
        {"from OnText: nothing after it", "Text", {"Block|<p>", "Tag|p", "Block|one", "Text|one"}},
        {"from OnBlock: the token's own event still comes", "Block", {"Block|<p>", "Tag|p"}},
        {"from OnTag", "Tag", {"Block|<p>", "Tag|p"}},
    };
    for (const auto& c : cases) {
        TLegHtmlParser parser;
        TRecorder recorder(parser, true);
        auto text = parser.OnText;
        auto block = parser.OnBlock;
        auto tag = parser.OnTag;
        const std::string stopIn = c.StopIn;
        parser.OnText = [&](TLegHtmlParser& p, std::string_view t) {
            text(p, t);
            if (stopIn == "Text")
                p.StopParse();
        };
        parser.OnBlock = [&](TLegHtmlParser& p, std::string_view t) {
            block(p, t);
            if (stopIn == "Block")
                p.StopParse();
        };
        parser.OnTag = [&](TLegHtmlParser& p, std::string_view t, const THtmlAttributes& a) {
            tag(p, t, a);
            if (stopIn == "Tag")
                p.StopParse();
        };
        parser.LoadContent(document);
        parser.Parse();
        EXPECT_EQ(recorder.Events, c.Expected) << c.What;
        // The working text is kept: the next Parse reads it again from the start.
        recorder.Events.clear();
        parser.Parse();
        EXPECT_EQ(recorder.Events, c.Expected) << c.What << ", again";
    }
    // StopParse before Parse does not keep it from running.
    TLegHtmlParser parser;
    TRecorder recorder(parser);
    parser.LoadContent("a");
    parser.StopParse();
    parser.Parse();
    EXPECT_EQ(recorder.Events, TEvents{"Text|a"});
}

TEST(HtmlParser, ContentAndWorkingText) {
    TLegHtmlParser parser;
    EXPECT_TRUE(parser.Content().empty());
    EXPECT_TRUE(parser.WorkingText().empty());

    // Lines as a stream gives them: CR LF, LF and CR end a line; a NUL ends the text.
    struct TLoad {
        std::string Bytes;
        std::string Text;
    };
    const TLoad loads[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"},
        {"\r\n", "\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"a\r\r\nb", "a\r\n\r\nb\r\n"},
        {std::string("a\r\nb\0c\r\n", 8), "a\r\nb\r\n"},
        {std::string("\0abc", 4), ""},
    };
    for (const auto& l : loads) {
        parser.LoadContent(l.Bytes);
        EXPECT_EQ(parser.ContentText(), l.Text) << EscapeToken(l.Bytes);
    }

    parser.SetContent({"<p>", "x"});
    EXPECT_EQ(parser.ContentText(), "<p>\r\nx\r\n");
    EXPECT_EQ(parser.Content(), (std::vector<std::string>{"<p>", "x"}));
    EXPECT_TRUE(parser.WorkingText().empty()); // until a Parse takes it
    TRecorder recorder(parser);
    parser.Parse();
    EXPECT_EQ(parser.WorkingText(), "<p>\r\nx\r\n");
    EXPECT_EQ(recorder.Events, (TEvents{"Tag|p", "Text|x"}));

    // EndParser: a working text is parsed again, an empty one is not refilled.
    parser.EndParser = true;
    recorder.Events.clear();
    parser.Parse();
    EXPECT_EQ(recorder.Events, (TEvents{"Tag|p", "Text|x"}));
    parser.LoadContent("<b>");
    EXPECT_TRUE(parser.WorkingText().empty());
    recorder.Events.clear();
    parser.Parse();
    EXPECT_TRUE(recorder.Events.empty());
    parser.EndParser = false;
    parser.Parse();
    EXPECT_EQ(recorder.Events, TEvents{"Tag|b"});
}

// A handler that loads another document ends the parse of this one: the next Parse reads the new
// one, and the texts the events already hold stay valid.
TEST(HtmlParser, ContentChangedDuringParse) {
    TLegHtmlParser parser;
    TEvents events;
    parser.OnText = [&](TLegHtmlParser& p, std::string_view t) {
        events.emplace_back(t);
        if (t == "first") {
            p.LoadContent("second<p>more");
            EXPECT_EQ(t, "first");
            EXPECT_EQ(p.ContentText(), "second<p>more\r\n");
        }
    };
    parser.LoadContent("first<p>rest");
    parser.Parse();
    EXPECT_EQ(events, TEvents{"first"});
    EXPECT_TRUE(parser.WorkingText().empty());
    parser.Parse();
    EXPECT_EQ(events, (TEvents{"first", "second", "more"}));

    // A Parse from inside a handler does nothing.
    TLegHtmlParser nested;
    int texts = 0;
    nested.OnText = [&](TLegHtmlParser& p, std::string_view) {
        ++texts;
        p.Parse();
    };
    nested.LoadContent("a<b>c");
    nested.Parse();
    EXPECT_EQ(texts, 2);
}

// Documents written down with their events, in the form the disc tool prints.
TEST(HtmlParser, FixtureDocuments) {
    struct TFixture {
        const char* Document;
        const char* Expected;
        bool Blocks;
    };
    const TFixture fixtures[] = {
        {"essay.htm", "essay.tokens.txt", false},
        {"broken.htm", "broken.blocks.txt", true},
    };
    for (const auto& f : fixtures) {
        const std::string document =
            ReadFileBytes(std::string(CHITALKA_TOKENIZER_FIXTURES "/") + f.Document);
        ASSERT_FALSE(document.empty()) << f.Document;
        EXPECT_EQ(DumpTokens(document, f.Blocks),
                  ReadFileBytes(std::string(CHITALKA_TOKENIZER_FIXTURES "/") + f.Expected))
            << f.Document;
    }
}

TEST(HtmlParser, EscapedTokenLines) {
    EXPECT_EQ(EscapeToken("a\\b\tc\rd\ne"), "a\\\\b\\tc\\rd\\ne");
    EXPECT_EQ(EscapeToken(W("Ёж") + "\xA0"), "Ёж\u00A0");
    EXPECT_EQ(DumpTokens("<a x='1\t2'>\\<!-- \r\n -->", true), "OnBlock\t<a x='1\\t2'>\n"
                                                               "OnTag\ta\tx=1\\t2\n"
                                                               "OnBlock\t\\\\\n"
                                                               "OnText\t\\\\\n"
                                                               "OnBlock\t<!-- \\r\\n -->\n"
                                                               "OnComment\t \\r\\n \n");
    EXPECT_EQ(DumpTokens("<script>\r\n\r\n", false), "OnTag\tscript\nOnError\t6\t13\n");
}

// Random documents built from markup fragments: whatever the bytes, the parse ends, each token
// starts after the one before, every OnBlock is a piece of the working text in document order,
// and the number of steps stays within twice the text's length.
TEST(HtmlParser, RandomDocumentsProperties) {
    const std::vector<std::string> pieces = {
        "<",
        ">",
        "!",
        "-",
        "--",
        "<!--",
        "-->",
        "&",
        "#",
        "x",
        ";",
        "&#",
        "&#x",
        "&amp;",
        "&nbsp;",
        "&#99999999999999999999;",
        "'",
        "\"",
        "=",
        " ",
        "\t",
        "\r\n",
        "\n",
        "\r",
        "a",
        "p",
        "/",
        "<p>",
        "</p>",
        "<script>",
        "</SCRIPT>",
        "<SCRIPT ",
        "<title>",
        "</title>",
        "<a href='",
        "<!",
        std::string(1, '\0'),
        "\xC0\xFF",
        "1",
        W("ёЖ"),
    };
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> coin(0, 15);
    for (int round = 0; round < 20000; ++round) {
        std::string document;
        const int count = length(random);
        for (int i = 0; i < count; ++i)
            document += pieces[pick(random)];

        TLegHtmlParser parser;
        parser.Translate = coin(random) != 0;
        const int stopAfter = coin(random) == 0 ? coin(random) : -1;
        int events = 0;
        size_t lastToken = 0;
        size_t blockEnd = 0; // offset in the working text where the last block ended
        bool ok = true;
        auto seen = [&](TLegHtmlParser& p) {
            if (p.TokenPosition() < lastToken)
                ok = false;
            lastToken = p.TokenPosition();
            if (++events == stopAfter)
                p.StopParse();
        };
        parser.OnBlock = [&](TLegHtmlParser& p, std::string_view block) {
            const std::string_view text = p.WorkingText();
            const bool inside = block.data() >= text.data() &&
                                block.data() + block.size() <= text.data() + text.size();
            if (!inside) {
                ok = false;
                return;
            }
            const auto at = static_cast<size_t>(block.data() - text.data());
            if (at < blockEnd || at + 1 < p.TokenPosition())
                ok = false;
            blockEnd = at + block.size();
            seen(p);
        };
        parser.OnText = [&](TLegHtmlParser& p, std::string_view t) {
            if (t.empty() || static_cast<unsigned char>(t.front()) <= 32)
                ok = false;
            seen(p);
        };
        parser.OnTag = [&](TLegHtmlParser& p, std::string_view, const THtmlAttributes&) {
            seen(p);
        };
        parser.OnComment = [&](TLegHtmlParser& p, std::string_view) { seen(p); };
        parser.OnScript = [&](TLegHtmlParser& p, std::string_view) { seen(p); };
        parser.OnDTDTag = [&](TLegHtmlParser& p, std::string_view) { seen(p); };
        parser.OnError = [&](TLegHtmlParser& p, int error, size_t position, bool&) {
            const size_t n = p.WorkingText().size();
            if (position < 1 || position > n + 1 || error < 1 || error > 6 || error == 3)
                ok = false;
            seen(p);
        };
        parser.LoadContent(document);
        parser.Parse();
        const size_t n = parser.WorkingText().size();
        EXPECT_TRUE(ok) << EscapeToken(document);
        EXPECT_LE(parser.Steps(), 2 * n + 2) << EscapeToken(document);
        if (stopAfter < 0) {
            EXPECT_LE(events, static_cast<int>(2 * n + 2));
        }
        if (!ok)
            break;
    }
}

// Runs scanned many bytes at a time: a ">" or a reference at every offset of runs of any length
// is found where it stands.
TEST(HtmlParser, LongRunsAtEveryOffset) {
    for (size_t length = 1; length <= 70; ++length) {
        for (size_t at = 0; at < length; ++at) {
            std::string run(length, 'a');
            run[at] = '>';
            EXPECT_EQ(Tokens(run + "<p>b>"), (TEvents{"Error|5|" + std::to_string(at + 1), "Tag|p",
                                                      "Error|5|" + std::to_string(length + 5)}))
                << length << " " << at;
            std::string text(length, 'a');
            text.replace(at, 1, "&lt;");
            std::string decoded(length, 'a');
            decoded[at] = '<';
            EXPECT_EQ(Tokens("<i>" + text + "</i>"),
                      (TEvents{"Tag|i", "Text|" + decoded, "Tag|/i"}))
                << length << " " << at;
        }
    }
}

// SwapContent reads as LoadContent does, taking the caller's bytes when they need no joining.
TEST(HtmlParser, SwapContent) {
    struct TSwap {
        std::string Bytes;
        std::string Text;
    };
    const TSwap swaps[] = {
        {"<p>a</p>\r\n", "<p>a</p>\r\n"},
        {"<p>a\nb", "<p>a\r\nb\r\n"},
        {std::string("x\r\n\0y", 5), "x\r\n"},
        {"", ""},
        {"\r\n\r\n", "\r\n\r\n"},
        {"a\r", "a\r\n"},
    };
    TLegHtmlParser parser;
    TRecorder recorder(parser);
    std::string previous;
    for (const auto& s : swaps) {
        std::string bytes = s.Bytes;
        parser.SwapContent(bytes);
        EXPECT_EQ(parser.ContentText(), s.Text) << EscapeToken(s.Bytes);
        EXPECT_TRUE(parser.WorkingText().empty());
        recorder.Events.clear();
        parser.Parse();
        TEvents expected = Tokens(s.Bytes);
        EXPECT_EQ(recorder.Events, expected) << EscapeToken(s.Bytes);
    }
}

// A consumer of tag names alone gets the same tags, texts and errors with empty attribute lists;
// one that looks for a text of n bytes is spared the runs shorter than that as written, which
// still raise OnBlock ("&#98;" is five bytes as written, so it comes).
TEST(HtmlParser, TagNamesOnlyAndShortRunsSkipped) {
    const std::string document = "<p class=\"a\" id=b>one</p><a href='x>y' t>three &amp; four</a>"
                                 "<i>a</i>1 > 0<b =x>x<&#98;>&#98;</b><q a=\"open";
    TLegHtmlParser parser;
    TRecorder recorder(parser, true);
    parser.TagAttributes = false;
    parser.MinTextLength = 5;
    parser.LoadContent(document);
    parser.Parse();
    EXPECT_EQ(recorder.Events, (TEvents{"Block|<p class=\"a\" id=b>",
                                        "Tag|p",
                                        "Block|one",
                                        "Block|</p>",
                                        "Tag|/p",
                                        "Block|<a href='x>y' t>",
                                        "Tag|a",
                                        "Block|three &amp; four",
                                        "Text|three & four",
                                        "Block|</a>",
                                        "Tag|/a",
                                        "Block|<i>",
                                        "Tag|i",
                                        "Block|a",
                                        "Block|</i>",
                                        "Tag|/i",
                                        "Error|5|72",
                                        "Block|<b =",
                                        "Tag|b",
                                        "Error|5|80",
                                        "Block|<&#98;>",
                                        "Tag|b",
                                        "Block|&#98;",
                                        "Text|b",
                                        "Block|</b>",
                                        "Tag|/b",
                                        "Error|1|110"}));

    // Without the options: the attributes come back and every run reaches OnText.
    TLegHtmlParser full;
    TRecorder all(full);
    full.LoadContent(document);
    full.Parse();
    EXPECT_EQ(all.Events,
              (TEvents{"Tag|p|class=a|id=b", "Text|one", "Tag|/p", "Tag|a|href=x>y",
                       "Text|three & four", "Tag|/a", "Tag|i", "Text|a", "Tag|/i", "Error|5|72",
                       "Tag|b", "Error|5|80", "Tag|b", "Text|b", "Tag|/b", "Error|1|110"}));
}

// Bytes whose lines already end with CR LF are taken as they stand; a lone CR or LF, or a NUL,
// anywhere (the check reads sixteen bytes at a time) makes them joined anew.
TEST(HtmlParser, LineEndsCheckedAtEveryOffset) {
    for (size_t length = 1; length <= 70; ++length) {
        for (size_t at = 0; at < length; ++at) {
            for (const char* odd : {"\r", "\n", "\r\n", std::string_view("\0", 1).data()}) {
                const std::string piece = *odd == '\0' ? std::string(1, '\0') : std::string(odd);
                std::string bytes(length, 'a');
                bytes.replace(at, 1, piece);
                bytes += "\r\n";
                std::string expected;
                if (piece == "\r" || piece == "\n")
                    expected = bytes.substr(0, at) + "\r\n" + bytes.substr(at + 1);
                else if (piece.front() == '\0')
                    expected = bytes.substr(0, at) + (at > 0 ? "\r\n" : "");
                else
                    expected = bytes;
                TLegHtmlParser parser;
                parser.LoadContent(bytes);
                EXPECT_EQ(parser.ContentText(), expected) << length << " " << at;
                std::string swapped = bytes;
                parser.SwapContent(swapped);
                EXPECT_EQ(parser.ContentText(), expected) << length << " " << at;
            }
        }
    }
}

TEST(HtmlParser, ReferenceByte) {
    const std::pair<const char*, int> cases[] = {
        {"amp", 38},  {"Agrave", 192}, {"yuml", 255}, {"#65", 65},     {"#x41", 65},
        {"#X41", 65}, {"#1055", 31},   {"AMP", -1},   {"mdash", -1},   {"#", -1},
        {"#x", -1},   {"#6a", -1},     {"", -1},      {"curren", 164}, {"currenx", -1},
    };
    for (const auto& [name, code] : cases)
        EXPECT_EQ(ReferenceByte(name), code) << name;
}

// The maps of "<", ">" and "&" belong to the text they were made for: a parse that EndParser
// keeps from taking a new text does not make them the new text's.
TEST(HtmlParser, NewTextAfterAnEmptyParseIsMappedAnew) {
    TLegHtmlParser parser;
    TRecorder recorder(parser);
    parser.LoadContent("<p>a</p>\r\n");
    parser.Parse();
    parser.EndParser = true;
    parser.LoadContent("xy<i>z&amp;");
    parser.Parse();
    EXPECT_TRUE(recorder.Events == (TEvents{"Tag|p", "Text|a", "Tag|/p"}));
    parser.EndParser = false;
    recorder.Events.clear();
    parser.Parse();
    EXPECT_EQ(recorder.Events, (TEvents{"Text|xy", "Tag|i", "Text|z&"}));
}
