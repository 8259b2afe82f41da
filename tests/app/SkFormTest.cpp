#include "FormTestSupport.h"
#include "common/TestSupport.h"

#include "platform/Controls.h"
#include "platform/ConvertError.h"
#include "platform/HostPath.h"
#include "platform/Notebook.h"
#include "platform/QtText.h"
#include "platform/Skin.h"
#include "platform/SkinFrame.h"
#include "platform/TitleBar.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The client area a form of this outer size has with its frame's border and caption.
QSize ClientSizeOf(const TSkForm& form, QSize outer) {
    const int b = form.SkinForm->BorderWidth();
    return QSize(outer.width() - 2 * b, outer.height() - 2 * b - form.SkinForm->CaptionHeight());
}

void Press(TSkForm& form, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(form.windowHandle(), key, modifiers);
}

struct TIconsSeen {
    bool Close, SystemMenu, Minimize, Maximize, Help;
};

TIconsSeen IconsOf(const TSkForm& form) {
    const TBorderIcons i = form.SkinForm->BorderIcons();
    return {i.Close, i.SystemMenu, i.Minimize, i.Maximize, i.Help};
}

} // namespace

TEST_F(FormTest, TheStructureFileWindowHasItsOwnBoundsCentredAndTheStandardIcons) {
    TfrmFORM form;
    EXPECT_EQ(form.size(), QSize(783, 540));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.geometry().center().x() / 2, screen.center().x() / 2);
    EXPECT_EQ(form.geometry().center().y() / 2, screen.center().y() / 2);
    EXPECT_EQ(form.Caption(), "");
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    const TIconsSeen icons = IconsOf(form);
    EXPECT_TRUE(icons.Close && icons.SystemMenu && icons.Minimize && icons.Maximize);
    EXPECT_FALSE(icons.Help);
    EXPECT_TRUE(form.SkinForm->Sizeable());
    EXPECT_EQ(form.SkinForm->SystemMenu(), form.SystemMenu);
    EXPECT_TRUE(form.SystemMenu->actions().isEmpty());
    EXPECT_EQ(form.Notebook, nullptr);
    EXPECT_FALSE(form.EscClose || form.Moving || form.DialogMode || form.HelpButton);
    EXPECT_EQ(form.ClientArea()->geometry(), form.SkinForm->ClientRect());
    EXPECT_EQ(form.ClientArea()->size(), ClientSizeOf(form, form.size()));
}

// Sizes a structure file gives after construction: the unplaced window is centred with its final
// size when it appears; a placed one keeps its place unless it would stand off the screen, and a
// window bigger than the screen is fitted to it.
TEST_F(FormTest, TheFirstShowCentresAnUnplacedWindowAndKeepsEveryWindowOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct TCase {
        const char* Name;
        bool Placed;
        QRect Bounds;
        QRect Expected;
    };
    const QSize big(screen.width() - 40, screen.height() - 40);
    const TCase cases[] = {
        {"unplaced", false, QRect(screen.topLeft(), big),
         QRect(screen.left() + (screen.width() - big.width()) / 2,
               screen.top() + (screen.height() - big.height()) / 2, big.width(), big.height())},
        {"placed inside", true, QRect(screen.left() + 10, screen.top() + 20, 200, 150),
         QRect(screen.left() + 10, screen.top() + 20, 200, 150)},
        {"placed past the right edge", true,
         QRect(screen.right() - 100, screen.top() + 20, 300, 150),
         QRect(screen.right() + 1 - 300, screen.top() + 20, 300, 150)},
        {"bigger than the screen", true,
         QRect(screen.left() - 50, screen.top(), screen.width() + 100, screen.height() + 80),
         screen},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TfrmFORM form;
        form.setMinimumSize(50, 50);
        form.SetFormBounds(c.Bounds);
        form.Placed = c.Placed;
        form.show();
        QApplication::processEvents();
        EXPECT_EQ(form.geometry(), c.Expected);
        // Only the first show places the window; later the reader's own moves stand.
        form.hide();
        form.SetFormBounds(QRect(screen.right() - 10, screen.top(), 100, 100));
        form.show();
        QApplication::processEvents();
        EXPECT_EQ(form.geometry().left(), screen.right() - 10);
    }
}

TEST_F(FormTest, CaptionGoesToTheTitleBarInTheSystemsCodePage) {
    TfrmFORM form;
    form.SetCaption(W("Очерки о главном"));
    EXPECT_EQ(form.Caption(), W("Очерки о главном"));
    EXPECT_EQ(form.SkinForm->TitleBar()->Caption(), QString::fromUtf8("Очерки о главном"));
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Очерки о главном"));
}

TEST_F(FormTest, MovingDragsOnlyWithTheLeftButtonAndNeverWhileMaximized) {
    struct TCase {
        bool Moving;
        bool Maximized;
        Qt::MouseButton Button;
        int Moves;
    };
    const TCase cases[] = {
        {true, false, Qt::LeftButton, 1},
        {true, true, Qt::LeftButton, 0},
        {true, false, Qt::RightButton, 0},
        {false, false, Qt::LeftButton, 0},
    };
    for (const TCase& c : cases) {
        TfrmFORM form;
        QWidget* page = form.CreateNotebook()->Page(0);
        form.show();
        form.Moving = c.Moving;
        if (c.Maximized)
            form.SkinForm->SetWindowState(TWindowState::Maximized);
        // A press on an empty page and one on the client area itself both reach the form.
        QTest::mousePress(page, c.Button, Qt::NoModifier, QPoint(20, 20));
        QTest::mouseRelease(page, c.Button, Qt::NoModifier, QPoint(20, 20));
        QTest::mousePress(form.ClientArea(), c.Button, Qt::NoModifier, QPoint(5, 5));
        QTest::mouseRelease(form.ClientArea(), c.Button, Qt::NoModifier, QPoint(5, 5));
        EXPECT_EQ(form.SkinForm->MovesStarted(), 2 * c.Moves)
            << "moving " << c.Moving << " maximized " << c.Maximized << " button " << c.Button;
    }
}

TEST_F(FormTest, MovingFollowsTheMouseWhenTheWindowSystemDoesNotMoveIt) {
    TfrmFORM form;
    form.Moving = true;
    form.show();
    const QPoint start = form.pos();
    QTest::mousePress(form.ClientArea(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseMove(form.ClientArea(), QPoint(40, 30));
    QTest::mouseRelease(form.ClientArea(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    EXPECT_EQ(form.pos(), start + QPoint(30, 20));
    // After the release the mouse moves the window no more.
    QTest::mouseMove(form.ClientArea(), QPoint(80, 80));
    EXPECT_EQ(form.pos(), start + QPoint(30, 20));
}

TEST_F(FormTest, AHotKeyWorksOnlyWhileItsPageIsCurrent) {
    TfrmFORM form;
    std::vector<std::string> commands;
    form.OnAction = [&](const RHelpAction& action) { commands.push_back(action.Command); };
    form.AddHotKey("F2*any_page"); // before the notebook: every page
    TNotebook* notebook = form.CreateNotebook();
    form.AddHotKey("F5*first_page");
    notebook->AddPage(QStringLiteral("p1"));
    form.AddHotKey("F6*second_page");
    form.show();

    struct TCase {
        int Page;
        Qt::Key Key;
        std::vector<std::string> Commands;
    };
    const TCase cases[] = {
        {1, Qt::Key_F5, {}},           {1, Qt::Key_F6, {"second_page"}},
        {0, Qt::Key_F6, {}},           {0, Qt::Key_F5, {"first_page"}},
        {0, Qt::Key_F2, {"any_page"}}, {1, Qt::Key_F2, {"any_page"}},
    };
    for (const TCase& c : cases) {
        notebook->SetPageIndex(c.Page);
        commands.clear();
        Press(form, c.Key);
        EXPECT_EQ(commands, c.Commands) << "page " << c.Page << " key " << c.Key;
    }
}

TEST_F(FormTest, TheFormSeesKeysBeforeTheControlThatHasTheFocus) {
    TfrmFORM form;
    auto* edit = new QLineEdit(form.CreateNotebook()->Page(0));
    edit->show();
    std::vector<std::string> commands;
    std::vector<QString> editTextSeen;
    form.OnAction = [&](const RHelpAction& action) {
        commands.push_back(action.Command);
        editTextSeen.push_back(edit->text());
    };
    form.AddHotKey("A*letter");
    form.show();
    form.activateWindow();
    edit->setFocus();
    Press(form, Qt::Key_A);
    ASSERT_EQ(commands, std::vector<std::string>{"letter"});
    // The form had it first; the control still gets it after.
    EXPECT_EQ(editTextSeen[0], QString());
    EXPECT_EQ(edit->text(), QStringLiteral("a"));
}

TEST_F(FormTest, EscClosesInDialogModeOrWithEscCloseOnly) {
    struct TCase {
        const char* Keys; // what the structure file said, in order
        bool Dialog;
        int EscClose; // -1: not given after "dialog"
        bool Closes;
    };
    const TCase cases[] = {
        {"neither", false, -1, false},
        {"esc_close", false, 1, true},
        {"dialog", true, -1, true},
        {"dialog, then esc_close 0", true, 0, false},
    };
    for (const TCase& c : cases) {
        TfrmFORM form;
        form.SetDialogMode(c.Dialog);
        if (c.EscClose >= 0)
            form.EscClose = c.EscClose == 1;
        form.show();
        Press(form, Qt::Key_Escape);
        EXPECT_EQ(!form.isVisible(), c.Closes) << c.Keys;
    }
}

TEST_F(FormTest, RestartNeedsExactlyCtrlAndAlt) {
    struct TCase {
        Qt::KeyboardModifiers Modifiers;
        bool Restarts;
    };
    const TCase cases[] = {
        {Qt::ControlModifier | Qt::AltModifier, true},
        {Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, false},
        {Qt::ControlModifier, false},
        {Qt::AltModifier, false},
        {Qt::NoModifier, false},
    };
    for (const TCase& c : cases) {
        TfrmFORM form;
        form.show();
        ShellLog.Opened.clear();
        Terminations = 0;
        Press(form, Qt::Key_Q, c.Modifiers);
        if (c.Restarts) {
            ASSERT_EQ(ShellLog.Opened.size(), 1u);
            EXPECT_EQ(ShellLog.Opened[0].File, ExecutableFile());
            EXPECT_EQ(ShellLog.Opened[0].Verb, "open");
            EXPECT_EQ(Terminations, 1);
        } else {
            EXPECT_TRUE(ShellLog.Opened.empty()) << c.Modifiers.toInt();
            EXPECT_EQ(Terminations, 0) << c.Modifiers.toInt();
        }
    }
}

TEST_F(FormTest, CtrlAltEOpensTheStructureFileExceptFromACdRom) {
    struct TCase {
        int DriveKind;
        Qt::KeyboardModifiers Modifiers;
        bool Opens;
    };
    const TCase cases[] = {
        {dkFixed, Qt::ControlModifier | Qt::AltModifier, true},
        {dkNetwork, Qt::ControlModifier | Qt::AltModifier, true},
        {dkCdRom, Qt::ControlModifier | Qt::AltModifier, false},
        {dkFixed, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, false},
    };
    for (const TCase& c : cases) {
        TfrmFORM form;
        form.StructFile = "struct_demo.txt";
        form.show();
        DriveKindNow = c.DriveKind;
        ShellLog.Opened.clear();
        Press(form, Qt::Key_E, c.Modifiers);
        if (c.Opens) {
            ASSERT_EQ(ShellLog.Opened.size(), 1u) << "drive " << c.DriveKind;
            EXPECT_EQ(ShellLog.Opened[0].File, ProgramPath("struct_demo.txt"));
            EXPECT_EQ(ShellLog.Opened[0].Verb, "open");
        } else {
            EXPECT_TRUE(ShellLog.Opened.empty()) << "drive " << c.DriveKind;
        }
    }
    EXPECT_EQ(Terminations, 0);
}

TEST_F(FormTest, DialogModeSizeAndHelpSetIconsAndSizingAsTheKeysSay) {
    struct TStep {
        const char* Call;
        bool On;
    };
    struct TCase {
        std::vector<TStep> Steps;
        bool FrameSizeable;
        bool Minimize, Maximize, Help;
        bool DialogMode, EscClose, SizeableField;
    };
    const TCase cases[] = {
        {{{"dialog", true}}, false, false, false, false, true, true, true},
        {{{"dialog", true}, {"dialog", false}}, true, true, true, false, false, false, true},
        {{{"size", false}}, false, true, false, false, false, false, false},
        {{{"size", false}, {"size", true}}, true, true, true, false, false, false, true},
        {{{"dialog", true}, {"size", true}}, true, false, true, false, true, true, true},
        {{{"help", true}}, true, true, true, true, false, false, true},
        {{{"help", true}, {"help", false}}, true, true, true, false, false, false, true},
    };
    for (const TCase& c : cases) {
        TfrmFORM form;
        std::string name;
        for (const TStep& s : c.Steps) {
            name += std::string(s.Call) + (s.On ? " on; " : " off; ");
            if (std::string(s.Call) == "dialog")
                form.SetDialogMode(s.On);
            else if (std::string(s.Call) == "size")
                form.SetSizeable(s.On);
            else
                form.SetHelpButton(s.On);
        }
        const TIconsSeen icons = IconsOf(form);
        EXPECT_EQ(form.SkinForm->Sizeable(), c.FrameSizeable) << name;
        EXPECT_EQ(icons.Minimize, c.Minimize) << name;
        EXPECT_EQ(icons.Maximize, c.Maximize) << name;
        EXPECT_EQ(icons.Help, c.Help) << name;
        EXPECT_TRUE(icons.Close && icons.SystemMenu) << name;
        EXPECT_EQ(form.DialogMode, c.DialogMode) << name;
        EXPECT_EQ(form.EscClose, c.EscClose) << name;
        EXPECT_EQ(form.Sizeable, c.SizeableField) << name;
        EXPECT_EQ(form.HelpButton, c.Help) << name;
        // The title bar shows what the icons say.
        TTitleBar* bar = form.SkinForm->TitleBar();
        EXPECT_EQ(bar->ButtonShown(TTitleBar::TButton::Minimize), c.Minimize) << name;
        EXPECT_EQ(bar->ButtonShown(TTitleBar::TButton::Maximize), c.Maximize) << name;
        EXPECT_EQ(bar->ButtonShown(TTitleBar::TButton::Help), c.Help) << name;
    }
}

TEST_F(FormTest, TheHelpIconRunsTheHelpActionAtTheMousePosition) {
    TfrmFORM form;
    std::vector<RHelpAction> actions;
    form.OnAction = [&](const RHelpAction& action) { actions.push_back(action); };
    form.HelpAction = "help_show*topic";
    form.SetHelpButton(true);
    form.show();
    QToolButton* help = form.SkinForm->TitleBar()->Button(TTitleBar::TButton::Help);
    ASSERT_FALSE(help->isHidden());
    QCursor::setPos(help->mapToGlobal(QPoint(3, 4)));
    help->click();
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(actions[0].Command, "help_show*topic");
    EXPECT_EQ(actions[0].Height, 0);
    EXPECT_EQ(QPoint(actions[0].X, actions[0].Y), QCursor::pos());
}

TEST_F(FormTest, OnMaximizeComesBeforeTheChangeWithTheCurrentState) {
    TfrmFORM form;
    form.show();
    struct TSeen {
        TWindowState Given;
        TWindowState AtCall;
    };
    std::vector<TSeen> seen;
    form.SkinForm->OnMaximize = [&](TWindowState current) {
        seen.push_back({current, form.SkinForm->WindowState()});
    };
    QToolButton* maximize = form.SkinForm->TitleBar()->Button(TTitleBar::TButton::Maximize);
    maximize->click();
    EXPECT_EQ(form.SkinForm->WindowState(), TWindowState::Maximized);
    EXPECT_TRUE(form.SkinForm->TitleBar()->Maximized());
    // Maximized, the frame has no border and the client area fills the rest.
    EXPECT_EQ(form.SkinForm->BorderWidth(), 0);
    EXPECT_EQ(form.ClientArea()->size(), ClientSizeOf(form, form.size()));
    QTest::mouseDClick(form.SkinForm->TitleBar(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 8));
    EXPECT_EQ(form.SkinForm->WindowState(), TWindowState::Normal);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Given, TWindowState::Normal);
    EXPECT_EQ(seen[0].AtCall, TWindowState::Normal);
    EXPECT_EQ(seen[1].Given, TWindowState::Maximized);
    EXPECT_EQ(seen[1].AtCall, TWindowState::Maximized);
    // Minimizing is no maximize toggle.
    form.SkinForm->SetWindowState(TWindowState::Minimized);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(FormTest, ADoubleClickOnTheCaptionMaximizesOnlyASizeableWindow) {
    for (bool sizeable : {true, false}) {
        TfrmFORM form;
        form.SetSizeable(sizeable);
        form.show();
        QTest::mouseDClick(form.SkinForm->TitleBar(), Qt::LeftButton, Qt::NoModifier,
                           QPoint(60, 8));
        EXPECT_EQ(form.SkinForm->WindowState() == TWindowState::Maximized, sizeable);
    }
}

TEST_F(FormTest, OnSizeChangedGetsTheNewClientSize) {
    TfrmFORM form;
    std::vector<QSize> sizes;
    form.OnSizeChanged = [&](int w, int h) { sizes.emplace_back(w, h); };
    form.show();
    form.resize(600, 400);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back(), ClientSizeOf(form, QSize(600, 400)));
    EXPECT_EQ(sizes.back(), form.ClientArea()->size());
    // Hiding the caption (and with it the border) gives the client area the whole window.
    sizes.clear();
    form.SkinForm->SetCaptionVisible(false);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0], QSize(600, 400));
}

// The engine holds the painting from the start of a resize until the next size report.
TEST_F(FormTest, EveryResizeByTheBorderEndsWithASizeReport) {
    for (const int drag : {0, 25}) {
        TfrmFORM form;
        form.show();
        std::vector<QSize> sizes;
        form.SkinForm->OnResizeStart = [&] { form.SkinForm->SuspendPaint(); };
        form.OnSizeChanged = [&](int w, int h) {
            sizes.emplace_back(w, h);
            form.SkinForm->ResumePaint();
        };
        const QPoint edge(form.width() - 1, form.height() / 2);
        QWidget* grip = form.childAt(edge);
        ASSERT_NE(grip, nullptr);
        const QPoint at = grip->mapFrom(&form, edge);
        QTest::mousePress(grip, Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_TRUE(form.SkinForm->PaintSuspended());
        QTest::mouseMove(grip, at + QPoint(drag, 0));
        QTest::mouseRelease(grip, Qt::LeftButton, Qt::NoModifier, at + QPoint(drag, 0));
        EXPECT_FALSE(form.SkinForm->PaintSuspended()) << "drag " << drag;
        EXPECT_EQ(sizes, std::vector<QSize>{form.ClientArea()->size()}) << "drag " << drag;
        EXPECT_EQ(form.width(), 783 + drag);
    }
}

TEST_F(FormTest, SetFormBoundsGivesTheHiddenWindowsPagesTheirFinalSizeAtOnce) {
    TfrmFORM form;
    TNotebook* notebook = form.CreateNotebook();
    notebook->AddPage(QStringLiteral("p1"));
    auto* filler = new QWidget(notebook->Page(1));
    filler->show();
    SetAlign(filler, TAlign::Client);
    std::vector<QSize> sizes;
    form.OnSizeChanged = [&](int w, int h) { sizes.emplace_back(w, h); };
    ASSERT_FALSE(form.isVisible());
    form.SetFormBounds(QRect(30, 40, 500, 380));
    const QSize client = ClientSizeOf(form, QSize(500, 380));
    EXPECT_EQ(form.geometry(), QRect(30, 40, 500, 380));
    EXPECT_EQ(form.ClientArea()->size(), client);
    EXPECT_EQ(notebook->size(), client);
    EXPECT_EQ(notebook->Page(1)->size(), client);
    EXPECT_EQ(filler->size(), client);
    EXPECT_EQ(sizes, std::vector<QSize>{client});
    // Shown later, the window reports nothing new.
    form.show();
    EXPECT_EQ(sizes, std::vector<QSize>{client});
    EXPECT_EQ(notebook->Page(1)->size(), client);
}

// The engine applies the skin while the window is still hidden and places controls by the page's
// size right after; the frame's sizes from the skin count at once.
TEST_F(FormTest, ASkinAppliedToTheHiddenWindowSetsTheFrameAtOnce) {
    TTempDir dir;
    dir.Write("frame.skin", "[style]\n#SkinTitleBar { qproperty-captionHeight: 40; "
                            "qproperty-borderWidth: 7; }\n");
    const TThemeLink link(dir.Folder() + "frame.skin");
    TfrmFORM form;
    TNotebook* notebook = form.CreateNotebook();
    std::vector<QSize> sizes;
    form.OnSizeChanged = [&](int w, int h) { sizes.emplace_back(w, h); };
    link.ApplyTo(&form);
    EXPECT_EQ(form.SkinForm->CaptionHeight(), 40);
    EXPECT_EQ(form.SkinForm->BorderWidth(), 7);
    const QSize client(783 - 14, 540 - 14 - 40);
    EXPECT_EQ(notebook->Page(0)->size(), client);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back(), client);
    const size_t reported = sizes.size();
    form.show();
    EXPECT_EQ(sizes.size(), reported);
}

TEST_F(FormTest, ShowModalRunsThroughTheRunnerAndGivesTheModalResult) {
    struct TCase {
        int Result; // what the window sets while it runs; 0: it is closed without one
        int Expected;
    };
    for (const TCase c : {TCase{7, 7}, TCase{0, 0}}) {
        TfrmFORM form;
        int runs = 0;
        SetModalRunner([&](QWidget* window) {
            ++runs;
            EXPECT_EQ(window, &form);
            if (c.Result != 0) {
                form.SetModalResult(c.Result);
                EXPECT_FALSE(form.isVisible());
            } else {
                form.close();
            }
        });
        EXPECT_EQ(form.ShowModal(), c.Expected);
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(form.ModalResult(), c.Expected);
    }
}

TEST_F(FormTest, AModalResultOutsideAModalRunDoesNotCloseTheWindow) {
    TfrmFORM form;
    form.show();
    form.SetModalResult(1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.ModalResult(), 1);
}

TEST_F(FormTest, AConversionErrorFromAHotKeysActionIsShownNotThrownIntoQt) {
    TfrmFORM form;
    form.OnAction = [](const RHelpAction&) { throw EConvertError(W("'x1' - неверное число")); };
    form.AddHotKey("F9*go");
    form.show();
    Press(form, Qt::Key_F9);
    EXPECT_EQ(Messages.Messages(), std::vector<std::string>{W("'x1' - неверное число")});
}

TEST_F(FormTest, ClosingTheWindowByItsCloseIconClosesIt) {
    TfrmFORM form;
    form.show();
    form.SkinForm->TitleBar()->Button(TTitleBar::TButton::Close)->click();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(FormTest, FreeingTheFormCallsNothingOfItsEngine) {
    int calls = 0;
    {
        auto* form = new TfrmFORM;
        form->CreateNotebook();
        form->show();
        form->OnSizeChanged = [&](int, int) { ++calls; };
        form->OnAction = [&](const RHelpAction&) { ++calls; };
        delete form;
    }
    EXPECT_EQ(calls, 0);
}

TEST_F(FormTest, TheShowEffectPlaysWhenTheWindowAppears) {
    for (const std::string effect : {"", "slide_down"}) {
        TfrmFORM form;
        form.Effect = effect;
        const QPoint place = form.pos();
        form.show();
        EXPECT_EQ(form.SkinForm->Animating(), !effect.empty()) << effect;
        // Placing the window ends the effect where it was put.
        form.SetFormBounds(QRect(place, form.size()));
        EXPECT_FALSE(form.SkinForm->Animating());
        EXPECT_EQ(form.pos(), place);
    }
}

// The reader's own way to end: in a process of its own, since it ends the process or every
// running loop.
TEST(FormEnd, WithoutARunningLoopTheProcessEnds) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TfrmFORM form;
            form.show();
            TSkForm::TerminateProgram();
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(FormEnd, InsideRunningLoopsEveryLoopIsLeftAndTheWindowsClosed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TfrmFORM form;
            form.show();
            bool innerLeft = false;
            QEventLoop outer;
            QTimer::singleShot(0, [&] {
                QEventLoop inner;
                QTimer::singleShot(0, [] { TSkForm::TerminateProgram(); });
                inner.exec();
                innerLeft = true;
            });
            outer.exec();
            std::exit(innerLeft && !form.isVisible() ? 3 : 1);
        },
        ::testing::ExitedWithCode(3), "");
}
