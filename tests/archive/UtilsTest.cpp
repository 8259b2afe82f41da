#include "archive/Utils.h"
#include "common/TestSupport.h"
#include "platform/ConvertError.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"

#include <gtest/gtest.h>

namespace {

class TProgramFolder {
public:
    explicit TProgramFolder(const std::string& folder) { SetProgramFolderOverride(folder); }
    ~TProgramFolder() { SetProgramFolderOverride(""); }
};

} // namespace

TEST(Paths, ExpandPath) {
    TProgramFolder program("/opt/disc");
    struct TCase {
        const char* Name;
        const char* Base;
        const char* Expected;
    };
    const TCase cases[] = {
        {"docs/a.htm", "/prog", "/prog\\docs\\a.htm"},
        {"..\\a.htm", "/prog/docs/", "/prog\\a.htm"},
        {"..\\..\\pic\\a.jpg", "/prog/docs/sub/", "/prog\\pic\\a.jpg"},
        {"x\\..\\y.htm", "/prog/docs/", "/prog\\y.htm"}, // text before the last "..\" dropped
        {"../a.htm", "/prog/docs", "/prog\\a.htm"},      // "/" counts as "\"
        {"/etc/passwd", "/prog/", "/etc/passwd"},       // absolute: unchanged
        {"", "/prog/", ""},
        {"a.htm", "", "/opt/disc/a.htm"},               // empty base: the program folder
        {"..\\..\\..\\..\\a.htm", "/prog/docs/", "/a.htm"}, // never above the root
        {"..\\", "/prog/docs/", "/prog/docs/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandPath(c.Name, c.Base), c.Expected) << c.Name << " in " << c.Base;
}

TEST(Paths, ProgramPathAndBackslashes) {
    TProgramFolder program("/opt/disc");
    EXPECT_EQ(ProgramPath("\\pics\\x.bmp"), "/opt/disc/pics\\x.bmp");
    EXPECT_EQ(ProgramPath("pics\\x.bmp"), "/opt/disc/pics\\x.bmp");
    EXPECT_EQ(ProgramPath("/usr/x"), "/usr/x");
    EXPECT_EQ(ProgramPath(""), "");
    EXPECT_EQ(WithBackslash("a"), "a\\");
    EXPECT_EQ(WithBackslash("a\\"), "a\\");
    EXPECT_EQ(WithBackslash("a/"), "a/");
    EXPECT_EQ(WithBackslash(""), "");
    EXPECT_EQ(WithoutBackslash("a\\"), "a");
    EXPECT_EQ(WithoutBackslash("a"), "a");
}

TEST(Text, SplitHeadTailBeforeCut) {
    std::string t = "a*b*c";
    EXPECT_EQ(SplitHead(t, "*"), "a");
    EXPECT_EQ(t, "b*c");
    t = "abc";
    EXPECT_EQ(SplitHead(t, "*"), "abc");
    EXPECT_EQ(t, "");
    t = "load//html_back//x";
    EXPECT_EQ(SplitHead(t, "//"), "load");
    EXPECT_EQ(t, "html_back//x");

    struct TTail {
        const char* Text;
        const char* Sep;
        const char* Tail;
        const char* Rest;
    };
    const TTail tails[] = {
        {"a.b.c", ".", ".c", "a.b"},
        {"name.htm", ".", ".htm", "name"},
        {".htm", ".", ".htm", ""},      // an occurrence at the very start is not found
        {"abc", ".", "abc", ""},        // none: whole text returned, text emptied
        {"a//b//c", "//", "/c", "a//b"}, // tail starts at the separator's last character
    };
    for (const auto& c : tails) {
        std::string text = c.Text;
        EXPECT_EQ(SplitTail(text, c.Sep), c.Tail) << c.Text;
        EXPECT_EQ(text, c.Rest) << c.Text;
    }
    EXPECT_EQ(TextBefore("key=value", "="), "key");
    EXPECT_EQ(TextBefore("bare", "="), "bare");
    t = "abcdef";
    EXPECT_EQ(CutFirst(2, t), "ab");
    EXPECT_EQ(t, "cdef");
    EXPECT_EQ(CutFirst(10, t), "cdef");
    EXPECT_EQ(t, "");
}

TEST(Text, Abbreviate) {
    const std::string withBlanks = "one two three four five sixxxx"; // 30 characters
    ASSERT_EQ(withBlanks.size(), 30u);
    const std::string a = Abbreviate(withBlanks, 20);
    EXPECT_EQ(a, "one two three four...");
    EXPECT_LE(a.size(), 22u);
    const std::string b = Abbreviate(std::string(30, 'x'), 20);
    EXPECT_EQ(b, std::string(19, 'x'));
    EXPECT_EQ(Abbreviate("short", 20), "short");
    EXPECT_EQ(Abbreviate(withBlanks, 0), withBlanks);
}

TEST(Text, BooleansAndEven) {
    struct TCase {
        const char* Text;
        bool Default;
        bool Expected;
    };
    const TCase cases[] = {{" TRUE ", false, true}, {"1", false, true},    {"False", true, false},
                           {"0", true, false},      {"yes", false, false}, {"yes", true, true},
                           {"", true, true},        {"\t0\r", true, false}};
    for (const auto& c : cases)
        EXPECT_EQ(TextToBool(c.Text, c.Default), c.Expected) << c.Text;
    EXPECT_EQ(BoolToText(true), "1");
    EXPECT_EQ(BoolToText(false), "0");
    EXPECT_TRUE(IsEven(0));
    EXPECT_TRUE(IsEven(-4));
    EXPECT_FALSE(IsEven(-3));
}

TEST(Text, ColorFromText) {
    struct TCase {
        const char* Text;
        TColor Expected;
    };
    const TCase cases[] = {{"#FF0000", RGBColor(255, 0, 0)},
                           {"$0000FF", RGBColor(255, 0, 0)},
                           {"FF0000", RGBColor(0, 0, 255)},
                           {"#00FF00", RGBColor(0, 255, 0)},
                           {"#123456", RGBColor(0x12, 0x34, 0x56)},
                           {"#12345678", RGBColor(0x12, 0x34, 0x56)}, // extra digits dropped
                           {"#abc", 0xABC},                          // short: kept in order
                           {"0", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ColorFromText(c.Text), c.Expected) << c.Text;
    for (const char* bad : {"#GGHHII", "red", "clRed", "$", "#", "12 34", "$-5"})
        EXPECT_THROW(ColorFromText(bad), EConvertError) << bad;
}

TEST(Text, FontFromText) {
    TFontSpec font;
    font.Name = "Sans";
    font.Size = 9;
    font.Bold = true;
    FontFromText(font, "Serif*12*#0000FF*iu");
    EXPECT_EQ(font.Name, "Serif");
    EXPECT_EQ(font.Size, 12);
    EXPECT_EQ(font.Color, RGBColor(0, 0, 255));
    EXPECT_TRUE(font.Italic);
    EXPECT_TRUE(font.Underline);
    EXPECT_FALSE(font.Bold); // styles are replaced, not added

    FontFromText(font, "**$00FF00*BI"); // empty parts leave the font as it was
    EXPECT_EQ(font.Name, "Serif");
    EXPECT_EQ(font.Size, 12);
    EXPECT_EQ(font.Color, RGBColor(0, 255, 0));
    EXPECT_TRUE(font.Bold);
    EXPECT_TRUE(font.Italic);
    EXPECT_FALSE(font.Underline);

    const TFontSpec before = font;
    FontFromText(font, "Mono"); // name only
    EXPECT_EQ(font.Name, "Mono");
    EXPECT_EQ(font.Size, before.Size);
    EXPECT_EQ(font.Bold, before.Bold);

    EXPECT_THROW(FontFromText(font, "Arial*12x"), EConvertError);
    EXPECT_THROW(FontFromText(font, "Arial*12*#GGHHII"), EConvertError);
}

TEST(Text, NamesOfAndFindInList) {
    TStrings names;
    NamesOf({"a=1", "bare", "c=", "=d"}, names);
    EXPECT_EQ(names, (TStrings{"a", "bare", "c", ""}));

    const TStrings list = {W("Введение"), W("Глава первая"), W("глава вторая"), W("Итоги")};
    std::vector<int> progress;
    auto record = [&](int next) { progress.push_back(next); };
    EXPECT_EQ(FindInList(list, W("ГЛАВА"), 0, record, false), 1);
    EXPECT_EQ(progress, (std::vector<int>{1, 2}));
    EXPECT_EQ(FindInList(list, W("ГЛАВА"), 2, nullptr, false), 2);
    EXPECT_EQ(FindInList(list, W("ГЛАВА"), 3, nullptr, false), -1);
    EXPECT_EQ(FindInList(list, W("вая"), 0, nullptr, false), 1);
    EXPECT_EQ(FindInList(list, W("вая"), 0, nullptr, true), -1);
    EXPECT_EQ(FindInList(list, W("итог"), 0, nullptr, true), 3);
}

TEST(System, PrinterAndWallpaperGoThroughTheServices) {
    TRecordingDialogs dialogs;
    TRecordingShell shell;
    TMemorySettings settings;
    TDialogsGuard g1(&dialogs);
    TShellGuard g2(&shell);
    TSettingsGuard g3(&settings);

    EXPECT_TRUE(CheckPrinter(W("Принтер не установлен")));
    EXPECT_TRUE(CheckPrinter(""));
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{W("Принтер не установлен")});
    shell.Printer = "Office";
    EXPECT_FALSE(CheckPrinter("never shown"));
    EXPECT_EQ(DefaultPrinter(), "Office");
    EXPECT_EQ(dialogs.Messages().size(), 1u);

    SetWallpaper("/data/wallp.bmp", true);
    EXPECT_EQ(settings.ReadString("Control Panel\\Desktop", "Wallpaper").value_or(""),
              "/data/wallp.bmp");
    EXPECT_EQ(settings.ReadString("Control Panel\\Desktop", "TileWallpaper").value_or(""), "1");
    SetWallpaper("/data/wallp.bmp", false);
    EXPECT_EQ(settings.ReadString("Control Panel\\Desktop", "TileWallpaper").value_or(""), "0");
    EXPECT_EQ(shell.Wallpapers.size(), 2u);

    EXPECT_TRUE(ShellOpen("a.htm", "", "open"));
    ASSERT_EQ(shell.Opened.size(), 1u);
    EXPECT_EQ(shell.Opened[0].Verb, "open");
}

TEST(System, WindowsDirAndDriveKind) {
    const std::string windows = WindowsDir();
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(windows.back(), '/');
    EXPECT_TRUE(ResolveHostFolder(windows).has_value());
    const int kind = ProgramDriveKind();
    EXPECT_GE(kind, 0);
    EXPECT_LE(kind, 4);
}
