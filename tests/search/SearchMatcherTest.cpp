// The search's matching rule over one document, and the lines of the search index.

#include "search/SearchMatcher.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

bool Matches(const std::string& document, const std::string& searchText) {
    TLegHtmlParser parser;
    TSearchMatcher matcher(searchText);
    return matcher.MatchDocument(parser, document);
}

} // namespace

TEST(SearchMatcher, MatchingRule) {
    struct TCase {
        const char* What;
        std::string Document;
        std::string Search; // as typed
        bool Found;
    };
    const TCase cases[] = {
        {"a word in a paragraph", "<p>one two three</p>", "two", true},
        {"two words with their space", "<p>one two three</p>", "one two", true},
        {"only inside the title element", "<title>rare</title><p>text</p>", "rare", false},
        {"the title element with attributes", "<title lang=ru>rare</title>", "rare", false},
        {"after the title element", "<title>x</title><p>rare</p>", "rare", true},
        {"inside an upper-case TITLE element", "<TITLE>rare</TITLE>", "rare", true},
        {"an upper-case /TITLE does not end the element", "<title>a</TITLE>rare", "rare", false},
        {"a tag between the two words", "<p>one <b>two</b></p>", "one two", false},
        {"a line break between the two words", "<p>one\r\ntwo</p>", "one two", false},
        {"a line break typed into the search text", "<p>one\r\ntwo</p>", "one\r\ntwo", true},
        {"&nbsp; is byte 160, not a space", "<p>one&nbsp;two</p>", "one two", false},
        {"&nbsp; matched by byte 160", "<p>one&nbsp;two</p>", "one\xA0two", true},
        {"references decoded", "<p>fish &amp; chips</p>", "fish & chips", true},
        {"capital Cyrillic typed, small written", W("<p>Слово о полку</p>"), W("СЛОВО О"), true},
        {"small Cyrillic typed, capital written", W("<p>ЁЛКА</p>"), W("ёлка"), true},
        {"Latin letters fold too", "<p>Hello World</p>", "hello WORLD", true},
        {"a run holding > is not delivered", "<p>rare 1 > 0</p>", "rare", false},
        {"the same word in another run is", "<p>rare 1 > 0</p><p>rare</p>", "rare", true},
        {"not in comments", "<!-- rare --><p>x</p>", "rare", false},
        {"not in scripts", "<script>rare</script>", "rare", false},
        {"not in tag names or attribute values", "<rare title=rare>x", "rare", false},
        {"spaces at the ends of a run are trimmed", "<p> a </p>", " a", false},
        {"the whole search text must fit one run", "<p>ab</p>", "abc", false},
        {"an empty search text finds nothing", "<p>x</p>", "", false},
        {"an empty document", "", "x", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Matches(c.Document, c.Search), c.Found) << c.What;
}

TEST(SearchMatcher, StopsAtTheFirstMatch) {
    TLegHtmlParser parser;
    TSearchMatcher matcher("two");
    matcher.Attach(parser);
    std::vector<std::string> seen;
    auto text = parser.OnText;
    parser.OnText = [&](TLegHtmlParser& p, std::string_view t) {
        seen.emplace_back(t);
        text(p, t);
    };
    matcher.BeginDocument();
    parser.LoadContent("<p>one</p><p>two</p><p>three</p><p>two</p>");
    parser.Parse();
    EXPECT_TRUE(matcher.Found());
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "two"}));

    // The states start afresh for each document; the search text is kept lower-cased.
    matcher.SetSearchText(W("ПОЛКУ"));
    EXPECT_EQ(matcher.FindText(), W("полку"));
    matcher.BeginDocument();
    matcher.Tag("title");
    EXPECT_TRUE(matcher.InTitle());
    EXPECT_FALSE(matcher.Text(W("полку")));
    matcher.Tag("TITLE");
    EXPECT_TRUE(matcher.InTitle());
    matcher.Tag("/title");
    EXPECT_FALSE(matcher.InTitle());
    EXPECT_TRUE(matcher.Text(W("о Полку")));
    EXPECT_TRUE(matcher.Found());
    matcher.BeginDocument();
    EXPECT_FALSE(matcher.Found());
}

// One parser and one matcher over several documents, as the search runs them.
TEST(SearchMatcher, FixtureEssay) {
    const std::string essay = ReadFileBytes(std::string(CHITALKA_TOKENIZER_FIXTURES "/essay.htm"));
    ASSERT_FALSE(essay.empty());
    struct TCase {
        std::string Search;
        bool Found;
    };
    const TCase cases[] = {
        {W("слово о полку"), false},               // the title only
        {W("глава первая"), false},                // "&nbsp;" between
        {W("Глава") + "\xA0" + W("ПЕРВАЯ"), true}, // with byte 160
        {W("НАЧЯТИ СТАРЫМИ"), true},
        {W("братие, начяти"), false}, // a line break between
        {W("жирный и"), false},       // a tag between
        {W("курсив"), true},
        {W("цена"), false}, // its run holds a ">"
        {W("оглавление"), false},
        {"x();", false},
        {"style.css", false},
    };
    TLegHtmlParser parser;
    TSearchMatcher matcher;
    for (const auto& c : cases) {
        matcher.SetSearchText(c.Search);
        EXPECT_EQ(matcher.MatchDocument(parser, essay), c.Found) << cp1251::ToUtf8(c.Search);
    }
}

TEST(SearchMatcher, IndexLines) {
    struct TCase {
        std::string Line;
        std::string Name;
        std::string Title;
    };
    const TCase cases[] = {
        {W("essays\\a.htm#;#Первое эссе"), "essays\\a.htm", W("Первое эссе")},
        {"a.htm#;#one#;#two", "a.htm", "one#;#two"},
        {"a.htm", "a.htm", ""},
        {"a.htm#;#", "a.htm", ""},
        {"#;#title", "", "title"},
        {"a.htm#;", "a.htm#;", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const TIndexLine line = SplitIndexLine(c.Line);
        EXPECT_EQ(line.Name, c.Name) << c.Line;
        EXPECT_EQ(line.Title, c.Title) << c.Line;
    }
}

// The folded search against lower-casing both texts and a plain find, over texts of every length
// up to a few blocks of sixteen, with the search text at every place and in any letter case.
TEST(SearchMatcher, ContainsAgreesWithLowerCasedFind) {
    const std::string alphabet = W("аАбБяЯёЁ") + "aAzZ \xA0\x80\x90.";
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> letter(0, alphabet.size() - 1);
    std::uniform_int_distribution<size_t> size(0, 70);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (size_t n = size(random); n > 0; --n)
            text += alphabet[letter(random)];
        std::string search;
        if (!text.empty() && round % 2 == 0) {
            const size_t from = random() % text.size();
            search = text.substr(from, 1 + random() % std::min<size_t>(6, text.size() - from));
            for (char& c : search)
                c = random() % 2 ? cp1251::UpperChar(c) : cp1251::LowerChar(c);
        } else {
            for (size_t n = 1 + random() % 3; n > 0; --n)
                search += alphabet[letter(random)];
        }
        const TSearchMatcher matcher(search);
        const bool expected = cp1251::Lower(text).find(cp1251::Lower(search)) != std::string::npos;
        EXPECT_EQ(matcher.Contains(text), expected)
            << cp1251::ToUtf8(text) << " / " << cp1251::ToUtf8(search);
    }
}

// The shortcut never rules out a document that the rule matches.
TEST(SearchMatcher, MayMatchRulesOutOnlyWhatCannotMatch) {
    struct TCase {
        std::string Document;
        std::string Search;
        bool May;
    };
    const TCase cases[] = {
        {"<p>one two</p>", "two", true},
        {"<p>one two</p>", "three", false},
        {"<p>one&nbsp;two</p>", "one\xA0two", true},
        {"<p>&Agrave;&#65;</p>", W("аa"), true}, // references make the text
        {"<title>rare</title>", "rare", true},   // may, though the rule does not match
        {"<p>one\ntwo</p>", "one\r\ntwo", true}, // lines joined anew by the parser
        {"<p>x</p>", "", false},
    };
    for (const auto& c : cases) {
        TSearchMatcher matcher(c.Search);
        EXPECT_EQ(matcher.MayMatch(c.Document), c.May) << c.Document;
    }

    const std::vector<std::string> pieces = {
        "<",    ">",    "&",     ";",        "#",         "x",        "a",    "A",       " ",
        "\r\n", "\n",   "&amp;", "&#65;",    "&#x61;",    "&Agrave;", W("а"), "<title>", "</title>",
        "<p>",  "<!--", "-->",   "<script>", "</script>", "'",        "="};
    const std::vector<std::string> searches = {"a",     "aa", "a a",    "&", ";", "a&",
                                               W("аа"), "x;", "a\r\na", "<", "ax"};
    std::mt19937 random(11);
    TLegHtmlParser parser;
    for (int round = 0; round < 20000; ++round) {
        std::string document;
        for (size_t n = random() % 30; n > 0; --n)
            document += pieces[random() % pieces.size()];
        TSearchMatcher matcher(searches[random() % searches.size()]);
        const bool may = matcher.MayMatch(document);
        const bool matched = matcher.MatchDocument(parser, document);
        if (matched) {
            EXPECT_TRUE(may) << cp1251::ToUtf8(document) << " / "
                             << cp1251::ToUtf8(matcher.FindText());
        }
        std::string bytes = document;
        EXPECT_EQ(matcher.SearchDocument(parser, bytes), matched) << cp1251::ToUtf8(document);
    }
}

namespace {

// The rule as it reads: a parser that decodes every text and keeps every run, the matcher's two
// halves as its handlers.
bool MatchesDecoded(TSearchMatcher& matcher, const std::string& document) {
    TLegHtmlParser parser;
    parser.OnTag = [&](TLegHtmlParser&, std::string_view tag, const THtmlAttributes&) {
        matcher.Tag(tag);
    };
    parser.OnText = [&](TLegHtmlParser& p, std::string_view token) {
        if (matcher.Text(token))
            p.StopParse();
    };
    matcher.BeginDocument();
    parser.LoadContent(document);
    parser.Parse();
    return matcher.Found();
}

} // namespace

// The search reads runs as written and decodes one only when it may hold the search text: a
// reference may make any byte of the search text, and a text as written may straddle one.
TEST(SearchMatcher, RunsDecodedOnlyWhenNeeded) {
    struct TCase {
        const char* What;
        std::string Document;
        std::string Search;
        bool Found;
    };
    const TCase cases[] = {
        {"a reference makes the first byte", "<p>x &#241;" + W("оло</p>"), W("СОЛО"), true},
        {"a reference makes a middle byte", "<p>s&#111;lo</p>", "solo", true},
        {"a reference makes the last byte", "<p>sol&#x6F;</p>", "solo", true},
        {"a named reference in capitals", "<p>&Ntilde;&Icirc;&Euml;&Icirc;</p>", W("соло"), true},
        {"every byte a reference", "<p>&#115;&#111;&#108;&#111;</p>", "solo", true},
        {"written across a reference's text", "<p>a &amp; b</p>", "amp;", false},
        {"written but cut by a reference", "<p>so&lt;lo solo</p>", "so<lo", true},
        {"a reference that is no reference", "<p>so&zz;lo</p>", "so&zz;lo", true},
        {"an & without ;", "<p>fish & chips</p>", "fish & chips", true},
        {"a reference after the search text's start", "<p>&#115;olo</p>", "olo", true},
        {"the decoded run is shorter than the search text", "<p>&amp;&amp;&amp;</p>", "&&&&",
         false},
        {"a reference in the title", "<title>&#115;olo</title>", "solo", false},
        {"a tag name made by a reference", "<&#116;itle>solo</title>", "solo", false},
        {"a tag name made by a reference ends it", "<title>x</&#116;itle>solo", "solo", true},
        {"runs shorter than the search text", "<p>so</p><p>lo</p>", "so", true},
    };
    TLegHtmlParser parser;
    for (const auto& c : cases) {
        TSearchMatcher matcher(c.Search);
        EXPECT_EQ(matcher.MatchDocument(parser, c.Document), c.Found) << c.What;
        EXPECT_EQ(MatchesDecoded(matcher, c.Document), c.Found) << c.What;
        std::string bytes = c.Document;
        EXPECT_EQ(matcher.SearchDocument(parser, bytes), c.Found) << c.What;
    }
}

// The search's way through a document against the rule as it reads, over random documents made
// of references, tags, letters in both cases and long runs (the maps work 64 bytes at a time).
TEST(SearchMatcher, AgreesWithTheDecodedRule) {
    const std::vector<std::string> pieces = {"s",
                                             "o",
                                             "l",
                                             "S",
                                             W("с"),
                                             W("С"),
                                             " ",
                                             "\r\n",
                                             "&#115;",
                                             "&#x6F;",
                                             "&#241;",
                                             "&Ntilde;",
                                             "&ntilde;",
                                             "&amp;",
                                             "&",
                                             ";",
                                             "&lt;",
                                             "&zz;",
                                             "<p>",
                                             "</p>",
                                             "<title>",
                                             "</title>",
                                             "<TITLE>",
                                             ">",
                                             "<!-- solo -->",
                                             "<script>solo</script>",
                                             "<a href='solo'>",
                                             "solo",
                                             "sol",
                                             "lo",
                                             "ssssssssssssssssssssssssssssssss",
                                             "&#115;&#111;&#108;&#111;",
                                             "<&#116;itle>"};
    const std::vector<std::string> searches = {
        "solo",    "so",  "s",
        W("соло"), "o s", "s&",
        "&lt",     "ss",  "sssssssssssssssssssssssssssssssssss",
        "l;"};
    std::mt19937 random(13);
    TLegHtmlParser parser;
    for (int round = 0; round < 20000; ++round) {
        std::string document;
        for (size_t n = random() % 40; n > 0; --n)
            document += pieces[random() % pieces.size()];
        TSearchMatcher matcher(searches[random() % searches.size()]);
        const bool expected = MatchesDecoded(matcher, document);
        EXPECT_EQ(matcher.MatchDocument(parser, document), expected)
            << cp1251::ToUtf8(document) << " / " << cp1251::ToUtf8(matcher.FindText());
        std::string bytes = document;
        EXPECT_EQ(matcher.SearchDocument(parser, bytes), expected) << cp1251::ToUtf8(document);
    }
}
