#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "archive/PakIniFile.h"
#include "archive/ResourceLoaders.h"
#include "common/TestSupport.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

// Every section with its lines: "[name]", then "key=value" or "|bare" lines.
std::string Dump(const TPakIniFile& ini) {
    std::string out;
    for (const TIniSection& section : ini.Sections()) {
        out += "[" + section.Name + "]\n";
        for (const TIniLine& line : section.Lines)
            out += (line.IsKey ? line.Key + "=" + line.Value : "|" + line.Key) + "\n";
    }
    return out;
}

// A disc in a temporary program folder: an archive of the given entries, messages recorded.
class TDisc {
public:
    explicit TDisc(const std::vector<TArchiveItem>& items) : Guard(&Dialogs) {
        CloseArchive();
        SetProgramFolderOverride(Dir.Folder());
        Dir.Write("interface.dat", BuildArchive(items));
        EXPECT_TRUE(OpenArchive("interface.dat"));
    }
    ~TDisc() {
        CloseArchive();
        SetProgramFolderOverride("");
    }
    TDisc(const TDisc&) = delete;
    TDisc& operator=(const TDisc&) = delete;

    TTempDir Dir;
    TRecordingDialogs Dialogs;
    TDialogsGuard Guard;
};

std::string NotFound(const std::string& name) {
    return W("Не найден файл \r\n") + name;
}

} // namespace

TEST(PakIniFile, ReadingRules) {
    struct TCase {
        const char* What;
        std::string Text;
        std::string Expected; // Dump of the result
    };
    const TCase cases[] = {
        {"blanks around the equals sign", "[btn]\r\n  type  =  button  \r\n",
         "[btn]\ntype=button\n"},
        {"tabs and control characters trimmed", "\t[a]\x01\n\tkey\t=\tvalue\x02\x1f\n",
         "[a]\nkey=value\n"},
        {"split at the first equals sign", "[a]\nx = b = c\n=v\nk=\n", "[a]\nx=b = c\n=v\nk=\n"},
        {"value keeps its case", "[a]\nKey=MiXeD Value\n", "[a]\nKey=MiXeD Value\n"},
        {"semicolon line is skipped", "[a]\n;type=x\n  ; note\nk=v;not a comment\n",
         "[a]\nk=v;not a comment\n"},
        {"empty lines skipped", "\n\n[a]\n\n   \nk=v\n\n", "[a]\nk=v\n"},
        {"lines before the first section ignored", "k=v\nbare\n;c\n[a]\nx=1\n", "[a]\nx=1\n"},
        {"bare lines kept unchanged", "[m]\n  item one  \nk=v\nitem two\n",
         "[m]\n|item one\nk=v\n|item two\n"},
        {"section name trimmed", "[  Main Form \t]\nk=v\n", "[Main Form]\nk=v\n"},
        {"brackets take precedence over equals", "[a=b]\nk=v\n", "[a=b]\nk=v\n"},
        {"unclosed bracket is a bare line", "[a]\n[b\n", "[a]\n|[b\n"},
        {"empty section name", "[]\nk=v\n", "[]\nk=v\n"},
        {"repeated sections kept apart", "[a]\nk=1\n[b]\n[A]\nk=2\n", "[a]\nk=1\n[b]\n[A]\nk=2\n"},
        {"CR, LF and CR LF end lines", "[a]\rx=1\ny=2\r\nz=3\n\rw=4", "[a]\nx=1\ny=2\nz=3\nw=4\n"},
        {"NUL ends the text", "[a]\nk=v\0\n[b]\nx=y\n"s, "[a]\nk=v\n"},
        {"NUL inside a line", "[a]\nk=va\0lue\n"s, "[a]\nk=va\n"},
        {"empty text", "", ""},
        {"Windows-1251 text kept", W("[Главная]\nЗаголовок = Очерки\n"),
         W("[Главная]\nЗаголовок=Очерки\n")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Dump(TPakIniFile::FromBytes(c.Text)), c.Expected) << c.What;
}

TEST(PakIniFile, LookupsIgnoreCaseAndFindTheFirst) {
    const std::string text = W("[MainForm]\n"
                               "Type = form\n"
                               "Caption=First\n"
                               "caption=Second\n"
                               "bare line\n"
                               "[Кнопка]\n"
                               "Цвет=#FF0000\n"
                               "[mainform]\n"
                               "type=panel\n"
                               "extra=1\n");
    const TPakIniFile ini = TPakIniFile::FromBytes(text);

    struct TCase {
        std::string Section, Key, Expected;
    };
    const TCase cases[] = {
        {"mainform", "type", "form"},           // capital header found in lower case
        {"MAINFORM", "TYPE", "form"},           // the first of two sections of that name
        {"MainForm", "caption", "First"},       // the first of two keys
        {"mainform", "extra", "<default>"},     // only in the second section: not found
        {"mainform", "bare line", "<default>"}, // a bare line is no key
        {W("кнопка"), W("ЦВЕТ"), "#FF0000"},    // Cyrillic letters compared without case
        {W("КНОПКА"), W("цвет"), "#FF0000"},    {"missing", "type", "<default>"},
        {"mainform", "missing", "<default>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, "<default>"), c.Expected)
            << c.Section << "/" << c.Key;

    EXPECT_TRUE(ini.SectionExists("MAINFORM"));
    EXPECT_TRUE(ini.SectionExists(W("кНОПКА")));
    EXPECT_FALSE(ini.SectionExists("main"));
    EXPECT_TRUE(ini.ValueExists("mainform", "CAPTION"));
    EXPECT_FALSE(ini.ValueExists("mainform", "extra"));
    EXPECT_FALSE(ini.ValueExists("missing", "type"));
}

TEST(PakIniFile, ListOperations) {
    const TPakIniFile ini = TPakIniFile::FromBytes("[Menu]\n"
                                                   "caption = Open;Close\n"
                                                   "first item\n"
                                                   "action=load*a.htm//nil\n"
                                                   "caption=again\n"
                                                   "[other]\n"
                                                   "[MENU]\n"
                                                   "late=1\n");
    TStrings list = {"left over"}; // the targets are replaced, not appended to
    ini.ReadSections(list);
    EXPECT_EQ(list, (TStrings{"Menu", "other", "MENU"}));
    list = {"left over"};
    ini.ReadSection("menu", list);
    EXPECT_EQ(list, (TStrings{"caption", "action", "caption"}));
    list = {"left over"};
    ini.ReadSectionValues("MENU", list);
    EXPECT_EQ(list, (TStrings{"caption=Open;Close", "action=load*a.htm//nil", "caption=again"}));
    list = {"left over"};
    ini.ReadSection("missing", list);
    EXPECT_TRUE(list.empty());
    list = {"left over"};
    ini.ReadSectionValues("other", list);
    EXPECT_TRUE(list.empty());

    // The engine reads a section's lines in file order, bare lines included.
    const TIniSection* menu = ini.FindSection("mEnU");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->Lines.size(), 4u);
    EXPECT_TRUE(menu->Lines[0].IsKey);
    EXPECT_FALSE(menu->Lines[1].IsKey);
    EXPECT_EQ(menu->Lines[1].Text(), "first item");
    EXPECT_EQ(menu->Lines[2].Text(), "action=load*a.htm//nil");
    EXPECT_EQ(ini.FindSection("missing"), nullptr);
}

TEST(PakIniFile, ManySectionsEachFound) {
    std::string text;
    for (int i = 0; i < 600; ++i)
        text += "[Object" + std::to_string(i) + "]\ntype=button\nleft=" + std::to_string(i) + "\n";
    const TPakIniFile ini = TPakIniFile::FromBytes(text);
    ASSERT_EQ(ini.Sections().size(), 600u);
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(ini.ReadString("OBJECT" + std::to_string(i), "Left", ""), std::to_string(i));
}

TEST(PakIniFile, LoadFromBytesReplacesTheContent) {
    TPakIniFile ini = TPakIniFile::FromBytes("[old]\nk=1\n");
    ini.LoadFromBytes("[new]\nk=2\n");
    EXPECT_FALSE(ini.SectionExists("old"));
    EXPECT_EQ(ini.ReadString("new", "k", ""), "2");
}

TEST(PakIniFile, ReadByNameFromTheArchive) {
    TDisc disc({{"struct_main.txt", "[frmMain]\r\ntype = form\r\n"},
                {W("окно.txt"), W("[Окно]\nзаголовок=Да\n")}});
    const TPakIniFile ini("Struct_Main.TXT");
    EXPECT_EQ(ini.ReadString("FRMMAIN", "type", ""), "form");
    const TPakIniFile cyrillic(W("ОКНО.txt"));
    EXPECT_EQ(cyrillic.ReadString(W("окно"), W("Заголовок"), ""), W("Да"));
    EXPECT_TRUE(disc.Dialogs.Messages().empty());

    const TPakIniFile missing("struct_none.txt");
    EXPECT_TRUE(missing.Sections().empty());
    EXPECT_EQ(disc.Dialogs.Messages(), std::vector<std::string>{NotFound("struct_none.txt")});
}

TEST(PackStrings, LinesOfAText) {
    struct TCase {
        const char* What;
        std::string Text;
        TStrings Expected;
    };
    const TCase cases[] = {
        {"CR LF, LF and CR", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"final break adds no line", "a\r\n", {"a"}},
        {"empty text", "", {}},
        {"one empty line", "\r\n", {""}},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"empty lines kept", "\n\nx\n\n", {"", "", "x", ""}},
        {"lines unchanged", "  blanks  \r\n\tTab", {"  blanks  ", "\tTab"}},
        {"NUL ends the text", "x\0y\nz"s, {"x"}},
        {"NUL at the start", "\0abc"s, {}},
        {"Windows-1251 bytes kept", W("Очерк\r\nЁж"), {W("Очерк"), W("Ёж")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextLines(c.Text), c.Expected) << c.What;
}

TEST(PackStrings, LoadByName) {
    TDisc disc({{"file.ind", "doc1.htm\r\ndoc2.htm\r\n\0ignored\r\n"s}});
    EXPECT_EQ(LoadPackStrings("FILE.IND"), (TStrings{"doc1.htm", "doc2.htm"}));
    EXPECT_TRUE(disc.Dialogs.Messages().empty());

    disc.Dir.Write("loose.txt", "one\ntwo");
    EXPECT_EQ(LoadPackStrings("loose.txt"), (TStrings{"one", "two"}));

    EXPECT_TRUE(LoadPackStrings("absent.ind").empty());
    EXPECT_EQ(disc.Dialogs.Messages(), std::vector<std::string>{NotFound("absent.ind")});
}
