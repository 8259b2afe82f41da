#include "engine/SkCommand.h"
#include "common/TestSupport.h"
#include "platform/MemoryServices.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct TExpected {
    std::string Name, ParamText;
    TStrings Params;
    std::string Rest;
};

struct TParseCase {
    std::string Text;
    std::vector<TExpected> Commands;
};

void PrintTo(const TParseCase& c, std::ostream* os) {
    *os << '"' << c.Text << '"';
}

std::vector<TParseCase> ParseCases() {
    return {
        {"tree_go_history*tree*3", {{"tree_go_history", "tree*3", {"tree", "3"}, ""}}},
        {"html_go_history*html*0//load",
         {{"html_go_history", "html*0", {"html", "0"}, "load"}, {"load", "", {}, ""}}},
        {"tree_go*tree**x*", {{"tree_go", "tree**x*", {"tree", "x"}, ""}}},
        {"//load", {{"load", "", {}, ""}}},
        // Empty and separator-only strings, and segments without a name.
        {"", {}},
        {"//", {}},
        {"*", {}},
        {"**", {}},
        {"////", {}},
        {"*//*//", {}},
        {"*load*x", {}},
        {"//*x//", {}},
        {"a////b", {{"a", "", {}, "//b"}, {"b", "", {}, ""}}},
        {"a//", {{"a", "", {}, ""}}},
        {"load*", {{"load", "", {}, ""}}},
        // Names are lower-cased, Cyrillic and Ё too; parameters keep their case.
        {"Tree_GO*Tree*TREE", {{"tree_go", "Tree*TREE", {"Tree", "TREE"}, ""}}},
        {W("ЗАГРУЗИТЬ*Документ//ЁЛКА"),
         {{W("загрузить"), W("Документ"), {W("Документ")}, W("ЁЛКА")}, {W("ёлка"), "", {}, ""}}},
        // Nothing is trimmed.
        {" tree_go*tree", {{" tree_go", "tree", {"tree"}, ""}}},
        {"load* x * //next ", {{"load", " x * ", {" x ", " "}, "next "}, {"next ", "", {}, ""}}},
        // Rest holds every command still to come, unparsed.
        {"a*1//B*2//c*3",
         {{"a", "1", {"1"}, "B*2//c*3"}, {"b", "2", {"2"}, "c*3"}, {"c", "3", {"3"}, ""}}},
        // A URL's "//" ends the command like any other.
        {"load*http://site.ru/A.htm",
         {{"load", "http:", {"http:"}, "site.ru/A.htm"}, {"site.ru/a.htm", "", {}, ""}}},
    };
}

class ParseTest : public ::testing::TestWithParam<TParseCase> {};

TEST_P(ParseTest, GivesTheCommandsInOrder) {
    const TParseCase& c = GetParam();
    const TSkCommand parsed(c.Text);
    ASSERT_EQ(parsed.Count(), static_cast<int>(c.Commands.size()));
    ASSERT_EQ(parsed.Items().size(), c.Commands.size());
    for (size_t i = 0; i < c.Commands.size(); ++i) {
        SCOPED_TRACE(i);
        const RCommand& got = parsed.Items()[i];
        EXPECT_EQ(got.Name, c.Commands[i].Name);
        EXPECT_EQ(got.ParamText, c.Commands[i].ParamText);
        EXPECT_EQ(got.Params, c.Commands[i].Params);
        EXPECT_EQ(got.Rest, c.Commands[i].Rest);
    }
}

INSTANTIATE_TEST_SUITE_P(CommandStrings, ParseTest, ::testing::ValuesIn(ParseCases()));

TEST(SkCommand, ParseReplacesTheEarlierList) {
    TSkCommand parsed("a*1//b*2");
    parsed.Parse("c");
    ASSERT_EQ(parsed.Count(), 1);
    EXPECT_EQ(parsed.Items()[0].Name, "c");
    parsed.Parse("//");
    EXPECT_EQ(parsed.Count(), 0);
    EXPECT_TRUE(parsed.Items().empty());
}

TEST(SkCommand, NameCaseDoesNotMatterButParameterCaseDoes) {
    const TSkCommand upper("LOAD*Doc"), lower("load*Doc"), other("load*doc");
    EXPECT_EQ(upper.CommandText(0), lower.CommandText(0));
    EXPECT_NE(lower.CommandText(0), other.CommandText(0));
}

TEST(SkCommand, CommandTextDropsEmptyParametersAndLowersTheName) {
    struct TCase {
        std::string Text;
        int Index;
        std::string Expected;
    };
    const TCase cases[] = {
        {"Tree_Go*tree**X*", 0, "tree_go*tree*X"},
        {"a//B*1***2", 1, "b*1*2"},
        {"load*", 0, "load"},
        {" Load* x ", 0, " load* x "},
        {"", 0, ""},
        {"a", 1, ""},
        {"a", -1, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(TSkCommand(c.Text).CommandText(c.Index), c.Expected);
    }
}

TEST(GetParam, PlainParametersComeBackAsWritten) {
    TRecordingDialogs dialogs;
    TDialogsGuard guard(&dialogs);
    const TStrings params = {"Tree", W("Документ"), " open_file(.txt)", "open_files", "xopen_file"};
    struct TCase {
        int Index;
        std::string Expected;
    };
    const TCase cases[] = {
        {0, "Tree"},       {1, W("Документ")}, {2, " open_file(.txt)"},
        {3, "open_files"}, {4, "xopen_file"},  {5, ""},
        {100, ""},         {-1, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Index);
        EXPECT_EQ(GetParam(params, c.Index), c.Expected);
    }
    EXPECT_EQ(GetParam({}, 0), "");
    EXPECT_TRUE(dialogs.Entries.empty());
}

TEST(GetParam, FileChoiceOpensTheDialogWithItsFilter) {
    struct TCase {
        std::string Command;
        int Index;
        std::string Filter;
    };
    const TCase cases[] = {
        {"save*open_file(.txt)*x", 0, "*.txt"},
        {"copy*src*Open_File(.BMP)", 1, "*.bmp"},
        {"save*open_file", 0, "*"},
        {"save*x*OPEN_FILE()", 1, "*"},
        {"save*open_file(.htm", 0, "*.htm"},
        {"save*open_file(.doc)tail", 0, "*.doc"},
        {W("save*open_file(.ТХТ)"), 0, W("*.тхт")},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Command);
        TRecordingDialogs dialogs;
        TDialogsGuard guard(&dialogs);
        dialogs.FileAnswers = {"/home/reader/Chosen File.txt"};
        const TSkCommand parsed(c.Command);
        ASSERT_EQ(parsed.Count(), 1);
        EXPECT_EQ(GetParam(parsed.Items()[0].Params, c.Index), "/home/reader/Chosen File.txt");
        // Read again: the dialog comes up again, and this time the reader cancels.
        EXPECT_EQ(GetParam(parsed.Items()[0].Params, c.Index), "");
        ASSERT_EQ(dialogs.Entries.size(), 2u);
        for (const auto& entry : dialogs.Entries) {
            EXPECT_EQ(entry.Kind, TRecordingDialogs::TKind::OpenFile);
            EXPECT_EQ(entry.Text, c.Filter);
        }
    }
}

TEST(GetParam, OtherParametersOfAFileChoiceCommandOpenNoDialog) {
    TRecordingDialogs dialogs;
    TDialogsGuard guard(&dialogs);
    const TSkCommand parsed("copy*Src*open_file(.txt)");
    EXPECT_EQ(GetParam(parsed.Items()[0].Params, 0), "Src");
    EXPECT_EQ(GetParam(parsed.Items()[0].Params, 2), "");
    EXPECT_TRUE(dialogs.Entries.empty());
}

} // namespace
