// The action dispatcher: values put into control actions, the hand-over of unknown commands to
// the owner, the built-in actions, and the guards against malformed parameters and loops.

#include "engine/StructWindow.h"

#include "platform/Controls.h"
#include "platform/HostPath.h"
#include "platform/QtText.h"
#include "platform/Services.h"

#include <QPointer>
#include <QSignalBlocker>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

using TMessages = std::vector<std::string>;

const char* const kForm = "[main]\ntype=form\nwidth=800\nheight=600\n";

// A window that records what its engine hands over.
struct TOwned : TStructWindow {
    std::vector<RHelpAction> Handed;
    TOwned() {
        OnAction = [this](const RHelpAction& action) { Handed.push_back(action); };
    }
    std::vector<std::string> HandedTexts() const {
        std::vector<std::string> texts;
        for (const auto& a : Handed)
            texts.push_back(cp1251::ToUtf8(a.Command));
        return texts;
    }
};

TEST(DispatchTest, UnknownCommandsGoToTheOwnerWithEverythingAfterThem) {
    struct TCase {
        const char* Command;
        std::vector<std::string> Handed;
        bool PanelShown;
    };
    const TCase cases[] = {
        {"visible*p*0//load*Doc.htm*x//visible*p*1", {"load*Doc.htm*x//visible*p*1"}, false},
        {"load*a.htm//visible*p*0", {"load*a.htm//visible*p*0"}, true},
        {"VISIBLE*p*0", {}, false},                                       // names compare lowered
        {" visible*p*0", {" visible*p*0"}, true},                         // a leading blank is kept
        {"Load**a.htm*//visible*p*0", {"load*a.htm//visible*p*0"}, true}, // normal text
        {"nil//visible*p*0", {}, false},
        {"nil", {}, true},
        {"html_print*html//visible*p*0", {"html_print*html//visible*p*0"}, true}, // window's
        {"", {}, true},
    };
    for (const TCase& c : cases) {
        TOwned w;
        w.Build(std::string(kForm) + "[p]\ntype=panel\n");
        w.Run(c.Command);
        EXPECT_EQ(w.HandedTexts(), c.Handed) << c.Command;
        EXPECT_EQ(IsShown(w.Find<TSkPanel>("p")), c.PanelShown) << c.Command;
        EXPECT_EQ(w.Messages(), TMessages{}) << c.Command;
    }
}

TEST(DispatchTest, WithoutAnOwnerUnknownCommandsAreDropped) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[p]\ntype=panel\n");
    w.Run("load*a.htm//visible*p*0//test*a*b");
    EXPECT_FALSE(IsShown(w.Find<TSkPanel>("p")));
    EXPECT_EQ(w.Messages(), TMessages{"a*b"});
}

TEST(DispatchTest, HandOverKeepsTheButtonsPosition) {
    TOwned w;
    w.Build(std::string(kForm) +
            "[b]\ntype=button\nleft=30\ntop=40\nwidth=80\nheight=25\naction=find_all*слово\n");
    auto* b = w.Find<TSkButton>("b");
    w.Engine->ClickControl(b);
    ASSERT_EQ(w.Handed.size(), 1u);
    const QPoint origin = b->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(cp1251::ToUtf8(w.Handed[0].Command), "find_all*слово");
    EXPECT_EQ(w.Handed[0].Height, 25);
    EXPECT_EQ(w.Handed[0].X, origin.x());
    EXPECT_EQ(w.Handed[0].Y, origin.y());
    EXPECT_EQ(w.Handed[0].Sender, nullptr);
}

TEST(DispatchTest, ValuesPutIntoActions) {
    TOwned w;
    w.File("list.txt", "Москва#;#moscow.htm\nбез значения\n");
    w.File("combo.txt", "Красный;red\nСиний;blue\nпусто\n");
    w.Build(std::string(kForm) +
            "[list]\ntype=list_box\nload=list.txt\naction=load\n"
            "[combo]\ntype=combo_box\nload=combo.txt\naction=set*insert*x\n"
            "[fixed]\ntype=combo_box\nload=combo.txt\naction=set*fixed\n"
            "[choose]\ntype=combo_box\nload=combo.txt\nread_only=1\naction=set*insert\n"
            "[check]\ntype=check_box\naction=flag*c\n"
            "[star]\ntype=check_box\naction=flag*s*\n"
            "[panel]\ntype=panel\naction=pan*1\n"
            "[label]\ntype=label\naction=lab*1\n");
    auto* list = w.Find<TSkListBox>("list");
    list->setCurrentRow(0);
    w.Engine->ClickControl(list);
    list->setCurrentRow(1); // no value: nothing fires
    w.Engine->ClickControl(list);

    // The selection is set quietly; the click stands for the change event.
    auto select = [](TSkComboBox* box, int index) {
        const QSignalBlocker quiet(box);
        box->setCurrentIndex(index);
    };
    auto* combo = w.Find<TSkComboBox>("combo");
    select(combo, 1);
    w.Engine->ClickControl(combo);
    auto* fixed = w.Find<TSkComboBox>("fixed");
    select(fixed, 0);
    w.Engine->ClickControl(fixed);
    auto* choose = w.Find<TSkComboBox>("choose");
    select(choose, -1); // read-only without a chosen item: nothing fires
    w.Engine->ClickControl(choose);

    auto* check = w.Find<TSkCheckBox>("check");
    check->setChecked(true);
    w.Engine->ClickControl(check);
    check->setChecked(false);
    w.Engine->ClickControl(check);
    auto* star = w.Find<TSkCheckBox>("star");
    star->setChecked(true);
    w.Engine->ClickControl(star);

    w.Engine->ClickControl(w.Find<TSkPanel>("panel"));
    w.Engine->ClickControl(w.Find<TSkLabel>("label"));
    w.Engine->ClickControl(w.Form.get()); // anything else: empty, nothing happens

    EXPECT_EQ(w.HandedTexts(),
              (std::vector<std::string>{"load*moscow.htm", "set*blue*x", "set*fixed", "flag*c*1",
                                        "flag*c*0", "flag*s*1", "pan*1", "lab*1"}));
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(DispatchTest, CheckBoxEnablesItsListAndReportsMissingNames) {
    TOwned w;
    w.Build(std::string(kForm) + "[cb]\ntype=check_box\nenable_control=One;ghost;two\n"
                                 "action=flag\n"
                                 "[one]\ntype=button\n[two]\ntype=edit_box\n");
    auto* cb = w.Find<TSkCheckBox>("cb");
    auto* one = w.Find<TSkButton>("one");
    auto* two = w.Find<TSkEditBox>("two");
    for (bool checked : {false, true, false}) {
        cb->setChecked(checked);
        w.Engine->ClickControl(cb);
        EXPECT_EQ(one->isEnabled(), checked);
        EXPECT_EQ(two->isEnabled(), checked);
    }
    EXPECT_EQ(w.HandedTexts(), (std::vector<std::string>{"flag*0", "flag*1", "flag*0"}));
    const std::string missing = TStructWindow::Report("GetControl. Не найден контрол: ghost");
    const std::string hint =
        TStructWindow::Report("Проверте параметр enable_control для чекьокса cb");
    EXPECT_EQ(w.Messages(), (TMessages{missing, hint, missing, hint, missing, hint}));
}

TEST(DispatchTest, EditBoxFiresOnEnterOrOnEveryKey) {
    TOwned w;
    w.Build(std::string(kForm) + "[e]\ntype=edit_box\naction=search\n");
    auto* e = w.Find<TSkEditBox>("e");
    w.Engine->KeyControl(e, 65, 0);
    w.Engine->KeyControl(e, 13, 0);
    e->ActOnEveryKey = true;
    w.Engine->KeyControl(e, 65, 0x2000);
    EXPECT_EQ(w.HandedTexts(), (std::vector<std::string>{"search", "search"}));
}

TEST(DispatchTest, CheckableTreeSelectionGoesThroughTheClickHandler) {
    TOwned w;
    w.Build(std::string(kForm) + "[b]\ntype=button\naction=picked\n");
    auto* b = w.Find<TSkButton>("b");
    w.Engine->TreeExItemChanged(b, nullptr); // the selection went: nothing fires
    w.Engine->TreeExItemChanged(b, b);
    EXPECT_EQ(w.HandedTexts(), (std::vector<std::string>{"picked"}));
}

TEST(DispatchTest, ShowHideEnableAndLabelActions) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[p]\ntype=panel\nleft=20\ntop=30\nwidth=100\nheight=50\n"
                                 "[pp]\ntype=parent_panel\n[s]\ntype=split\n[b]\ntype=button\n"
                                 "[sb]\ntype=sp_button\nhint_down=вниз\nhint_up=вверх\n"
                                 "[l]\ntype=label\ncaption=старое\n");
    w.Run("panel_show_or_hide*p");
    EXPECT_FALSE(IsShown(w.Find<TSkPanel>("p")));
    w.Run("panel_show_or_hide*P");
    EXPECT_TRUE(IsShown(w.Find<TSkPanel>("p")));
    EXPECT_EQ(GetBounds(w.Find<TSkPanel>("p")).topLeft(), QPoint(20, 30));

    w.Run("parpanel_show_or_hide*pp//split_show_or_hide*s//button_show_or_hide*b//"
          "spbutton_show_or_hide*sb");
    EXPECT_FALSE(IsShown(w.Find<TParentPanel>("pp")));
    EXPECT_FALSE(IsShown(w.Find<TSkSplitter>("s")));
    EXPECT_FALSE(IsShown(w.Find<TSkButton>("b")));
    EXPECT_FALSE(IsShown(w.Find<TSkSpeedButton>("sb")));

    w.Run("visible*b//visible*sb*true//enabled*l*0//enabled*p*FALSE");
    EXPECT_TRUE(IsShown(w.Find<TSkButton>("b")));
    EXPECT_TRUE(IsShown(w.Find<TSkSpeedButton>("sb")));
    EXPECT_FALSE(w.Find<TSkLabel>("l")->isEnabled());
    EXPECT_FALSE(w.Find<TSkPanel>("p")->isEnabled());

    w.Run("label*l*новое");
    EXPECT_EQ(cp1251::ToUtf8(w.Find<TSkLabel>("l")->FullCaption), "новое");

    auto* sb = w.Find<TSkSpeedButton>("sb");
    w.Run("sbutton_down*sb");
    EXPECT_TRUE(sb->DownState);
    EXPECT_TRUE(sb->IsDown());
    EXPECT_EQ(cp1251::ToUtf8(FromQString(sb->toolTip())), "вниз");
    w.Run("sbutton_down*sb");
    EXPECT_FALSE(sb->IsDown());
    EXPECT_EQ(cp1251::ToUtf8(FromQString(sb->toolTip())), "вверх");

    w.Run("help_id*topic9//test*a*b//test*один");
    EXPECT_EQ(w.Engine->HelpId, "topic9");
    EXPECT_EQ(w.Messages(), (TMessages{"a*b", "один*"}));
}

TEST(DispatchTest, SpeedButtonDownFlag) {
    struct TCase {
        const char* Command;
        bool Down;
    };
    for (const TCase& c : {TCase{"spbutton_down*sb", true}, TCase{"spbutton_down*sb*1", true},
                           TCase{"spbutton_down*sb*yes", true}, TCase{"spbutton_down*sb*0", false},
                           TCase{"spbutton_down*sb* False ", false}}) {
        TStructWindow w;
        w.Build(std::string(kForm) + "[sb]\ntype=sp_button\ndown=" + (c.Down ? "0" : "1") + "\n");
        w.Run(c.Command);
        EXPECT_EQ(w.Find<TSkSpeedButton>("sb")->IsDown(), c.Down) << c.Command;
        EXPECT_EQ(w.Find<TSkSpeedButton>("sb")->DownState, c.Down) << c.Command;
    }
}

TEST(DispatchTest, ClickActionsAndMissingTargets) {
    TOwned w;
    w.Build(std::string(kForm) + "[b]\ntype=button\naction=from_button\n"
                                 "[sb]\ntype=sp_button\naction=from_speed\n");
    w.Run("click_but*B//click_spbut*sb//click_but*ghost//click_spbut*b//visible*none*0");
    EXPECT_EQ(w.HandedTexts(), (std::vector<std::string>{"from_button", "from_speed"}));
    EXPECT_EQ(w.Messages(),
              (TMessages{TStructWindow::Report("GetComponent. Не найден контрол: ghost"),
                         TStructWindow::Report("GetComponent. Не найден контрол: b"),
                         TStructWindow::Report("GetControl. Не найден контрол: none")}));
}

TEST(DispatchTest, ComboLoadSelectsTheFirstItemWithoutFiring) {
    TStructWindow w;
    w.File("a.txt", "Один;1\n");
    w.File("b.txt", "Два;2\nТри;3\n");
    w.Build(std::string(kForm) + "[c]\ntype=combo_box\nload=a.txt\naction=test*insert\n");
    auto* c = w.Find<TSkComboBox>("c");
    w.Run("combo_load*c*b.txt");
    EXPECT_EQ(c->count(), 2);
    EXPECT_EQ(c->currentIndex(), 0);
    EXPECT_EQ(c->GetValue(), "2");
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(DispatchTest, MenuShowPlacesTheMenuUnderItsAnchor) {
    TStructWindow w;
    w.Build(std::string(kForm) +
            "[own]\ntype=button\nleft=10\ntop=10\nwidth=90\nheight=24\naction=menu_show*pm*other\n"
            "[other]\ntype=button\nleft=300\ntop=200\nwidth=90\nheight=30\n"
            "[speed]\ntype=sp_button\nleft=500\ntop=100\nwidth=40\nheight=22\n"
            "[pm]\ntype=pop_menu\ncaption=Один\naction=nil\n");
    auto* own = w.Find<TSkButton>("own");
    auto* other = w.Find<TSkButton>("other");
    auto* speed = w.Find<TSkSpeedButton>("speed");
    auto under = [](QWidget* anchor) {
        return anchor->mapToGlobal(QPoint(0, 0)) + QPoint(0, anchor->height());
    };

    w.Engine->ClickControl(own); // the clicked button wins over the named one
    w.Run("menu_show*pm*other");
    w.Run("menu_show*pm*SPEED");
    w.Run("menu_show*pm*nowhere");
    w.Run("menu_show*pm");
    ASSERT_EQ(w.Popups.size(), 5u);
    for (const auto& popup : w.Popups)
        EXPECT_EQ(popup.Menu, w.Engine->GetPopMenu("pm"));
    EXPECT_EQ(w.Popups[0].At, under(own));
    EXPECT_EQ(w.Popups[1].At, under(other));
    EXPECT_EQ(w.Popups[2].At, under(speed));
    EXPECT_EQ(w.Popups[3].At, QPoint(0, 0));
    EXPECT_EQ(w.Popups[4].At, QPoint(0, 0));
    EXPECT_EQ(w.Messages(), TMessages{"menu_show. Не найден контрол nowhere"});
}

TEST(DispatchTest, FormCloseSetsTheModalResult) {
    TStructWindow w;
    w.Build(std::string(kForm));
    w.Form->show();
    w.Run("form_close*3");
    EXPECT_EQ(w.Form->ModalResult(), 3);
    EXPECT_FALSE(w.Form->isVisible());
}

TEST(DispatchTest, FormCloseWithoutAParameterEndsTheProgram) {
    int ended = 0;
    TSkForm::SetTerminateHook([&ended] { ++ended; });
    {
        TStructWindow w;
        w.File("second.txt", "[second]\ntype=form\n[quit]\ntype=button\n"
                             "action=form_close//test*inner\n");
        w.Build(std::string(kForm));
        w.OnModal = [](QWidget* window) { window->findChild<TSkButton*>("quit")->click(); };
        // Also from a second window; nothing after it runs, there or in the window below.
        w.Run("form_show*second.txt//test*outer");
        EXPECT_EQ(ended, 1);
        w.Run("test*a//form_close//test*b");
        EXPECT_EQ(ended, 2);
        // Once the ending string has returned, commands run again (the hook kept us alive).
        w.Run("test*c");
        EXPECT_EQ(w.Messages(), (TMessages{"a*", "c*"}));
    }
    TSkForm::SetTerminateHook(nullptr);
}

TEST(DispatchTest, MalformedIntegerParameterStopsItsCommandString) {
    for (const char* command : {"form_close*abc//test*x*y", "form_close*12x//test*x*y"}) {
        TStructWindow w;
        w.Build(std::string(kForm));
        w.Form->show();
        w.Run(command);
        std::string cut = command;
        cut = cut.substr(0, cut.find("//"));
        const std::string number = cut.substr(cut.find('*') + 1);
        EXPECT_EQ(w.Messages(), TMessages{"Команда " + cut + " не выполнена: '" + number +
                                          "' is not a valid integer value"});
        EXPECT_TRUE(w.Form->isVisible()) << command;
        EXPECT_EQ(w.Form->ModalResult(), 0);
    }
}

TEST(DispatchTest, FormShowBuildsShowsAndFreesASecondWindow) {
    TStructWindow w;
    w.File("second.txt", "[second]\ntype=form\ncaption=Второе окно\nsave_pos=1\n"
                         "reg_dat=\\Software\\Test\n"
                         "[ok]\ntype=button\naction=form_close*5\n");
    w.Build(std::string(kForm) + "[b]\ntype=button\naction=form_show*second.txt//test*after\n");
    QPointer<QWidget> shown;
    QPointer<QWidget> button;
    int result = -1;
    w.OnModal = [&](QWidget* window) {
        shown = window;
        auto* form = dynamic_cast<TfrmFORM*>(window);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->parentWidget(), w.Form.get());
        EXPECT_EQ(cp1251::ToUtf8(form->Caption()), "Второе окно");
        auto* ok = window->findChild<TSkButton*>("ok");
        ASSERT_NE(ok, nullptr);
        button = ok;
        ok->click(); // its own engine closes it with a result
        result = form->ModalResult();
    };
    w.Engine->ClickControl(w.Find<TSkButton>("b"));
    EXPECT_EQ(w.ModalRuns, 1);
    EXPECT_EQ(result, 5);
    EXPECT_TRUE(shown.isNull());  // the window is gone
    EXPECT_TRUE(button.isNull()); // and its objects with it
    // Its engine was freed: freeing it saved the window's position.
    EXPECT_EQ(w.Store.Values.count("software/test/pos_second"), 1u);
    EXPECT_EQ(w.Messages(), TMessages{"after*"});
}

TEST(DispatchTest, WindowsThatOpenThemselvesStop) {
    TStructWindow w;
    w.File("again.txt", "[again]\ntype=form\naction=form_show*again.txt\n");
    w.Build(std::string(kForm));
    w.Run("form_show*again.txt");
    EXPECT_EQ(w.ModalRuns, 8);
    EXPECT_EQ(w.Messages(),
              TMessages{"form_show. Цикл окон остановлен (вложенность больше 8): again.txt"});
}

TEST(DispatchTest, SelfClickingButtonsStop) {
    for (const char* action :
         {"click_but*b", "click_but*b//click_but*b", "test*x//click_spbut*s"}) {
        TStructWindow w;
        const bool speed = std::string(action).find("spbut") != std::string::npos;
        w.Build(std::string(kForm) + (speed ? "[s]\ntype=sp_button\n" : "[b]\ntype=button\n") +
                "action=" + action + "\n");
        if (speed)
            w.Engine->ClickControl(w.Find<TSkSpeedButton>("s"));
        else
            w.Engine->ClickControl(w.Find<TSkButton>("b"));
        const TMessages messages = w.Messages();
        ASSERT_FALSE(messages.empty()) << action;
        EXPECT_EQ(messages.back(),
                  std::string("Dispatch. Цикл команд остановлен (вложенность больше 16): ") +
                      action);
        EXPECT_EQ(std::count(messages.begin(), messages.end(), messages.back()), 1) << action;
        // The dispatcher works again afterwards.
        w.Dialogs.Clear();
        w.Run("test*a*b");
        EXPECT_EQ(w.Messages(), TMessages{"a*b"}) << action;
    }
}

TEST(DispatchTest, RunStartsOnlyWhatTheDiscHolds) {
    TStructWindow w;
    w.File("tools/viewer.sh", "#!/bin/sh\n");
    w.Build(std::string(kForm));
    w.Run("run*tools\\viewer.sh*--fast");
    w.Run("run*\\tools/viewer.sh");
    w.Run("run*..\\..\\..\\usr\\bin\\xterm");
    w.Run("run*tools\\..\\..\\x.sh");
    w.Run("run*/usr/bin/xterm");
    ASSERT_EQ(w.ShellLog.Opened.size(), 2u);
    EXPECT_EQ(w.ShellLog.Opened[0].File, w.Dir.Folder() + "tools\\viewer.sh");
    EXPECT_EQ(w.ShellLog.Opened[0].Parameters, "--fast");
    EXPECT_EQ(w.ShellLog.Opened[0].Verb, "open");
    EXPECT_EQ(w.ShellLog.Opened[1].File, w.Dir.Folder() + "tools/viewer.sh");
    const std::string refused = "run. Запуск запрещён: файл вне папки программы: ";
    EXPECT_EQ(w.Messages(),
              (TMessages{refused + "..\\..\\..\\usr\\bin\\xterm", refused + "tools\\..\\..\\x.sh",
                         refused + "/usr/bin/xterm"}));
}

TEST(DispatchTest, HelpOpensTheHelpFileWhenThereIsOne) {
    TStructWindow w;
    w.File("help/reader.html", "<html></html>");
    w.Build(std::string(kForm));
    w.Run("help*help\\reader.html*topic//help*missing.chm//help");
    ASSERT_EQ(w.ShellLog.Opened.size(), 1u);
    EXPECT_EQ(w.ShellLog.Opened[0].File, w.Dir.Folder() + "help\\reader.html");
    EXPECT_EQ(w.Messages(), (TMessages{"help. Не найден файл справки: missing.chm",
                                       "help. Не найден файл справки: "}));
}

TEST(DispatchTest, FileChoiceParameterAsksWhateverTheCommand) {
    TOwned w;
    w.Build(std::string(kForm) + "[l]\ntype=label\n");
    w.Dialogs.FileAnswers = {W("/tmp/выбор.txt"), "/tmp/b.txt"};
    w.Run("label*l*open_file(.TXT)//later*open_file");
    EXPECT_EQ(cp1251::ToUtf8(w.Find<TSkLabel>("l")->FullCaption), "/tmp/выбор.txt");
    ASSERT_EQ(w.Dialogs.Entries.size(), 2u);
    EXPECT_EQ(w.Dialogs.Entries[0].Text, "*.txt");
    EXPECT_EQ(w.Dialogs.Entries[1].Text, "*");
    EXPECT_EQ(w.HandedTexts(), (std::vector<std::string>{"later*open_file"}));
}

} // namespace

namespace {

// The controls gallery of the demo disc: every control and every action in it works without a
// single error report.
TEST(GalleryTest, EveryControlAndActionOfTheGalleryWorks) {
    TStructWindow w(FromHostPath(std::string(CHITALKA_SOURCE_DIR) + "/content/demo/"));
    int dialogs = 0;
    w.OnModal = [&](QWidget* window) {
        ++dialogs;
        auto* ok = window->findChild<TSkButton*>("dlg_ok");
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(cp1251::ToUtf8(dynamic_cast<TSkForm*>(window)->Caption()), "Второе окно");
        ok->click();
        EXPECT_EQ(dynamic_cast<TSkForm*>(window)->ModalResult(), 1);
    };
    w.Form = std::make_unique<TfrmFORM>();
    w.Engine = std::make_unique<TSkStract>(w.Form.get(), "struct_gallery.txt");
    w.Engine->LoadStructure();
    w.Engine->Activate();
    auto status = [&] { return cp1251::ToUtf8(w.Find<TSkLabel>("status")->FullCaption); };
    EXPECT_EQ(status().rfind("Окно построено.", 0), 0u);
    ASSERT_EQ(w.Messages(), TMessages{});

    for (const char* name : {"btn_left", "btn_font", "btn_wrap", "btn_test", "btn_dialog"}) {
        w.Engine->ClickControl(w.Find<TSkButton>(name));
        EXPECT_NE(status(), "") << name;
    }
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(status().rfind("Второе окно закрыто", 0), 0u);
    w.Engine->ClickControl(w.Find<TSkButton>("btn_menu"));
    ASSERT_EQ(w.Popups.size(), 1u);
    EXPECT_EQ(w.Popups[0].Menu, w.Engine->GetPopMenu("pm_colors"));

    w.Engine->ClickControl(w.Find<TSkSpeedButton>("sb_b"));
    EXPECT_EQ(status(), "В группе нажата кнопка «Центр».");
    auto* info = w.Find<TSkPanel>("info");
    auto* sbInfo = w.Find<TSkSpeedButton>("sb_info");
    w.Engine->ClickControl(sbInfo);
    EXPECT_FALSE(IsShown(info));
    EXPECT_FALSE(sbInfo->DownState);
    EXPECT_EQ(cp1251::ToUtf8(FromQString(sbInfo->toolTip())), "Показать панель сведений");
    w.Engine->ClickControl(sbInfo);
    EXPECT_TRUE(IsShown(info));
    w.Engine->ClickControl(w.Find<TSkSpeedButton>("sb_reset"));
    EXPECT_FALSE(w.Find<TSkSpeedButton>("sb_a")->IsDown());

    TSkPopMenu* main = w.Engine->GetPopMenu("pm_main");
    ASSERT_EQ(main->ItemCount(), 6);
    for (int i = 0; i < main->ItemCount(); ++i)
        main->ItemAt(i)->trigger();
    EXPECT_FALSE(IsShown(info));                                 // item 1 toggled it
    EXPECT_TRUE(w.Find<TParentPanel>("pp_inputs")->isEnabled()); // off, then on again
    EXPECT_EQ(dialogs, 2);
    TSkPopMenu* colours = w.Engine->GetPopMenu("pm_colors");
    EXPECT_TRUE(colours->ItemAt(0)->isChecked());
    colours->ItemAt(2)->trigger();
    EXPECT_EQ(status(), "Из меню выбран синий.");

    w.Form->FormKeyDown(0x70, 0);      // F1
    w.Form->FormKeyDown(0x4D, 0x4000); // Ctrl+M
    w.Form->FormKeyDown(0x49, 0x4000); // Ctrl+I
    EXPECT_TRUE(IsShown(info));
    ASSERT_EQ(w.Popups.size(), 2u);
    EXPECT_EQ(w.Popups[1].Menu, main);
    auto* menuButton = w.Find<TSkSpeedButton>("sb_menu");
    EXPECT_EQ(w.Popups[1].At,
              menuButton->mapToGlobal(QPoint(0, 0)) + QPoint(0, menuButton->height()));

    auto* list = w.Find<TSkListBox>("list");
    list->setCurrentRow(0);
    w.Engine->ClickControl(list);
    EXPECT_EQ(status(), "Москва — столица России.");
    auto* combo = w.Find<TSkComboBox>("combo");
    combo->setCurrentIndex(2); // its change event fires the action
    EXPECT_EQ(status(), "В выпадающем списке выбрано значение: жёлтый");

    auto* enable = w.Find<TSkCheckBox>("cb_enable");
    enable->click();
    EXPECT_FALSE(w.Find<TSkEditBox>("ed_name")->isEnabled());
    EXPECT_FALSE(w.Find<TSkEditBox>("ed_number")->isEnabled());
    EXPECT_EQ(status(), "Флажок enable_control: 0 (1 — поля доступны, 0 — нет).");
    w.Find<TSkCheckBox>("cb_info")->click();
    EXPECT_FALSE(IsShown(info));
    w.Engine->ClickControl(w.Find<TSkPanel>("centred"));
    EXPECT_EQ(status(), "Двойной щелчок по панели выполняет её action.");

    EXPECT_EQ(w.Messages(),
              (TMessages{"Привет*мир", "Меню*работает", "Горячая клавиша F1*раздел hot_key"}));
}

} // namespace
