// Menus built from their sections, history menus, and the favorites with their storage in the
// settings store.

#include "engine/StructWindow.h"

#include "engine/SkHotKey.h"
#include "platform/ConvertError.h"
#include "platform/Services.h"
#include "platform/SkinFrame.h"

#include <gtest/gtest.h>

namespace {

using TMessages = std::vector<std::string>;

const char* const kForm = "[main]\ntype=form\nreg_dat=\\Software\\Fav\n";

// The favorites menu of these tests: two fixed items, a last group of one.
const char* const kFavoritesMenu = "[fav]\ntype=pop_menu\ncaption=Добавить;Удалить\n"
                                   "action=add;del\nlast_caption=Очистить\nlast_action=clear\n"
                                   "glob_action=load\nfavorite=1\n";

std::vector<std::string> Captions(const TSkPopMenu* menu) {
    std::vector<std::string> captions;
    for (int i = 0; i < menu->ItemCount(); ++i)
        captions.push_back(cp1251::ToUtf8(menu->ItemAt(i)->Caption()));
    return captions;
}

std::vector<std::string> Actions(const TSkPopMenu* menu) {
    std::vector<std::string> actions;
    for (int i = 0; i < menu->ItemCount(); ++i)
        actions.push_back(cp1251::ToUtf8(menu->ItemAt(i)->Action));
    return actions;
}

std::vector<std::string> Favorites(const TSkStract& engine) {
    std::vector<std::string> list;
    if (engine.Favorites)
        for (const std::string& entry : *engine.Favorites)
            list.push_back(cp1251::ToUtf8(entry));
    return list;
}

std::string Setting(const TStructWindow& w, const std::string& name) {
    const auto it = w.Store.Values.find("software/fav/" + name);
    return it == w.Store.Values.end() ? "<none>" : cp1251::ToUtf8(it->second);
}

void Add(TStructWindow& w, const std::string& utf8Entry) {
    w.Engine->AddFavorite(W(utf8Entry));
}

TEST(MenuTest, FixedGroupsWithActionsKeysCheckAndLength) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[m]\ntype=pop_menu\ncaption=Один;Очень длинный пункт;Три\n"
                                 "action=test*1*a\nkey=Ctrl+1;;F5;Ctrl+9\nglob_action=test*g\n"
                                 "last_caption=Выход\nlast_action=test*exit\nlast_key=Alt+X\n"
                                 "check=1\nlength=10\n");
    TSkPopMenu* m = w.Engine->GetPopMenu("m");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Captions(m), (std::vector<std::string>{"Один", "Очень...", "Три", "Выход"}));
    EXPECT_EQ(Actions(m), (std::vector<std::string>{"test*1*a", "test*g", "test*g", "test*exit"}));
    EXPECT_EQ(m->FixedCount, 3);
    EXPECT_EQ(m->LastCount, 1);
    EXPECT_EQ(m->GlobalAction, "test*g");
    EXPECT_EQ(m->CaptionLength, 10);
    EXPECT_EQ(m->CheckIndex, 1);
    EXPECT_TRUE(m->ItemAt(1)->isChecked());
    EXPECT_FALSE(m->ItemAt(0)->isChecked());

    // Items with a key text are hot keys of the window; surplus key texts are ignored.
    const TSkHotKey& keys = w.Form->HotKeys;
    ASSERT_EQ(keys.Count(), 3);
    EXPECT_EQ(keys.ShortCutOf(0), TextToShortCut("Ctrl+1"));
    EXPECT_EQ(keys.CommandOf(0), "test*1*a");
    EXPECT_EQ(keys.ShortCutOf(1), TextToShortCut("F5"));
    EXPECT_EQ(keys.CommandOf(1), "test*g");
    EXPECT_EQ(keys.ShortCutOf(2), TextToShortCut("Alt+X"));
    EXPECT_EQ(keys.CommandOf(2), "test*exit");

    // A click on an item runs its action.
    m->ItemAt(0)->trigger();
    m->ItemAt(2)->trigger();
    EXPECT_EQ(w.Messages(), (TMessages{"1*a", "g*"}));
}

TEST(MenuTest, HotKeyOfAMenuItemRunsThroughTheWindow) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[m]\ntype=pop_menu\ncaption=Один\naction=test*hot\nkey=F7\n");
    w.Form->FormKeyDown(0x76, 0);
    EXPECT_EQ(w.Messages(), TMessages{"hot*"});
}

TEST(MenuTest, MissingParametersBuildNothing) {
    const std::string message = "надо указать все параметры:\r\nCaption, Action и можно Key";
    for (const char* keys :
         {"caption=Один\n", "action=nil\n", "history_back=html\n", "CAPTION=Один\nkey=F2\n"}) {
        TStructWindow w;
        w.Build(std::string(kForm) + "[half]\ntype=pop_menu\n" + keys);
        TSkPopMenu* m = w.Engine->GetPopMenu("half");
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->ItemCount(), 0) << keys;
        EXPECT_EQ(w.Form->HotKeys.Count(), 0) << keys;
        // Its keys are not applied: a history key does not make it a history menu.
        EXPECT_FALSE(w.Engine->RefreshHistoryItems(m)) << keys;
        EXPECT_EQ(w.Messages(), TMessages{"Для меню half " + message}) << keys;
    }
    // glob_action alone is enough; so are caption and action written in capitals.
    for (const char* keys : {"glob_action=nil\n", "Caption=Один\nACTION=nil\n"}) {
        TStructWindow w;
        w.Build(std::string(kForm) + "[ok]\ntype=pop_menu\n" + keys);
        EXPECT_EQ(w.Messages(), TMessages{}) << keys;
    }
}

TEST(MenuTest, CaptionsDriveTheGroups) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[m]\ntype=pop_menu\ncaption=А;Б;В\naction=x\n"
                                 "glob_action=g\n"
                                 "[n]\ntype=pop_menu\ncaption=А\naction=x;y;z\n");
    EXPECT_EQ(Actions(w.Engine->GetPopMenu("m")), (std::vector<std::string>{"x", "g", "g"}));
    EXPECT_EQ(Actions(w.Engine->GetPopMenu("n")), (std::vector<std::string>{"x"}));
}

TEST(MenuTest, MalformedCheckOrLengthEndsTheBuild) {
    for (const char* keys : {"check=first\n", "length=10x\n"}) {
        TStructWindow w;
        w.File(TStructWindow::kFile,
               std::string(kForm) + "[m]\ntype=pop_menu\nglob_action=nil\n" + keys);
        w.Form = std::make_unique<TfrmFORM>();
        w.Engine = std::make_unique<TSkStract>(w.Form.get(), TStructWindow::kFile);
        EXPECT_THROW(w.Engine->LoadStructure(), EConvertError) << keys;
    }
}

TEST(MenuTest, SystemMenuLink) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[sys]\ntype=pop_menu\nglob_action=nil\nmenu_system=1\n");
    EXPECT_EQ(w.Form->SkinForm->SystemMenu(), w.Engine->GetPopMenu("sys"));
    TStructWindow v;
    v.Build(std::string(kForm) + "[sys]\ntype=pop_menu\nglob_action=nil\nmenu_system=1\n"
                                 "[own]\ntype=pop_menu\nglob_action=nil\nmenu_system=0\n");
    EXPECT_EQ(v.Form->SkinForm->SystemMenu(), v.Form->SystemMenu);
}

TEST(MenuTest, HistoryMenusStayEmptyUntilThereIsAHistory) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[hist]\ntype=pop_menu\nglob_action=load\ncaption=Назад\n"
                                 "action=nil\nhistory_back=html\nhistory_prev=html\n"
                                 "[plain]\ntype=pop_menu\ncaption=Один\naction=nil\n");
    TSkPopMenu* hist = w.Engine->GetPopMenu("hist");
    EXPECT_TRUE(hist->ShowBack);
    EXPECT_TRUE(hist->ShowPrev);
    EXPECT_EQ(hist->HistoryTarget, "html");
    EXPECT_EQ(hist->ItemCount(), 1);
    w.Run("menu_show*hist//menu_show*plain");
    EXPECT_EQ(hist->ItemCount(), 0); // no view or tree of that name: an empty history
    EXPECT_EQ(w.Engine->GetPopMenu("plain")->ItemCount(), 1);
    EXPECT_FALSE(w.Engine->RefreshHistoryItems(w.Engine->GetPopMenu("plain")));
    EXPECT_EQ(w.Popups.size(), 2u);
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(MenuTest, FavoritesComeNewestFirstBetweenTheGroups) {
    TStructWindow w;
    w.Build(std::string(kForm) + kFavoritesMenu);
    for (int n = 1; n <= 10; ++n)
        Add(w, "Тема " + std::to_string(n) + "=t" + std::to_string(n) + ".htm");
    TSkPopMenu* fav = w.Engine->GetPopMenu("fav");
    std::vector<std::string> expected{"Добавить", "Удалить"};
    for (int n = 10; n >= 1; --n)
        expected.push_back("Тема " + std::to_string(n));
    expected.push_back("Очистить");
    EXPECT_EQ(Captions(fav), expected);
    EXPECT_EQ(cp1251::ToUtf8(fav->ItemAt(2)->Action), "load*t10.htm");
    EXPECT_EQ(fav->ItemAt(2)->Value, "t10.htm");
    EXPECT_EQ(Favorites(*w.Engine).front(), "Тема 10=t10.htm");
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(MenuTest, TwentyFirstFavoriteDropsTheOldest) {
    TStructWindow w;
    w.Build(std::string(kForm) + kFavoritesMenu +
            "[second]\ntype=pop_menu\nglob_action=go*insert\nfavorite=1\n");
    for (int n = 1; n <= 21; ++n)
        Add(w, "Тема " + std::to_string(n) + "=t" + std::to_string(n));
    const auto list = Favorites(*w.Engine);
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list.front(), "Тема 21=t21");
    EXPECT_EQ(list.back(), "Тема 2=t2");
    TSkPopMenu* fav = w.Engine->GetPopMenu("fav");
    ASSERT_EQ(fav->ItemCount(), 23);
    EXPECT_EQ(cp1251::ToUtf8(fav->ItemAt(2)->Caption()), "Тема 21");
    EXPECT_EQ(cp1251::ToUtf8(fav->ItemAt(21)->Caption()), "Тема 2");
    EXPECT_EQ(cp1251::ToUtf8(fav->ItemAt(22)->Caption()), "Очистить");
    TSkPopMenu* second = w.Engine->GetPopMenu("second");
    ASSERT_EQ(second->ItemCount(), 20);
    EXPECT_EQ(second->ItemAt(0)->Action, "go*t21");
    EXPECT_EQ(cp1251::ToUtf8(second->ItemAt(19)->Caption()), "Тема 2");
}

TEST(MenuTest, DuplicatesAndReplacedValues) {
    TStructWindow w;
    w.Build(std::string(kForm) + kFavoritesMenu +
            "[direct]\ntype=pop_menu\nglob_action=nil\nfavorite=1\n");
    Add(w, "Первая=x.htm");
    Add(w, "первая=X.HTM"); // the same entry, letter case aside: nothing changes
    EXPECT_EQ(Favorites(*w.Engine), (std::vector<std::string>{"Первая=x.htm"}));
    EXPECT_EQ(Captions(w.Engine->GetPopMenu("fav")),
              (std::vector<std::string>{"Добавить", "Удалить", "Первая", "Очистить"}));

    // The same value under another caption replaces the older item and entry; the menu whose
    // action is the value itself keeps its older item and stops the visit there.
    Add(w, "Другая=x.htm");
    EXPECT_EQ(Favorites(*w.Engine), (std::vector<std::string>{"Другая=x.htm"}));
    EXPECT_EQ(Captions(w.Engine->GetPopMenu("fav")),
              (std::vector<std::string>{"Добавить", "Удалить", "Другая", "Очистить"}));
    EXPECT_EQ(Captions(w.Engine->GetPopMenu("direct")), (std::vector<std::string>{"Первая"}));
    EXPECT_EQ(w.Engine->GetPopMenu("direct")->ItemAt(0)->Action, "x.htm");
}

TEST(MenuTest, DeleteFavoriteTakesTheFirstMatch) {
    TStructWindow w;
    w.Build(std::string(kForm) + kFavoritesMenu);
    Add(w, "А=doc1.htm");
    Add(w, "Б=doc12.htm");
    Add(w, "В=old/doc1.htm");
    // Every entry holding the text is a match; only the newest goes from the list.
    w.Engine->DeleteFavorite("DOC1");
    EXPECT_EQ(Favorites(*w.Engine), (std::vector<std::string>{"Б=doc12.htm", "А=doc1.htm"}));
    // Menu items go by their exact value (letter case aside).
    w.Run("menu_del_favore*Doc1.htm");
    EXPECT_EQ(Favorites(*w.Engine), (std::vector<std::string>{"Б=doc12.htm"}));
    EXPECT_EQ(Captions(w.Engine->GetPopMenu("fav")),
              (std::vector<std::string>{"Добавить", "Удалить", "В", "Б", "Очистить"}));
    w.Engine->DeleteFavorite("nothing");
    EXPECT_EQ(Favorites(*w.Engine).size(), 1u);
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(MenuTest, FavoritesAreStoredAndReadBack) {
    TStructWindow w;
    for (int n = 0; n < 5; ++n)
        w.Store.WriteString("\\Software\\Fav", "favorite_" + std::to_string(n),
                            W("Тема " + std::to_string(n) + "=t" + std::to_string(n)));
    w.Build(std::string(kForm) + kFavoritesMenu);
    EXPECT_EQ(Favorites(*w.Engine), (std::vector<std::string>{"Тема 0=t0", "Тема 1=t1", "Тема 2=t2",
                                                              "Тема 3=t3", "Тема 4=t4"}));
    EXPECT_EQ(cp1251::ToUtf8(w.Engine->GetPopMenu("fav")->ItemAt(2)->Caption()), "Тема 0");

    w.Engine->DeleteFavorite("t4");
    w.Engine->DeleteFavorite("t0");
    w.Close();
    EXPECT_EQ(Setting(w, "favorite_0"), "Тема 1=t1");
    EXPECT_EQ(Setting(w, "favorite_1"), "Тема 2=t2");
    EXPECT_EQ(Setting(w, "favorite_2"), "Тема 3=t3");
    EXPECT_EQ(Setting(w, "favorite_3"), "<none>");
    EXPECT_EQ(Setting(w, "favorite_4"), "<none>");

    // A new engine on the same store shows them again, in the same order.
    w.Rebuild();
    Add(w, "Новая=new");
    EXPECT_EQ(Captions(w.Engine->GetPopMenu("fav")),
              (std::vector<std::string>{"Добавить", "Удалить", "Новая", "Тема 1", "Тема 2",
                                        "Тема 3", "Очистить"}));
    w.Close();
    EXPECT_EQ(Setting(w, "favorite_0"), "Новая=new");
    EXPECT_EQ(Setting(w, "favorite_3"), "Тема 3=t3");
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(MenuTest, FavoritesConfigurationErrors) {
    {
        TStructWindow w;
        w.Build(std::string(kForm));
        Add(w, "А=a");
        EXPECT_EQ(w.Messages(),
                  TMessages{TStructWindow::Report(
                      "AddFavorite. Укажите меню которое хранит избранное (favorite)")});
    }
    {
        TStructWindow w;
        w.Build(std::string(kForm) + "[NoGlob]\ntype=pop_menu\ncaption=А\naction=a\nfavorite=1\n" +
                kFavoritesMenu);
        Add(w, "Б=b");
        EXPECT_EQ(w.Messages(),
                  TMessages{TStructWindow::Report(
                      "NoGlob.AddFavorite. Пропишите в меню glob_action для работы избранного")});
        // The visit stops at the faulty menu; the entry is kept in the list.
        EXPECT_EQ(w.Engine->GetPopMenu("fav")->ItemCount(), 3);
        EXPECT_EQ(Favorites(*w.Engine), (std::vector<std::string>{"Б=b"}));
    }
    {
        TStructWindow w;
        w.Build(std::string("[main]\ntype=form\n") + kFavoritesMenu);
        EXPECT_EQ(w.Messages(), TMessages{TStructWindow::Report(
                                    "ReadFavorite. Укажите путь в реестре (reg_dat для form)")});
        w.Dialogs.Clear();
        Add(w, "В=c");
        w.Close();
        EXPECT_EQ(w.Messages(), TMessages{TStructWindow::Report(
                                    "WriteReg. Укажите путь в реестре (reg_dat для form)")});
        EXPECT_TRUE(w.Store.Values.empty());
    }
}

} // namespace
