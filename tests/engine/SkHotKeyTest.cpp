#include "engine/SkHotKey.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct TKeyTextCase {
    std::string Text;
    TShortCut Expected;
};

TEST(KeyText, NamesAndPrefixesGiveTheShortCut) {
    const TKeyTextCase cases[] = {
        // The key names of the table.
        {"BkSp", 0x08},
        {"Tab", 0x09},
        {"Enter", 0x0D},
        {"Esc", 0x1B},
        {"Space", 0x20},
        {"PgUp", 0x21},
        {"PgDn", 0x22},
        {"End", 0x23},
        {"Home", 0x24},
        {"Left", 0x25},
        {"Up", 0x26},
        {"Right", 0x27},
        {"Down", 0x28},
        {"Ins", 0x2D},
        {"Del", 0x2E},
        {"0", 0x30},
        {"9", 0x39},
        {"A", 0x41},
        {"Z", 0x5A},
        {"F1", 0x70},
        {"F12", 0x7B},
        {"F24", 0x87},
        // Names and prefixes in any case.
        {"del", 0x2E},
        {"PGUP", 0x21},
        {"z", 0x5A},
        {"f5", 0x74},
        {"Ctrl+F5", 0x4074},
        {"ctrl+f5", 0x4074},
        {"CTRL+F5", 0x4074},
        {"^F5", 0x4074},
        {"^f5", 0x4074},
        {"Shift+Ctrl+A", 0x6041},
        {"Ctrl+Shift+A", 0x6041},
        {"shift+^a", 0x6041},
        {"^SHIFT+a", 0x6041},
        {"Alt+X", 0x8058},
        {"Alt+Ctrl+Shift+Del", 0xE02E},
        {"Ctrl+Ctrl+^A", 0x4041},
        // Keys outside the table.
        {"Num 0", 0x60},
        {"num 9", 0x69},
        {"Num Mul", 0x6A},
        {"Num +", 0x6B},
        {"Ctrl+Num -", 0x406D},
        {"Num .", 0x6E},
        {"Num /", 0x6F},
        {"=", 0xBB},
        {"Ctrl+-", 0x40BD},
        {"Alt+/", 0x80BF},
        {"\\", 0xDC},
        {"Pause", 0x13},
        // No key: nothing after the prefixes, or a name that matches nothing.
        {"", 0},
        {"Ctrl+", 0},
        {"^", 0},
        {"Shift+Alt+", 0},
        {"Ctrl", 0},
        {"Shift", 0},
        {"F0", 0},
        {"F25", 0},
        {"Foo", 0},
        {"AB", 0},
        {"Ctrl +A", 0},
        {"Ctrl+F5 ", 0},
        {" F5", 0},
        {"Num *", 0},
        {"Ctrl++", 0},
        {W("Ctrl+Й"), 0},
    };
    for (const TKeyTextCase& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(TextToShortCut(c.Text), c.Expected);
    }
}

TEST(KeyText, ShortCutToTextNamesModifiersThenKey) {
    const TKeyTextCase cases[] = {
        {"Ctrl+Shift+F5", 0x6074},
        {"F5", 0x74},
        {"Ctrl+Alt+Shift+Del", 0xE02E},
        {"Alt+X", 0x8058},
        {"Num Mul", 0x6A},
        {"Shift+BkSp", 0x2008},
        {"", 0},
        {"", 0x4000},
        {"", 0x00FF},
        {"", 0x6011},
    };
    for (const TKeyTextCase& c : cases) {
        SCOPED_TRACE(c.Expected);
        EXPECT_EQ(ShortCutToText(c.Expected), c.Text);
    }
}

// The lookup takes the first code with a matching name, so names must be unique for every key
// text to come back to its own code.
TEST(KeyText, EveryNamedKeyRoundTrips) {
    std::set<std::string> names;
    for (int code = 0x08; code <= 0xFF; ++code) {
        const std::string name = KeyName(code);
        if (name.empty())
            continue;
        EXPECT_TRUE(names.insert(cp1251::Lower(name)).second) << "duplicate name " << name;
        for (TShortCut modifiers : {0x0000, 0x2000, 0x4000, 0x8000, 0x6000, 0xE000}) {
            const auto shortCut = static_cast<TShortCut>(code | modifiers);
            EXPECT_EQ(TextToShortCut(ShortCutToText(shortCut)), shortCut) << std::hex << shortCut;
        }
    }
    EXPECT_EQ(KeyName(0x00), "");
    EXPECT_EQ(KeyName(0x11), "");
    EXPECT_EQ(KeyName(0x100), "");
}

TEST(SkHotKey, AddKeyCutsAtTheFirstStar) {
    struct TCase {
        std::string Description;
        int32_t Scope;
        TShortCut ShortCut;
        std::string Command;
    };
    const TCase cases[] = {
        {"Ctrl+F5*load*doc//html_go*html", -1, 0x4074, "load*doc//html_go*html"},
        {"F2", 3, 0x71, ""},
        {"F2*", 0, 0x71, ""},
        {"*load", -1, 0, "load"},
        {"Foo*x", 2, 0, "x"},
        {"", -1, 0, ""},
        {"^Num Mul*zoom_in", -1, 0x406A, "zoom_in"},
    };
    TSkHotKey keys;
    for (const TCase& c : cases)
        keys.AddKey(c.Description, c.Scope);
    ASSERT_EQ(keys.Count(), static_cast<int>(std::size(cases)));
    for (int i = 0; i < keys.Count(); ++i) {
        const TCase& c = cases[i];
        SCOPED_TRACE(c.Description);
        EXPECT_EQ(keys.ScopeOf(i), c.Scope);
        EXPECT_EQ(keys.ShortCutOf(i), c.ShortCut);
        EXPECT_EQ(keys.CommandOf(i), c.Command);
    }
    for (int i : {-1, keys.Count(), keys.Count() + 5}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(keys.ScopeOf(i), 0);
        EXPECT_EQ(keys.ShortCutOf(i), 0);
        EXPECT_EQ(keys.CommandOf(i), "");
    }
}

TEST(SkHotKey, FirstEntryOfTheCurrentPageOrOfEveryPageWins) {
    TSkHotKey keys;
    keys.AddKey("F5*first", 1);        // 0
    keys.AddKey("F5*second", -1);      // 1
    keys.AddKey("F5*third", 0);        // 2
    keys.AddKey("Ctrl+F5*ctrl", 0);    // 3
    keys.AddKey("^f6*page two", 2);    // 4
    keys.AddKey("Foo*never", -1);      // 5
    keys.AddKey("Ctrl+*never too", 1); // 6
    struct TCase {
        TShortCut Pressed;
        int32_t Page;
        int Expected;
    };
    const TCase cases[] = {
        {0x74, 1, 0},    // the first entry's own page
        {0x74, 0, 1},    // the first names another page: the next one of every page wins
        {0x74, 2, 1},    //
        {0x74, -1, 1},   // a form without pages
        {0x4074, 0, 3},  //
        {0x4074, 1, -1}, // only page 0 has it
        {0x2074, 1, -1}, // other modifiers
        {0x4075, 2, 4},  //
        {0x4075, 1, -1}, //
        {0x0000, 1, -1}, // shortcut 0 never fires, though entries 5 and 6 have it
        {0x0000, -1, -1}, {0x76, 1, -1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.Pressed << " page " << c.Page);
        EXPECT_EQ(keys.Match(c.Pressed, c.Page), c.Expected);
    }

    TSkHotKey unscopedFirst;
    unscopedFirst.AddKey("F5*a", -1);
    unscopedFirst.AddKey("F5*b", 1);
    EXPECT_EQ(unscopedFirst.Match(0x74, 1), 0);
    EXPECT_EQ(TSkHotKey().Match(0x74, -1), -1);
}

} // namespace
