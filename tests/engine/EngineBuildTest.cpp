// Building windows from structure files: the three passes and their order, owners that never
// come, pages of a window, percentages and anchors, the window's keys, secondary windows, saved
// positions, lookups, the registry's ownership, the splash window, and the engine's helpers.

#include "common/TestSupport.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkInputs.h"
#include "SkinControl/SkLabel.h"
#include "SkinControl/SkPanels.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkSimple.h"
#include "app/SkForm.h"
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "archive/BmpCodec.h"
#include "engine/SkHelpers.h"
#include "engine/SkStract.h"
#include "engine/Splash.h"
#include "platform/Codec1251.h"
#include "platform/Controls.h"
#include "platform/ConvertError.h"
#include "platform/Cursors.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"
#include "platform/Modal.h"
#include "platform/Notebook.h"
#include "platform/QtText.h"
#include "platform/Skin.h"
#include "platform/SkinFrame.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QToolTip>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// A temporary disc of loose files, every message recorded, settings in memory, modal windows run
// by a hook and the program's end replaced by a counter.
class Build : public ::testing::Test {
protected:
    static constexpr const char* kFile = "struct_test.txt";

    Build() {
        CloseArchive();
        SetProgramFolderOverride(Disc.Folder());
        SetModalRunner([this](QWidget* window) {
            ++ModalRuns;
            if (OnModal)
                OnModal(window);
            window->close();
        });
        SetMenuRunner([](QMenu*, const QPoint&) {});
        TSkForm::SetTerminateHook([this] { ++Terminations; });
    }
    ~Build() override {
        Engine.reset();
        Form.reset();
        TSkForm::SetTerminateHook(nullptr);
        SetModalRunner(nullptr);
        SetMenuRunner(nullptr);
        CloseArchive();
        SetProgramFolderOverride("");
    }

    // A disc file: UTF-8 text stored as Windows-1251 with CR LF line ends.
    void File(const std::string& name, const std::string& utf8) const {
        std::string text;
        for (char c : utf8) {
            if (c == '\n')
                text += '\r';
            text += c;
        }
        Disc.Write(name, W(text));
    }

    // Writes the structure file and builds a window from it.
    void Make(const std::string& utf8) {
        File(kFile, utf8);
        MakeFrom(kFile);
    }
    void MakeFrom(const std::string& file) {
        Engine.reset();
        Form.reset();
        Form = std::make_unique<TfrmFORM>();
        Engine = std::make_unique<TSkStract>(Form.get(), file);
        Engine->LoadStructure();
        Engine->Activate();
    }

    // Section names of the engine's objects in creation order.
    std::vector<std::string> Order() const {
        std::vector<std::string> names;
        for (const auto& object : Engine->AllObjects())
            names.push_back(cp1251::ToUtf8(Engine->SectionOf(object.data())));
        return names;
    }
    template <typename T> T* Find(const std::string& utf8Name) const {
        return dynamic_cast<T*>(Engine->GetControl(W(utf8Name)));
    }
    QWidget* Page() const { return Form->Notebook->Page(Engine->PageIndex); }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const std::string& text : Dialogs.Messages())
            texts.push_back(cp1251::ToUtf8(text));
        return texts;
    }
    static std::string Report(const std::string& utf8, const std::string& file = kFile) {
        return file + "\r\n" + utf8;
    }

    TTempDir Disc;
    TRecordingDialogs Dialogs;
    TMemorySettings Store;
    std::function<void(QWidget*)> OnModal;
    int ModalRuns = 0;
    int Terminations = 0;
    std::unique_ptr<TSkForm> Form;
    std::unique_ptr<TSkStract> Engine;

private:
    TDialogsGuard DialogsGuard{&Dialogs};
    TSettingsGuard SettingsGuard{&Store};
};

// ---- order of creation ----

TEST_F(Build, ObjectsComeIntoBeingParentsFirstSiblingsInFileOrder) {
    const struct {
        const char* What;
        const char* File;
        std::vector<std::string> Order;
    } cases[] = {
        {"child, parent, form",
         "[c]\ntype=button\nmaster=p\n[p]\ntype=panel\n[main]\ntype=form\n",
         {"p", "c"}},
        {"grandchild before its parent",
         "[main]\ntype=form\n[g]\ntype=button\nmaster=inner\n[outer]\ntype=panel\n"
         "[inner]\ntype=panel\nmaster=outer\n[after]\ntype=button\n",
         {"outer", "inner", "g", "after"}},
        {"a container's children before its next sibling",
         "[main]\ntype=form\n[p1]\ntype=panel\n[a]\ntype=button\nmaster=p1\n[p2]\ntype=panel\n"
         "[b]\ntype=button\nmaster=P1\n",
         {"p1", "a", "b", "p2"}},
        {"top-level siblings keep file order around an early child",
         "[main]\ntype=form\n[c]\ntype=button\nmaster=p\n[x]\ntype=button\n[p]\ntype=panel\n"
         "[q]\ntype=button\n[r]\ntype=button\n",
         {"x", "p", "c", "q", "r"}},
        {"master naming the window is top level",
         "[Main]\ntype=form\n[a]\ntype=label\nmaster=MAIN\n[b]\ntype=label\n",
         {"a", "b"}},
        {"popup menu last in the file comes first",
         "[main]\ntype=form\n[b]\ntype=sp_button\nmenu=m\n"
         "[m]\ntype=pop_menu\ncaption=Один\naction=nil\n",
         {"m", "b"}},
        {"scroll box and parent panel hold children",
         "[main]\ntype=form\n[box]\ntype=scroll_box\n[in]\ntype=button\nmaster=box\n"
         "[pp]\ntype=parent_panel\n[deep]\ntype=edit_box\nmaster=pp\n",
         {"box", "in", "pp", "deep"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Dialogs.Clear();
        Make(c.File);
        EXPECT_EQ(Order(), c.Order);
        EXPECT_TRUE(Messages().empty()) << Messages().front();
    }
}

TEST_F(Build, ChildrenSitInTheirContainers) {
    Make("[main]\ntype=form\n[p]\ntype=panel\n[c]\ntype=button\nmaster=p\n[box]\ntype=scroll_box\n"
         "[in]\ntype=label\nmaster=box\n[m]\ntype=pop_menu\nmaster=p\ncaption=a\naction=nil\n");
    EXPECT_EQ(Find<TSkPanel>("p")->parentWidget(), Page());
    EXPECT_EQ(Find<TSkButton>("c")->parentWidget(), Find<TSkPanel>("p"));
    auto* box = Find<TSkScrollBox>("box");
    EXPECT_EQ(Find<TSkLabel>("in")->parentWidget(), box->Content());
    // A menu belongs to the window whatever its master says.
    EXPECT_EQ(Find<TSkPopMenu>("m")->parent(), Form.get());
    EXPECT_EQ(Engine->TypeOf(box), static_cast<int>(TObjectType::ScrollBox));
    EXPECT_EQ(Engine->TypeOf(Form.get()), -1);
}

TEST_F(Build, SectionsWhoseOwnerNeverComesAreReportedOnceAndSkipped) {
    Make("[main]\ntype=form\n[a]\ntype=button\nmaster=nowhere\n[lbl]\ntype=label\n"
         "[b]\ntype=button\nmaster=lbl\n[c]\ntype=button\nmaster=a\n[ok]\ntype=button\n");
    EXPECT_EQ(Order(), (std::vector<std::string>{"lbl", "ok"}));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{Report("MakeObject. Не найден владелец nowhere для a"),
                                        Report("MakeObject. Не найден владелец lbl для b"),
                                        Report("MakeObject. Не найден владелец a для c")}));
}

TEST_F(Build, AFileWithoutWindowSectionBuildsOntoAPageOfItsOwn) {
    Make("[b]\ntype=button\nleft=5\ntop=6\n[p]\ntype=panel\n[in]\ntype=label\nmaster=p\n");
    ASSERT_NE(Form->Notebook, nullptr);
    EXPECT_EQ(Order(), (std::vector<std::string>{"b", "p", "in"}));
    EXPECT_EQ(Find<TSkButton>("b")->parentWidget(), Form->Notebook->Page(0));
    EXPECT_TRUE(Messages().empty());

    // Into a window that already has a page, such a file opens the next one.
    TSkStract second(Form.get(), "second.txt");
    File("second.txt", "[x]\ntype=label\n");
    second.LoadStructure();
    EXPECT_EQ(Form->Notebook->PageCount(), 2);
    EXPECT_EQ(second.PageIndex, 1);
    ASSERT_EQ(second.AllObjects().size(), 1u);
    EXPECT_EQ(static_cast<QWidget*>(second.AllObjects()[0].data())->parentWidget(),
              Form->Notebook->Page(1));
}

TEST_F(Build, EveryPageOfOneWindowBelongsToOneEngine) {
    File("a.txt", "[first]\ntype=form\n[la]\ntype=label\n");
    File("b.txt", "[second]\ntype=form\n[lb]\ntype=label\n");
    MakeFrom("a.txt");
    EXPECT_EQ(Form->Notebook->PageCount(), 1);
    TSkStract second(Form.get(), "b.txt");
    second.LoadStructure();
    second.Activate();
    ASSERT_EQ(Form->Notebook->PageCount(), 2);
    EXPECT_EQ(Form->Notebook->Page(1)->objectName(), QStringLiteral("p1"));
    EXPECT_EQ(Form->Notebook->PageIndex(), 1);
    EXPECT_EQ(second.PageIndex, 1);
    EXPECT_EQ(Form->StructFile, "b.txt");
    // Each engine finds only its own objects.
    Engine->ReportErrors = false;
    EXPECT_EQ(Engine->GetControl("lb"), nullptr);
    EXPECT_NE(second.GetControl("lb"), nullptr);

    Engine->Activate();
    EXPECT_EQ(Form->Notebook->PageIndex(), 0);
    EXPECT_FALSE(Form->Notebook->Page(1)->isVisibleTo(Form->Notebook));
}

TEST_F(Build, HotKeysBelongToTheEnginesPage) {
    Make("[main]\ntype=form\n[keys]\ntype=hot_key\nfind=Ctrl+F*test*a*b\nany=F5*nil\n");
    ASSERT_EQ(Form->HotKeys.Count(), 2);
    EXPECT_EQ(Form->HotKeys.CommandOf(0), "test*a*b");
    EXPECT_EQ(Form->HotKeys.ScopeOf(0), Engine->PageIndex);
    EXPECT_EQ(Form->HotKeys.CommandOf(1), "nil");
    EXPECT_TRUE(Engine->AllObjects().empty());
}

TEST_F(Build, PageColourComesFromTheWindowSection) {
    Make("[main]\ntype=form\ncolor=#FF0000\n[l]\ntype=label\n");
    EXPECT_EQ(Form->FormColor, RGBColor(255, 0, 0));
    EXPECT_TRUE(Page()->autoFillBackground());
    EXPECT_EQ(Page()->palette().color(QPalette::Window), QColor(255, 0, 0));

    // Black is colour 0, which counts as no colour.
    Make("[main]\ntype=form\ncolor=#000000\n[l]\ntype=label\n");
    EXPECT_EQ(Form->FormColor, 0);
    EXPECT_FALSE(Page()->autoFillBackground());
}

TEST_F(Build, EmptyOrMissingStructureFileIsSaidAndBuildsNothing) {
    File("empty.txt", "; only a comment\n");
    MakeFrom("empty.txt");
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Нету данных в empty.txt. Это безусловно End..."}));
    EXPECT_TRUE(Engine->AllObjects().empty());
    EXPECT_EQ(Form->Notebook, nullptr);

    Dialogs.Clear();
    MakeFrom("missing.txt");
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Не найден файл \r\nmissing.txt",
                                        "Нету данных в missing.txt. Это безусловно End..."}));
}

TEST_F(Build, UnknownTypesGoToTheOwnerOrAreReported) {
    const std::string file = "[main]\ntype=form\n[w]\ntype=Wobble\nkey=1\n[nokind]\nleft=1\n"
                             "[doc]\ntype=media\n[t]\ntype=diagram\n[n]\ntype=none\n";
    Make(file);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              Report("MakeObject. Объект w имеет неизвестный тип wobble"),
                              Report("MakeObject. Объект nokind имеет неизвестный тип "),
                              Report("MakeObject. Объект doc имеет неизвестный тип media"),
                              Report("MakeObject. Объект t имеет неизвестный тип diagram")}));
    EXPECT_TRUE(Engine->AllObjects().empty());

    // With the owner's handler installed, the owner sees them and nothing is reported.
    Dialogs.Clear();
    File(kFile, file);
    Engine.reset();
    Form = std::make_unique<TfrmFORM>();
    Engine = std::make_unique<TSkStract>(Form.get(), kFile);
    std::vector<std::string> seen;
    QWidget* parentSeen = nullptr;
    TStrings linesSeen;
    Engine->OnUnknownObject = [&](QWidget* parent, const std::string& name, const TStrings& lines,
                                  const std::string& type) {
        seen.push_back(name + ":" + type);
        if (name == "w") {
            parentSeen = parent;
            linesSeen = lines;
        }
    };
    Engine->LoadStructure();
    EXPECT_EQ(seen, (std::vector<std::string>{"w:wobble", "nokind:", "doc:media", "t:diagram"}));
    EXPECT_EQ(parentSeen, Page());
    EXPECT_EQ(linesSeen, (TStrings{"type=Wobble", "key=1"}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Build, ABuildPutsBackTheProgramsCursors) {
    for (int number : {crZoom, crZoomIn, crZoomOut, crHandOpened, crHandClosed})
        RegisterCursor(number, QCursor(Qt::ArrowCursor));
    Make("[main]\ntype=form\n[l]\ntype=label\ncursor=141\n");
    for (int number : {crZoom, crZoomIn, crZoomOut, crHandOpened, crHandClosed})
        EXPECT_EQ(CursorFromNumber(number).shape(), Qt::BitmapCursor) << number;
    EXPECT_EQ(Find<QWidget>("l")->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(Build, PresetsBeforeTheKeys) {
    Make("[main]\ntype=form\n[cb]\ntype=check_box\n[cb2]\ntype=check_box\ncaption=Да\n"
         "[rb]\ntype=r_button\n[ed]\ntype=edit_box\n[combo]\ntype=combo_box\n"
         "[track]\ntype=track_bar\n[b]\ntype=button\n[sp]\ntype=sp_button\n[pn]\ntype=panel\n"
         "[lst]\ntype=list_box\n[lab]\ntype=label\n");
    EXPECT_EQ(Find<TSkCheckBox>("cb")->text(), QStringLiteral("cb"));
    EXPECT_EQ(Find<TSkCheckBox>("cb2")->text(), QStringLiteral("Да"));
    EXPECT_TRUE(Find<TSkRadioButton>("rb")->text().isEmpty());
    EXPECT_EQ(Find<TSkEditBox>("ed")->Text(), "");
    EXPECT_TRUE(Find<TSkComboBox>("combo")->currentText().isEmpty());
    EXPECT_EQ(Find<TSkTrackBar>("track")->value(), 0);
    for (const char* name : {"b", "sp", "pn", "lst", "lab", "track"})
        EXPECT_EQ(ThemeObject(Find<QWidget>(name)), "default") << name;
    EXPECT_EQ(ComponentName(Find<QWidget>("sp")), "sp");
    EXPECT_EQ(Find<QWidget>("sp")->objectName(), QStringLiteral("sp"));
}

// ---- layout through the build ----

TEST_F(Build, PercentagesAndAnchorsApplyInsideTheirParents) {
    Make("[main]\ntype=form\nwidth=700\nheight=500\n"
         "[half]\ntype=panel\nwidth=50%\nheight=40%\n"
         "[box]\ntype=panel\nleft=0\ntop=0\nwidth=300\nheight=200\n"
         "[fill]\ntype=button\nmaster=box\nanchor=10 10 10 10\n"
         "[corner]\ntype=button\nmaster=box\nwidth=80\nheight=20\nanchor=* * 10 10\n"
         "[mid]\ntype=panel\nwidth=100\nheight=60\nanchor=* * * *\n");
    const QRect page = ClientRect(Page());
    auto* half = Find<TSkPanel>("half");
    EXPECT_EQ(half->width(), page.width() / 100 * 50);
    EXPECT_EQ(half->height(), page.height() / 100 * 40);
    EXPECT_EQ(half->PercentWidth, 50);

    EXPECT_EQ(GetBounds(Find<QWidget>("fill")), QRect(10, 10, 280, 180));
    EXPECT_EQ(GetAnchors(Find<QWidget>("fill")), TAnchors(akLeft | akTop | akRight | akBottom));
    EXPECT_EQ(GetBounds(Find<QWidget>("corner")), QRect(210, 170, 80, 20));
    EXPECT_EQ(GetAnchors(Find<QWidget>("corner")), TAnchors(akRight | akBottom));

    auto* mid = Find<TSkPanel>("mid");
    EXPECT_TRUE(mid->CenterHorz);
    EXPECT_TRUE(mid->CenterVert);
    EXPECT_EQ(mid->x(), (Page()->width() - 100) / 2);
    EXPECT_EQ(mid->y(), (Page()->height() - 60) / 2);

    // Anchored controls follow their parent.
    SetBounds(Find<QWidget>("box"), QRect(0, 0, 400, 300));
    EXPECT_EQ(GetBounds(Find<QWidget>("fill")), QRect(10, 10, 380, 280));
    EXPECT_EQ(GetBounds(Find<QWidget>("corner")), QRect(310, 270, 80, 20));
}

TEST_F(Build, ParentPanelsFollowTheWindowPlainPanelsDoNot) {
    Make("[main]\ntype=form\nwidth=700\nheight=500\n[pp]\ntype=parent_panel\nwidth=25%\n"
         "[pn]\ntype=panel\nwidth=25%\n");
    auto* pp = Find<TParentPanel>("pp");
    auto* pn = Find<TSkPanel>("pn");
    const int before = pn->width();
    Form->SetFormBounds(QRect(0, 0, 900, 500));
    Engine->LayoutChanged(0, 0);
    EXPECT_EQ(pp->width(), Page()->width() / 100 * 25);
    EXPECT_EQ(pn->width(), before);

    // A width the user gave by hand is kept as a proportion when resizing starts.
    SetWidth(pp, Page()->width() / 100 * 40);
    Engine->ResizeStart();
    EXPECT_EQ(pp->PercentWidth, 40);
    Engine->LayoutChanged(0, 0);
}

TEST_F(Build, WindowKeys) {
    const struct {
        const char* Keys;
        bool Dialog, EscClose, Sizeable, CaptionShown;
    } cases[] = {
        {"", false, false, true, true},
        {"dialog=1\n", true, true, true /* "size" untouched */, true},
        {"dialog=1\nesc_close=0\n", true, false, true, true},
        {"size=0\n", false, false, false, true},
        {"hide_caption=1\n", false, false, true, false},
        {"hide_caption=yes\n", false, false, true, false},
        {"hide_caption=0\n", false, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Keys);
        Make(std::string("[main]\ntype=form\n") + c.Keys + "[l]\ntype=label\n");
        EXPECT_EQ(Form->DialogMode, c.Dialog);
        EXPECT_EQ(Form->EscClose, c.EscClose);
        EXPECT_EQ(Form->Sizeable, c.Sizeable);
        EXPECT_EQ(Form->SkinForm->CaptionVisible(), c.CaptionShown);
        EXPECT_TRUE(Messages().empty());
    }
    Make("[main]\ntype=form\nleft=30\ntop=40\nwidth=500\nheight=300\n");
    EXPECT_EQ(Form->geometry(), QRect(30, 40, 500, 300));
}

TEST_F(Build, MaximizeShowsOneGroupOfButtons) {
    Make(
        "[main]\ntype=form\nbut_max=bmax*bnorm\n[bmax]\ntype=sp_button\n[bnorm]\ntype=sp_button\n");
    auto* maxButton = Find<TSkSpeedButton>("bmax");
    auto* normButton = Find<TSkSpeedButton>("bnorm");
    EXPECT_FALSE(IsShown(maxButton));
    EXPECT_TRUE(IsShown(normButton));
    Engine->MaximizeToggling(TWindowState::Normal); // about to be maximized
    EXPECT_TRUE(IsShown(maxButton));
    EXPECT_FALSE(IsShown(normButton));
    Engine->MaximizeToggling(TWindowState::Maximized);
    EXPECT_FALSE(IsShown(maxButton));
    EXPECT_TRUE(IsShown(normButton));
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(Engine->ReportErrors);
}

// ---- secondary windows ----

TEST_F(Build, SecondWindowIsShownModallyAndFreedWithItsEngine) {
    File("second.txt", "[win]\ntype=form\ncaption=Второе\n[hello]\ntype=label\ncaption=Привет\n"
                       "[ok]\ntype=button\naction=form_close*1\n");
    Make("[main]\ntype=form\n[open]\ntype=button\naction=form_show*second.txt\n");
    QPointer<QWidget> window, label;
    OnModal = [&](QWidget* shown) {
        window = shown;
        EXPECT_NE(dynamic_cast<TfrmFORM*>(shown), nullptr);
        label = shown->findChild<TSkLabel*>(QStringLiteral("hello"));
        ASSERT_TRUE(label);
        EXPECT_EQ(static_cast<TSkLabel*>(label.data())->FullCaption, W("Привет"));
        auto* ok = shown->findChild<TSkButton*>(QStringLiteral("ok"));
        ASSERT_NE(ok, nullptr);
        ok->click(); // form_close*1
        EXPECT_EQ(static_cast<TSkForm*>(shown)->ModalResult(), 1);
    };
    Find<TSkButton>("open")->click();
    EXPECT_EQ(ModalRuns, 1);
    EXPECT_EQ(Terminations, 0);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(label.isNull());
    EXPECT_TRUE(Messages().empty()) << Messages().front();
}

TEST_F(Build, FormCloseWithoutParameterEndsTheProgram) {
    Make("[main]\ntype=form\n[quit]\ntype=button\naction=form_close\n"
         "[done]\ntype=button\naction=form_close*2\n");
    Form->show();
    Find<TSkButton>("done")->click();
    EXPECT_EQ(Terminations, 0);
    EXPECT_EQ(Form->ModalResult(), 2);
    Find<TSkButton>("quit")->click();
    EXPECT_EQ(Terminations, 1);
}

TEST_F(Build, WindowsOpeningThemselvesStopAtEightLevels) {
    File("loop.txt", "[win]\ntype=form\naction=form_show*loop.txt\n[l]\ntype=label\n");
    MakeFrom("loop.txt");
    // Eight builds nest: this one and seven shown from it; the ninth window is refused its build
    // and shown empty, then every window closes in turn.
    EXPECT_EQ(ModalRuns, 8);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], Report("LoadStructure. Окна открывают друг друга слишком глубоко "
                                    "(больше 8), окно не построено",
                                    "loop.txt"));
    EXPECT_EQ(Order(), (std::vector<std::string>{"l"}));
}

TEST_F(Build, MessageWindowShowsTheTextInItsLabel) {
    ShowMessageWindow(W("Без окна"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Без окна"}));
    EXPECT_EQ(ModalRuns, 0);

    Dialogs.Clear();
    File("struct_message.txt", "[msg]\ntype=form\n[label_messge]\ntype=label\nword_wrap=1\n"
                               "[but_ok]\ntype=button\naction=form_close*1\n");
    QPointer<QWidget> window;
    std::string shownText;
    OnModal = [&](QWidget* shown) {
        window = shown;
        if (auto* label = shown->findChild<TSkLabel*>(QStringLiteral("label_messge")))
            shownText = label->FullCaption;
    };
    ShowMessageWindow(W("Текст сообщения"));
    EXPECT_EQ(ModalRuns, 1);
    EXPECT_EQ(shownText, W("Текст сообщения"));
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Build, DemoMessageWindowBuildsWithoutReports) {
    const std::string demo =
        ReadFileBytes(std::string(CHITALKA_SOURCE_DIR) + "/content/demo/struct_message.txt");
    ASSERT_FALSE(demo.empty());
    Disc.Write("struct_message.txt", demo);
    bool found = false;
    OnModal = [&](QWidget* shown) {
        auto* label = shown->findChild<TSkLabel*>(QStringLiteral("label_messge"));
        found = label && label->FullCaption == W("Проверка") && label->wordWrap();
        // Controls are found by name: without their own meta-object, a type alone would also
        // match the title bar's buttons.
        if (auto* ok = shown->findChild<TSkButton*>(QStringLiteral("but_ok")))
            ok->click();
        EXPECT_EQ(static_cast<TSkForm*>(shown)->ModalResult(), 1);
    };
    ShowMessageWindow(W("Проверка"));
    EXPECT_TRUE(found);
    EXPECT_TRUE(Messages().empty()) << Messages().front();
}

// ---- saved positions ----

TEST_F(Build, SavedPositionsAreRestoredWhenUsable) {
    const std::string file = "[main]\ntype=form\nsave_pos=1\nreg_dat=\\Software\\Test\n"
                             "left=30\ntop=40\nwidth=500\nheight=300\n";
    const QRect asWritten(30, 40, 500, 300);
    const struct {
        const char* Stored;
        QRect Expected;
    } cases[] = {
        {"100;120;400;300;0", QRect(120, 100, 400, 300)},
        {"100;120;400;300", QRect(120, 100, 400, 300)},
        {"1;2;3", asWritten},                 // fewer than four fields
        {"-5000;-5000;400;300;0", asWritten}, // on no screen
        {"10;10;30;300;0", asWritten},        // too narrow to be a window
        {"10;10;400;30000;0", asWritten},     // taller than any screen could be
        {"", asWritten},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Stored);
        Store.Values.clear();
        if (*c.Stored)
            Store.WriteString("\\Software\\Test", "pos_struct_test", c.Stored);
        Make(file);
        EXPECT_EQ(Form->geometry(), c.Expected);
        EXPECT_TRUE(Messages().empty());
        Engine.reset(); // saves where the window is now
        EXPECT_EQ(Store.ReadString("\\Software\\Test", "pos_struct_test").value_or(""),
                  std::to_string(c.Expected.top()) + ";" + std::to_string(c.Expected.left()) + ";" +
                      std::to_string(c.Expected.width()) + ";" +
                      std::to_string(c.Expected.height()) + ";0");
    }
}

TEST_F(Build, MaximizedWindowsAreSavedAndRestoredSo) {
    const std::string file = "[main]\ntype=form\nsave_pos=1\nreg_dat=\\Software\\Test\n";
    Store.WriteString("\\Software\\Test", "pos_struct_test", "20;30;400;300;1");
    Make(file);
    EXPECT_EQ(Form->SkinForm->WindowState(), TWindowState::Maximized);
    Engine.reset();
    const std::string saved = Store.ReadString("\\Software\\Test", "pos_struct_test").value_or("");
    EXPECT_EQ(saved.substr(saved.size() - 2), ";1");
}

TEST_F(Build, SavedPositionThatIsNoNumberRaisesTheConversionError) {
    File(kFile, "[main]\ntype=form\nsave_pos=1\nreg_dat=\\Software\\Test\n[l]\ntype=label\n");
    Store.WriteString("\\Software\\Test", "pos_struct_test", "abc;1;400;300;0");
    Form = std::make_unique<TfrmFORM>();
    Engine = std::make_unique<TSkStract>(Form.get(), kFile);
    EXPECT_THROW(Engine->LoadStructure(), EConvertError);
    EXPECT_EQ(Order(), (std::vector<std::string>{"l"})); // what was built stays
}

TEST_F(Build, RegistryValuesNeedTheWindowsKey) {
    Make("[main]\ntype=form\n[l]\ntype=label\n");
    Engine->WriteReg("x", "1");
    EXPECT_EQ(Engine->ReadReg("x"), "");
    const std::string report = Report("WriteReg. Укажите путь в реестре (reg_dat для form)");
    EXPECT_EQ(Messages(), (std::vector<std::string>{report, report}));
    EXPECT_TRUE(Store.Values.empty());

    Engine->RegistryPath = "\\Software\\Test";
    Engine->WriteReg("x", W("значение"));
    EXPECT_EQ(Engine->ReadReg("X"), W("значение"));
    EXPECT_EQ(Engine->ReadReg("missing"), "");
}

// ---- lookups ----

TEST_F(Build, LookupsIgnoreLetterCaseAndReportMisses) {
    Make("[main]\ntype=form\n[But_A]\ntype=button\n[lab]\ntype=label\n"
         "[c1]\ntype=combo_box\naction=html_load*insert\n[c2]\ntype=combo_box\naction=Zoom\n"
         "[s1]\ntype=sp_button\naction=page*next\n[s2]\ntype=sp_button\naction=page*prev\n"
         "[s3]\ntype=sp_button\naction=print\n");
    EXPECT_EQ(Engine->GetControl("BUT_a"), Find<QObject>("but_a"));
    EXPECT_NE(Engine->GetButton("but_a"), nullptr);
    EXPECT_TRUE(Messages().empty());

    EXPECT_EQ(Engine->GetControl("nope"), nullptr);
    EXPECT_EQ(Engine->GetButton("lab"), nullptr); // a label is no button
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{Report("GetControl. Не найден контрол: nope"),
                                        Report("GetComponent. Не найден контрол: lab")}));

    Dialogs.Clear();
    Engine->ReportErrors = false;
    EXPECT_EQ(Engine->GetControl("nope"), nullptr);
    EXPECT_EQ(Engine->GetLabel("but_a"), nullptr);
    EXPECT_TRUE(Messages().empty());
    Engine->ReportErrors = true;

    EXPECT_EQ(Engine->FindComboByCommand("HTML_LOAD"), Find<TSkComboBox>("c1"));
    EXPECT_EQ(Engine->FindComboByCommand("zoom"), Find<TSkComboBox>("c2"));
    EXPECT_EQ(Engine->FindComboByCommand("insert"), nullptr);
    EXPECT_EQ(Engine->FindSpeedButtonByCommand("page", ""), Find<TSkSpeedButton>("s1"));
    EXPECT_EQ(Engine->FindSpeedButtonByCommand("page", "PREV"), Find<TSkSpeedButton>("s2"));
    EXPECT_EQ(Engine->FindSpeedButtonByCommand("print", ""), Find<TSkSpeedButton>("s3"));
    EXPECT_EQ(Engine->FindSpeedButtonByCommand("print", "x"), nullptr);
    EXPECT_EQ(Engine->FindSpeedButtonByCommand("page", "first"), nullptr);
    EXPECT_TRUE(Messages().empty());
}

// ---- ownership ----

TEST_F(Build, FreeingTheEngineDestroysEachOfItsObjectsOnce) {
    Make("[main]\ntype=form\n[p]\ntype=panel\n[in]\ntype=panel\nmaster=p\n"
         "[b]\ntype=button\nmaster=in\n[m]\ntype=pop_menu\ncaption=a\naction=nil\n"
         "[box]\ntype=scroll_box\n"
         "[deep]\ntype=label\nmaster=box\n[gone]\ntype=label\n");
    std::vector<QPointer<QObject>> objects(Engine->AllObjects().begin(),
                                           Engine->AllObjects().end());
    ASSERT_EQ(objects.size(), 7u);
    delete Find<TSkLabel>("gone"); // an object destroyed before its engine leaves its lists
    EXPECT_EQ(Engine->GetLabel("gone"), nullptr);
    QPointer<QWidget> page = Page();
    Engine.reset();
    for (const auto& object : objects)
        EXPECT_TRUE(object.isNull());
    EXPECT_FALSE(page.isNull()); // the page is the window's
}

TEST_F(Build, HandlersGivenToTheWindowDieWithTheEngine) {
    Make("[main]\ntype=form\n[l]\ntype=label\n");
    ASSERT_TRUE(Form->OnSizeChanged);
    Engine.reset();
    // The window outlives the engine; nothing it calls may reach the engine now.
    if (Form->OnSizeChanged)
        Form->OnSizeChanged(10, 10);
    if (Form->SkinForm->OnMaximize)
        Form->SkinForm->OnMaximize(TWindowState::Normal);
    if (Form->SkinForm->OnResizeStart)
        Form->SkinForm->OnResizeStart();
    if (Form->OnAction)
        Form->OnAction(RHelpAction{"test*a", 0, 0, 0, nullptr});
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Build, AMalformedValueEndsTheBuildAndWhatWasBuiltStaysOwned) {
    File(kFile, "[main]\ntype=form\n[a]\ntype=label\n[bad]\ntype=button\nwidth=wide\n"
                "[after]\ntype=label\n");
    Form = std::make_unique<TfrmFORM>();
    Engine = std::make_unique<TSkStract>(Form.get(), kFile);
    EXPECT_THROW(Engine->LoadStructure(), EConvertError);
    EXPECT_EQ(Order(), (std::vector<std::string>{"a", "bad"}));
    QPointer<QObject> bad = Engine->GetControl("bad");
    Engine.reset();
    EXPECT_TRUE(bad.isNull());
}

TEST_F(Build, GuardedRunsShowWhatWentWrong) {
    RunGuarded([] { throw EConvertError(W("'x' — не число")); });
    RunGuarded([] { throw EInOutError(W("нет файла")); });
    RunGuarded([] { throw std::runtime_error("plain"); });
    RunGuarded([] { throw 42; });
    RunGuarded([] {});
    EXPECT_EQ(Messages(), (std::vector<std::string>{"'x' — не число", "нет файла", "plain",
                                                    "Непредвиденная ошибка"}));
}

// ---- splash window ----

TSplashWindow* SplashOnScreen() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* splash = dynamic_cast<TSplashWindow*>(widget))
            return splash;
    return nullptr;
}

TEST_F(Build, SplashShowsWhileBuildingAndClosesByItself) {
    Disc.Write("splash.bmp", EncodeBmp(TBitmap(120, 80, Argb(0xFF, 10, 20, 30))));
    Make("[main]\ntype=form\nsplash=splash.bmp*30*5*6*70*8\nsplash_close_auto=0\n"
         "[a]\ntype=label\n[b]\ntype=label\n");
    TSplashWindow* splash = SplashOnScreen();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->size(), QSize(120, 80));
    ASSERT_NE(splash->Progress(), nullptr);
    EXPECT_EQ(splash->Progress()->geometry(), QRect(5, 6, 70, 8));
    EXPECT_EQ(splash->Progress()->value(), 100); // left at its end when it stays
    EXPECT_TRUE(Messages().empty());

    // Progress: 30 a step, starting again from the step past 100.
    Engine->StepProgress();
    EXPECT_EQ(splash->Progress()->value(), 30);
    Engine->CloseSplash();
    EXPECT_EQ(SplashOnScreen(), nullptr);

    Make("[main]\ntype=form\nsplash=splash.bmp\n[a]\ntype=label\n");
    EXPECT_EQ(SplashOnScreen(), nullptr);
}

// A missing splash picture costs the picture only: it is reported and the window is built.
TEST_F(Build, SplashReadsItsNumbersUntilTheFirstBadOne) {
    Disc.Write("s.bmp", EncodeBmp(TBitmap(40, 30)));
    File(kFile, "[main]\ntype=form\nsplash_close_auto=0\nsplash=s.bmp*7*3*x*50*9\n");
    MakeFrom(kFile);
    TSplashWindow* splash = SplashOnScreen();
    ASSERT_NE(splash, nullptr);
    ASSERT_NE(splash->Progress(), nullptr);
    EXPECT_EQ(splash->Progress()->x(), 3);
    EXPECT_EQ(splash->Progress()->y(), 0);
    EXPECT_EQ(Engine->ProgressStep, 7);
    Engine->CloseSplash();

    File(kFile, "[main]\ntype=form\nsplash=missing.bmp\n[l]\ntype=label\n");
    Engine.reset();
    Form = std::make_unique<TfrmFORM>();
    Engine = std::make_unique<TSkStract>(Form.get(), kFile);
    Dialogs.Clear();
    EXPECT_NO_THROW(Engine->LoadStructure());
    EXPECT_EQ(SplashOnScreen(), nullptr);
    EXPECT_EQ(Messages(), std::vector<std::string>{Report("ShowSplash. Не найден файл missing.bmp")});
    EXPECT_NE(Find<TSkLabel>("l"), nullptr);
}

// ---- list-box hints ----

TEST_F(Build, LongListEntriesShowInFullAsHints) {
    File("items.txt", "короткий#;#a\nочень длинная строка списка, которая никак не помещается "
                      "в узкий список#;#b\n");
    Make("[main]\ntype=form\n[lst]\ntype=list_box\nwidth=120\nheight=80\nload=items.txt\n");
    auto* list = Find<TSkListBox>("lst");
    ASSERT_EQ(list->count(), 2);
    Form->show();
    QApplication::processEvents();
    auto hintAt = [&](int row) {
        QToolTip::hideText();
        const QRect r = list->visualItemRect(list->item(row));
        QHelpEvent help(QEvent::ToolTip, r.center(), list->viewport()->mapToGlobal(r.center()));
        QApplication::sendEvent(list->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    // The short entry first: a hint once shown fades out only after a while.
    EXPECT_TRUE(hintAt(0).isEmpty());
    EXPECT_EQ(hintAt(1), list->item(1)->text());
    QToolTip::hideText();
}

// ---- helpers ----

TEST(EngineHelpers, ParseAnchor) {
    const struct {
        const char* Value;
        QRect Before, After;
        TAnchors Anchors;
    } cases[] = {
        {"10 10 10 10", QRect(0, 0, 50, 20), QRect(10, 10, 380, 280),
         akLeft | akTop | akRight | akBottom},
        {"* * 10 10", QRect(0, 0, 50, 20), QRect(340, 270, 50, 20), akRight | akBottom},
        {"5 * * 7", QRect(1, 2, 50, 20), QRect(5, 273, 50, 20), akLeft | akBottom},
        {"* 0 * *", QRect(33, 44, 50, 20), QRect(33, 0, 50, 20), akTop},
        {"* * * *", QRect(33, 44, 50, 20), QRect(33, 44, 50, 20), 0},
        {"-5 -5 -5 -5", QRect(0, 0, 1, 1), QRect(-5, -5, 410, 310),
         akLeft | akTop | akRight | akBottom},
        {"$A 1 2 3 4", QRect(0, 0, 50, 20), QRect(10, 1, 388, 296),
         akLeft | akTop | akRight | akBottom}, // more than four: the rest is not read
    };
    QWidget parent;
    parent.resize(400, 300);
    MakeContainer(&parent);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Value);
        QWidget control(&parent);
        SetBounds(&control, c.Before);
        SetAnchors(&control, 0);
        ParseAnchor(&control, c.Value);
        EXPECT_EQ(GetBounds(&control), c.After);
        EXPECT_EQ(GetAnchors(&control), c.Anchors);
    }
    for (const char* bad : {"10 10 10", "", "a 1 2 3", "10  10 10 10", "1 2 3 x"}) {
        SCOPED_TRACE(bad);
        QWidget control(&parent);
        EXPECT_THROW(ParseAnchor(&control, bad), EConvertError);
    }
}

TEST(EngineHelpers, ParseAnchorCentresPanelsOnTheirFreeAxes) {
    QWidget parent;
    parent.resize(801, 400);
    MakeContainer(&parent);
    TSkPanel both(&parent), horizontal(&parent);
    SetBounds(&both, QRect(0, 0, 300, 100));
    SetBounds(&horizontal, QRect(0, 0, 300, 100));
    ParseAnchor(&both, "* * * *");
    EXPECT_EQ(both.pos(), QPoint(250, 150));
    ParseAnchor(&horizontal, "* 20 * *");
    EXPECT_TRUE(horizontal.CenterHorz);
    EXPECT_FALSE(horizontal.CenterVert);
    EXPECT_EQ(horizontal.pos(), QPoint(250, 20));
    // Other controls stay where they are.
    TSkButton button(&parent);
    SetBounds(&button, QRect(7, 8, 40, 20));
    ParseAnchor(&button, "* * * *");
    EXPECT_EQ(GetBounds(&button), QRect(7, 8, 40, 20));
}

TEST(EngineHelpers, ParseAlignAndTextAlign) {
    const std::map<std::string, TAlign> aligns = {
        {"none", TAlign::None},     {"top", TAlign::Top},     {"Bottom", TAlign::Bottom},
        {"LEFT", TAlign::Left},     {"right", TAlign::Right}, {"Client", TAlign::Client},
        {"custom", TAlign::Custom}, {"middle", TAlign::None}, {"", TAlign::None},
        {" client", TAlign::None}};
    for (const auto& [text, align] : aligns)
        EXPECT_EQ(ParseAlign(text), align) << text;
    const std::map<std::string, Qt::Alignment> texts = {{"left", Qt::AlignLeft},
                                                        {"Right", Qt::AlignRight},
                                                        {"center", Qt::AlignHCenter},
                                                        {"middle", Qt::AlignHCenter},
                                                        {"", Qt::AlignHCenter}};
    for (const auto& [text, align] : texts)
        EXPECT_EQ(ParseTextAlign(text), align) << text;
}

TEST(EngineHelpers, FieldOf) {
    const struct {
        const char* Text;
        int N;
        const char* Field;
    } cases[] = {{"a*b*c", 2, "b"}, {"a*b*c", 1, "a"}, {"a*b*c", 3, "c"}, {"a*b*c", 4, ""},
                 {"a*b*c", 0, ""},  {"", 1, ""},       {"a**c", 2, ""},   {"a**c", 3, "c"}};
    for (const auto& c : cases)
        EXPECT_EQ(FieldOf(c.Text, c.N), c.Field) << c.Text << " " << c.N;
}

TEST(EngineHelpers, InsertValue) {
    const struct {
        const char* Template;
        const char* Value;
        bool Append;
        const char* Result;
    } cases[] = {
        {"html_load*insert", "a.htm", false, "html_load*a.htm"},
        {"html_load*insert", "a.htm", true, "html_load*a.htm"},
        {"load*", "a.htm", true, "load*a.htm"},
        {"load", "a.htm", true, "load*a.htm"},
        {"load", "a.htm", false, "load"},
        {"", "a.htm", true, ""},
        {"x*insert//y*insert", "v", false, "x*v//y*v"},
        {"x*Insert", "v", true, "x*Insert*v"}, // the word is matched in its exact case
        {"check", "", true, "check*"},
        {"insertinsert", "1", false, "11"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InsertValue(c.Template, c.Value, c.Append), c.Result) << c.Template;
}

TEST(EngineHelpers, WrapHtml) {
    TStrings empty;
    WrapHtmlHead(empty, "bgcolor=white");
    WrapHtmlTail(empty);
    EXPECT_EQ(empty,
              (TStrings{"<html>", "<head></head>", "<body bgcolor=white>", "</body>", "</html>"}));
    TStrings body{"<p>1</p>", "<p>2</p>"};
    WrapHtmlHead(body, "");
    WrapHtmlTail(body);
    EXPECT_EQ(body, (TStrings{"<html>", "<head></head>", "<body >", "<p>1</p>", "<p>2</p>",
                              "</body>", "</html>"}));
}

TEST(EngineHelpers, StripProgramDirOnlyStripsTheProgramFolder) {
    const std::string dir = ProgramDir();
    EXPECT_EQ(StripProgramDir(dir + "docs/a.htm"), "docs/a.htm");
    EXPECT_EQ(StripProgramDir("docs/a.htm"), "docs/a.htm");
    EXPECT_EQ(StripProgramDir("/elsewhere/docs/a.htm"), "/elsewhere/docs/a.htm");
}

TEST(EngineHelpers, TypeKeywordsRoundTrip) {
    for (int i = 0; i < kObjectTypeCount; ++i) {
        const auto type = static_cast<TObjectType>(i);
        EXPECT_EQ(TypeOfKeyword(TypeKeyword(type)), i) << TypeKeyword(type);
    }
    EXPECT_STREQ(TypeKeyword(TObjectType::SpButton), "sp_button");
    EXPECT_STREQ(TypeKeyword(TObjectType::Diagram), "diagram");
    EXPECT_EQ(TypeOfKeyword("form"), -1);
    EXPECT_EQ(TypeOfKeyword("Button"), -1); // the caller lowers the keyword
}

TEST(EngineHelpers, BusyCursorComesAndGoes) {
    BusyCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    BusyCursor(true);
    BusyCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
