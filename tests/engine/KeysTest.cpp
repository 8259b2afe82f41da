// Property keys: how a section is read (layout keys, file order, repeated keys, anchors put
// back), the value syntaxes and the key tables of the window and the layout and input controls.

#include "engine/StructWindow.h"

#include "SkinControl/SkSkin.h"
#include "platform/Controls.h"
#include "platform/ConvertError.h"
#include "platform/Cursors.h"
#include "platform/QtText.h"
#include "platform/Skin.h"
#include "platform/SkinFrame.h"

#include <QToolTip>

#include <gtest/gtest.h>

namespace {

using TMessages = std::vector<std::string>;

const char* const kForm = "[main]\ntype=form\nwidth=900\nheight=700\n";

std::string Caption(const QAbstractButton* button) {
    return cp1251::ToUtf8(FromQString(button->text()));
}

TEST(KeysTest, BooleanWithAnUnknownWordTakesTheKeysDefault) {
    TStructWindow w;
    w.Build(std::string(kForm) + "hide_caption=yes\nsize=yes\nsplash_close_auto=yes\n"
                                 "[b]\ntype=button\ntransparent=yes\nword_wrap=yes\n"
                                 "[sb]\ntype=sp_button\ndown=yes\n"
                                 "[e]\ntype=edit_box\nonly_number=yes\n"
                                 "[l]\ntype=label\nvisible=yes\nenabled=yes\n");
    EXPECT_FALSE(w.Form->SkinForm->CaptionVisible()); // hide_caption: default true
    EXPECT_TRUE(w.Form->Sizeable);
    EXPECT_TRUE(w.Engine->SplashCloseAuto);
    EXPECT_TRUE(w.Find<TSkButton>("b")->Transparent());
    EXPECT_FALSE(w.Find<TSkButton>("b")->WordWrap());
    EXPECT_FALSE(w.Find<TSkSpeedButton>("sb")->DownState);
    EXPECT_FALSE(w.Find<TSkEditBox>("e")->OnlyNumber);
    EXPECT_TRUE(IsShown(w.Find<TSkLabel>("l")));
    EXPECT_TRUE(w.Find<TSkLabel>("l")->isEnabled());
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, HideCaptionOnlyEverHides) {
    struct TCase {
        const char* Keys;
        bool CaptionShown;
    };
    for (const TCase& c : {TCase{"hide_caption=0\n", true}, TCase{"hide_caption=false\n", true},
                           TCase{"hide_caption=1\n", false}, TCase{"", true}}) {
        TStructWindow w;
        w.Build(std::string(kForm) + c.Keys);
        EXPECT_EQ(w.Form->SkinForm->CaptionVisible(), c.CaptionShown) << c.Keys;
    }
    // A second window section of the same file cannot bring the caption back.
    TStructWindow w;
    w.Build("[one]\ntype=form\nhide_caption=1\n[two]\ntype=form\nhide_caption=0\n");
    EXPECT_FALSE(w.Form->SkinForm->CaptionVisible());
}

TEST(KeysTest, WindowKeysApplyInFileOrder) {
    struct TCase {
        const char* Keys;
        bool EscClose;
        bool Sizeable;
    };
    for (const TCase& c :
         {TCase{"dialog=1\n", true, false}, TCase{"dialog=1\nesc_close=0\n", false, false},
          TCase{"esc_close=0\ndialog=1\n", true, false}, TCase{"esc_close=1\n", true, true},
          TCase{"dialog=1\ndialog=0\n", true, false}}) { // first value twice
        TStructWindow w;
        w.Build(std::string(kForm) + c.Keys);
        EXPECT_EQ(w.Form->EscClose, c.EscClose) << c.Keys;
        EXPECT_EQ(w.Form->DialogMode, !c.Sizeable) << c.Keys;
    }
}

TEST(KeysTest, WindowKeys) {
    TStructWindow w;
    w.Build("[main]\ntype=form\ncaption=Галерея\nleft=40\ntop=30\nwidth=640\nheight=480\n"
            "min_width=300\nmin_height=200\nsave_pos=1\nreg_dat=\\Software\\Test\nhelp_id=h7\n"
            "moving=1\nsize=0\neffect=fade\nbut_max=restore*maximize\n"
            "action=nil\nbut_help=test*помощь\nmessage_font=*12**b\n"
            "hint_color=#102030\nhint_font_color=$302010\n"
            "[restore]\ntype=sp_button\n[maximize]\ntype=sp_button\n");
    EXPECT_EQ(cp1251::ToUtf8(w.Form->Caption()), "Галерея");
    EXPECT_EQ(w.Form->geometry(), QRect(40, 30, 640, 480));
    EXPECT_EQ(w.Form->minimumWidth(), 300);
    EXPECT_EQ(w.Form->minimumHeight(), 200);
    EXPECT_TRUE(w.Engine->SavePos);
    EXPECT_EQ(w.Engine->RegistryPath, "\\Software\\Test");
    EXPECT_EQ(w.Engine->HelpId, "h7");
    EXPECT_TRUE(w.Form->Moving);
    EXPECT_FALSE(w.Form->Sizeable);
    EXPECT_EQ(w.Form->Effect, "fade");
    EXPECT_EQ(w.Form->MaximizedButtons, "restore;");
    EXPECT_EQ(w.Form->NormalButtons, "maximize;");
    EXPECT_EQ(w.Form->FormAction, "nil");
    EXPECT_TRUE(w.Form->HelpButton);
    EXPECT_EQ(cp1251::ToUtf8(w.Form->HelpAction), "test*помощь");
    EXPECT_EQ(w.Form->MessageFont.Size, 12);
    EXPECT_TRUE(w.Form->MessageFont.Bold);
    // "#" names red first, "$" blue first: the same colour twice.
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipText), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, UnreadableIconEndsTheBuildWithTheFileNamed) {
    TStructWindow w;
    w.File("app.ico", "not a picture");
    w.File(TStructWindow::kFile, "[main]\ntype=form\nico=app.ico\n");
    w.Form = std::make_unique<TfrmFORM>();
    w.Engine = std::make_unique<TSkStract>(w.Form.get(), TStructWindow::kFile);
    try {
        w.Engine->LoadStructure();
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(cp1251::ToUtf8(error.what()), "Не удалось прочитать файл значка: " +
                                                    cp1251::ToUtf8(w.Dir.Folder()) + "app.ico");
    }
}

TEST(KeysTest, PercentSizesOnlyForPanels) {
    // The client width is divided by 100 first: 850 pixels give 400 like 800.
    for (int parent : {800, 850, 899}) {
        TStructWindow w;
        w.Build(std::string(kForm) + "[outer]\ntype=panel\nwidth=" + std::to_string(parent) +
                "\nheight=" + std::to_string(parent / 2) +
                "\n[inner]\ntype=panel\nmaster=outer\nwidth=50%\nheight=50%\n"
                "[pp]\ntype=parent_panel\nmaster=outer\nwidth=25%\nheight=10\n");
        EXPECT_EQ(w.Find<TSkPanel>("inner")->width(), 400) << parent;
        EXPECT_EQ(w.Find<TSkPanel>("inner")->height(), (parent / 2) / 100 * 50) << parent;
        EXPECT_EQ(w.Find<TSkPanel>("inner")->PercentWidth, 50);
        EXPECT_EQ(w.Find<TParentPanel>("pp")->width(), 200) << parent;
    }
    for (const char* type : {"button", "label", "edit_box"}) {
        TStructWindow w;
        w.File(TStructWindow::kFile, std::string(kForm) + "[c]\ntype=" + type + "\nwidth=50%\n");
        w.Form = std::make_unique<TfrmFORM>();
        w.Engine = std::make_unique<TSkStract>(w.Form.get(), TStructWindow::kFile);
        EXPECT_THROW(w.Engine->LoadStructure(), EConvertError) << type;
    }
}

TEST(KeysTest, LayoutKeys) {
    TStructWindow w;
    w.Build(std::string(kForm) +
            "[a]\ntype=panel\nalign=Client\n"
            "[b]\ntype=label\nalign=middle\nleft=5\ntop=6\nwidth=70\nheight=20\n"
            "[c]\ntype=label\nvisible=0\nenabled=false\ncursor=crHandPoint\n"
            "[d]\ntype=label\ncursor=-21\n"
            "[e]\ntype=button\nvisible=yes\ncursor=141\n");
    EXPECT_EQ(GetAlign(w.Find<TSkPanel>("a")), TAlign::Client);
    EXPECT_EQ(GetAlign(w.Find<TSkLabel>("b")), TAlign::None);
    EXPECT_EQ(GetBounds(w.Find<TSkLabel>("b")), QRect(5, 6, 70, 20));
    EXPECT_FALSE(IsShown(w.Find<TSkLabel>("c")));
    EXPECT_FALSE(w.Find<TSkLabel>("c")->isEnabled());
    EXPECT_EQ(w.Find<TSkLabel>("c")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(w.Find<TSkLabel>("d")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(IsShown(w.Find<TSkButton>("e")));
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, AnchorsOnPanelsAndButtons) {
    TStructWindow w;
    w.Build(std::string(kForm) +
            "[box]\ntype=panel\nwidth=801\nheight=401\n"
            "[centred]\ntype=panel\nmaster=box\nwidth=301\nheight=101\nanchor=* * * *\n"
            "[b]\ntype=button\nmaster=box\nleft=7\ntop=8\nwidth=60\nheight=20\nanchor=* * * *\n"
            "[stretched]\ntype=button\nmaster=box\nwidth=60\nheight=20\nanchor=10 10 10 10\n"
            "[corner]\ntype=button\nmaster=box\nwidth=60\nheight=20\nanchor=* * 10 10\n"
            "[plain]\ntype=button\nmaster=box\nanchor=\n");
    auto* centred = w.Find<TSkPanel>("centred");
    EXPECT_TRUE(centred->CenterHorz);
    EXPECT_TRUE(centred->CenterVert);
    EXPECT_EQ(GetBounds(centred), QRect(250, 150, 301, 101));

    auto* b = w.Find<TSkButton>("b");
    EXPECT_EQ(GetBounds(b), QRect(7, 8, 60, 20));
    EXPECT_EQ(GetAnchors(b), kDefaultAnchors); // the anchors it had before the keys

    auto* stretched = w.Find<TSkButton>("stretched");
    EXPECT_EQ(GetBounds(stretched), QRect(10, 10, 781, 381));
    EXPECT_EQ(GetAnchors(stretched), TAnchors(akLeft | akTop | akRight | akBottom));

    auto* corner = w.Find<TSkButton>("corner");
    EXPECT_EQ(GetBounds(corner), QRect(731, 371, 60, 20));
    EXPECT_EQ(GetAnchors(corner), TAnchors(akRight | akBottom));

    EXPECT_EQ(GetAnchors(w.Find<TSkButton>("plain")), kDefaultAnchors);
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, MalformedAnchorEndsTheBuild) {
    TStructWindow w;
    w.File(TStructWindow::kFile, std::string(kForm) + "[b]\ntype=button\nanchor=1 2 x 4\n");
    w.Form = std::make_unique<TfrmFORM>();
    w.Engine = std::make_unique<TSkStract>(w.Form.get(), TStructWindow::kFile);
    EXPECT_THROW(w.Engine->LoadStructure(), EConvertError);
}

TEST(KeysTest, ColoursWithHashAndDollarAgree) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[red]\ntype=label\nfont=**#C01020\n"
                                 "[blue]\ntype=label\nfont=**$2010C0\n"
                                 "[bare]\ntype=label\nfont=**2010C0\n"
                                 "[p1]\ntype=parent_panel\ncolor=#C01020\n"
                                 "[p2]\ntype=parent_panel\ncolor=$2010C0\n");
    const QColor expected(0xC0, 0x10, 0x20);
    for (const char* name : {"red", "blue", "bare"})
        EXPECT_EQ(w.Find<TSkLabel>(name)->palette().color(QPalette::WindowText), expected) << name;
    for (const char* name : {"p1", "p2"}) {
        auto* panel = w.Find<TParentPanel>(name);
        EXPECT_EQ(panel->grab().toImage().pixelColor(5, 5), expected) << name;
    }
    for (const char* bad : {"#GGHHII", "", "red"}) {
        TStructWindow b;
        b.File(TStructWindow::kFile, std::string(kForm) + "[p]\ntype=parent_panel\ncolor=" + bad);
        b.Form = std::make_unique<TfrmFORM>();
        b.Engine = std::make_unique<TSkStract>(b.Form.get(), TStructWindow::kFile);
        EXPECT_THROW(b.Engine->LoadStructure(), EConvertError) << bad;
    }
}

TEST(KeysTest, FontChangesOnlyTheNamedParts) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[l]\ntype=label\nfont=Serif*10**i\n"
                                 "[sized]\ntype=label\nfont=*14\n"
                                 "[bu]\ntype=label\nfont=***bu\n"
                                 "[b]\ntype=button\nfont=Sans*11*#FF0000*b\n");
    auto* label = w.Find<TSkLabel>("l");
    EXPECT_EQ(label->font().family(), "Serif");
    EXPECT_EQ(label->font().pointSize(), 10);
    EXPECT_TRUE(label->font().italic());

    // Applying another section's keys to the same label: only the size changes.
    w.Engine->SetProperty(label, W("sized"), "label");
    EXPECT_EQ(label->font().family(), "Serif");
    EXPECT_EQ(label->font().pointSize(), 14);
    EXPECT_TRUE(label->font().italic());

    // A style part replaces the style: bold and underlined, no longer italic.
    w.Engine->SetProperty(label, W("bu"), "label");
    EXPECT_TRUE(label->font().bold());
    EXPECT_TRUE(label->font().underline());
    EXPECT_FALSE(label->font().italic());
    EXPECT_EQ(label->font().pointSize(), 14);

    auto* button = w.Find<TSkButton>("b");
    EXPECT_EQ(button->font().pointSize(), 11);
    EXPECT_TRUE(button->font().bold());
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, FontKeyWinsOverTheSkin) {
    TStructWindow w;
    w.File("plain.skin",
           "[style]\nQLabel, QToolButton { font: 9pt \"DejaVu Sans\"; color: #000000; }\n");
    w.File("own.skin", "[style]\nQToolButton { font: 8pt \"DejaVu Sans\"; }\n");
    w.Build("[main]\ntype=form\nskin=plain.skin\n"
            "[l]\ntype=label\nfont=DejaVu Serif*14*#C01020*b\n"
            "[kept]\ntype=label\n"
            "[b]\ntype=button\nfont=*12**i\nskin=*own.skin\n");
    auto* label = w.Find<TSkLabel>("l");
    label->ensurePolished();
    EXPECT_EQ(label->font().family(), "DejaVu Serif");
    EXPECT_EQ(label->font().pointSize(), 14);
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0xC0, 0x10, 0x20));
    auto* kept = w.Find<TSkLabel>("kept");
    kept->ensurePolished();
    EXPECT_EQ(kept->font().pointSize(), 9);
    // A control's own skin, read after the font key, does not take the font back.
    auto* button = w.Find<TSkButton>("b");
    button->ensurePolished();
    EXPECT_EQ(button->font().pointSize(), 12);
    EXPECT_TRUE(button->font().italic());
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(0, 0, 0)); // the skin's
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, RepeatedKeyAppliesTwiceWithItsFirstValue) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[b]\ntype=button\ncaption=Первая\ncaption=Вторая\n"
                                 "[twice]\ntype=panel\nvisible_ex=1\nvisible_ex=0\n"
                                 "[once]\ntype=panel\nvisible_ex=1\n"
                                 "[never]\ntype=panel\nvisible_ex=0\n");
    EXPECT_EQ(Caption(w.Find<TSkButton>("b")), "Первая");
    // visible_ex toggles: twice with "1" leaves the panel shown.
    EXPECT_TRUE(IsShown(w.Find<TSkPanel>("twice")));
    EXPECT_FALSE(IsShown(w.Find<TSkPanel>("once")));
    EXPECT_TRUE(IsShown(w.Find<TSkPanel>("never")));
}

TEST(KeysTest, ButtonAndSpeedButtonKeys) {
    TStructWindow w;
    w.Build(std::string(kForm) +
            "[b]\ntype=button\ncaption=Открыть\nhint=Подсказка\ntext_align=Left\n"
            "transparent=0\nword_wrap=1\naction=test*b\n"
            "[sb]\ntype=sp_button\ncaption=Вниз\ngroup=3\ndown=1\nhint_down=нажата\n"
            "hint_up=отпущена\nhint=просто\naction=test*sb\ntransparent=false\n");
    auto* b = w.Find<TSkButton>("b");
    EXPECT_EQ(Caption(b), "Открыть");
    EXPECT_EQ(cp1251::ToUtf8(FromQString(b->toolTip())), "Подсказка");
    EXPECT_EQ(b->TextAlign() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_FALSE(b->Transparent());
    EXPECT_TRUE(b->WordWrap());
    EXPECT_EQ(b->Action, "test*b");

    auto* sb = w.Find<TSkSpeedButton>("sb");
    EXPECT_EQ(Caption(sb), "Вниз");
    EXPECT_EQ(sb->Group(), 3);
    EXPECT_TRUE(sb->DownState);
    EXPECT_TRUE(sb->IsDown());
    EXPECT_EQ(cp1251::ToUtf8(sb->HintDown), "нажата");
    EXPECT_EQ(cp1251::ToUtf8(sb->HintUp), "отпущена");
    // "down" does not change the hint.
    EXPECT_EQ(cp1251::ToUtf8(FromQString(sb->toolTip())), "просто");
    EXPECT_FALSE(sb->Transparent());
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, MenuKeyFindsAMenuDefinedFurtherDown) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[sb]\ntype=sp_button\nmenu=later\n"
                                 "[later]\ntype=pop_menu\ncaption=Один\naction=nil\n");
    EXPECT_EQ(w.Find<TSkSpeedButton>("sb")->DropMenu(), w.Engine->GetPopMenu("later"));
    EXPECT_NE(w.Engine->GetPopMenu("later"), nullptr);
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, ObjectNameKeysReportMissingObjects) {
    // No tree, document view, menu or box of these names exists: every name is reported.
    TStructWindow w;
    w.Build(std::string(kForm) + "[sb]\ntype=sp_button\nmenu=nomenu\nbut_next_tree=tree1\n"
                                 "but_prev_tree=tree2\n"
                                 "[l]\ntype=label\nhtml_title=html1\n"
                                 "[e]\ntype=edit_box\nmin_link=nobox\n");
    EXPECT_EQ(w.Find<TSkSpeedButton>("sb")->DropMenu(), nullptr);
    EXPECT_EQ(w.Find<TSkEditBox>("e")->MinLink, nullptr);
    EXPECT_EQ(w.Messages(),
              (TMessages{TStructWindow::Report("GetComponent. Не найден контрол: nomenu"),
                         TStructWindow::Report("GetComponent. Не найден контрол: tree1"),
                         TStructWindow::Report("GetComponent. Не найден контрол: tree2"),
                         TStructWindow::Report("GetComponent. Не найден контрол: html1"),
                         TStructWindow::Report("GetComponent. Не найден контрол: nobox")}));
}

TEST(KeysTest, MinLinkTakesOnlyANumberOnlyBox) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[digits]\ntype=edit_box\nonly_number=1\n"
                                 "[text]\ntype=edit_box\n"
                                 "[a]\ntype=edit_box\nmin_link=DIGITS\n"
                                 "[b]\ntype=edit_box\nmin_link=text\n");
    EXPECT_EQ(w.Find<TSkEditBox>("a")->MinLink, w.Find<TSkEditBox>("digits"));
    EXPECT_EQ(w.Find<TSkEditBox>("b")->MinLink, nullptr);
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, UnknownTypeInSetProperty) {
    TStructWindow w;
    w.Build(std::string(kForm) + "[b]\ntype=button\n[odd]\ntype=none\ncaption=x\n");
    w.Engine->SetProperty(w.Find<TSkButton>("b"), "odd", "Gizmo");
    EXPECT_EQ(w.Messages(), TMessages{"SetProperty. Объект odd имеет неизвестный тип gizmo"});
}

TEST(KeysTest, LabelKeys) {
    TStructWindow w;
    w.Build(std::string(kForm) +
            "[link]\ntype=label\ncaption=Сайт\nurl=1\ntext_align=right\nhint=адрес\n"
            "[cut]\ntype=label\nwidth=60\nheight=20\ncut_length=1\n"
            "caption=Очень длинная подпись метки\n"
            "[wrap]\ntype=label\nword_wrap=1\n"
            "[auto]\ntype=label\nauto_size=1\ncaption=Подпись\nwidth=5\n");
    auto* link = w.Find<TSkLabel>("link");
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(cp1251::ToUtf8(link->FullCaption), "Сайт");

    auto* cut = w.Find<TSkLabel>("cut");
    EXPECT_TRUE(cut->CutLength);
    EXPECT_NE(cp1251::ToUtf8(cut->ShownCaption()), "Очень длинная подпись метки");
    EXPECT_TRUE(w.Find<TSkLabel>("wrap")->wordWrap());

    auto* sized = w.Find<TSkLabel>("auto");
    EXPECT_EQ(sized->size(), sized->sizeHint());
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, InputControlKeys) {
    TStructWindow w;
    w.File("towns.txt", "Москва#;#moscow.htm\nбез значения\n");
    w.File("colours.txt", "Красный;red\nСиний;blue\n");
    w.Build(
        std::string(kForm) +
        "[cb]\ntype=check_box\ncheck=1\nenable_control=a;B\nhint=флажок\n"
        "[plain]\ntype=check_box\n"
        "[rb]\ntype=r_button\ncaption=Вариант\ncheck=1\n"
        "[rb2]\ntype=r_button\n"
        "[list]\ntype=list_box\nload=towns.txt\nmultiselect=1\n"
        "[combo]\ntype=combo_box\nload=colours.txt\nread_only=1\ncount_line=5\naction=test*insert\n"
        "[spin]\ntype=spin_edit\nmin=5\nmax=10\n"
        "[e]\ntype=edit_box\nonly_number=1\naction=test*e\n");
    auto* cb = w.Find<TSkCheckBox>("cb");
    EXPECT_TRUE(cb->isChecked());
    EXPECT_EQ(cb->EnableList, (TStrings{"a", "b"}));
    EXPECT_EQ(Caption(w.Find<TSkCheckBox>("plain")), "plain"); // no caption: its own name
    EXPECT_TRUE(w.Find<TSkRadioButton>("rb")->isChecked());
    EXPECT_EQ(Caption(w.Find<TSkRadioButton>("rb")), "Вариант");
    EXPECT_EQ(Caption(w.Find<TSkRadioButton>("rb2")), "");

    auto* list = w.Find<TSkListBox>("list");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(cp1251::ToUtf8(FromQString(list->item(0)->text())), "Москва");
    EXPECT_EQ(list->GetValue(0), "moscow.htm");
    EXPECT_EQ(list->GetValue(1), "");
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);

    auto* combo = w.Find<TSkComboBox>("combo");
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_TRUE(combo->ReadOnly);
    EXPECT_EQ(combo->maxVisibleItems(), 5);

    auto* spin = w.Find<TSkSpinEdit>("spin");
    EXPECT_EQ(spin->Value(), 5);
    EXPECT_EQ(spin->HighLimit, 10);
    EXPECT_TRUE(w.Find<TSkEditBox>("e")->OnlyNumber);
    // Loading selects the first item without firing the combo box's action.
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(KeysTest, SkinsOfTheWindowAndOfControls) {
    TStructWindow w;
    const std::string skin = "[style]\nQWidget { color: #000000; }\n";
    w.File("skins/main.skin", skin);
    w.File("btn.skin", skin);
    w.Build(std::string(kForm) + "skin=skins\\main.skin*window\n"
                                 "[b1]\ntype=button\nskin=shiny*btn.skin\n"
                                 "[b2]\ntype=button\nskin=*btn.skin\n"
                                 "[p]\ntype=panel\nskin=flat*ignored.skin\n"
                                 "[c]\ntype=combo_box\nskin=*\n");
    const auto& entries = w.Engine->Skin->SkinEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].FileName, "main.skin");
    EXPECT_EQ(entries[1].FileName, "btn.skin");
    EXPECT_EQ(ThemeObject(w.Form.get()), "window");
    EXPECT_EQ(ThemeObject(w.Find<TSkButton>("b1")), "shiny");
    EXPECT_EQ(ThemeObject(w.Find<TSkButton>("b2")), "default"); // empty field: unchanged
    EXPECT_EQ(ThemeObject(w.Find<TSkPanel>("p")), "flat");
    EXPECT_EQ(ThemeObject(w.Find<TSkComboBox>("c")), ""); // combo boxes have no preset
    EXPECT_EQ(w.Messages(), TMessages{});
}

} // namespace
