#include "FormTestSupport.h"
#include "common/TestSupport.h"

#include "platform/ConvertError.h"

#include <QMenu>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <stdexcept>

using ModalTest = FormTest;

TEST_F(ModalTest, TheHooksReceiveTheWindowAndTheMenu) {
    QWidget window;
    QMenu menu;
    QWidget* ranWindow = nullptr;
    QMenu* ranMenu = nullptr;
    QPoint ranAt;
    SetModalRunner([&](QWidget* w) { ranWindow = w; });
    SetMenuRunner([&](QMenu* m, const QPoint& at) {
        ranMenu = m;
        ranAt = at;
    });
    RunModal(&window);
    RunMenu(&menu, QPoint(12, 34));
    EXPECT_EQ(ranWindow, &window);
    EXPECT_EQ(ranMenu, &menu);
    EXPECT_EQ(ranAt, QPoint(12, 34));
    EXPECT_FALSE(window.isVisible());
}

// The reader's own runner: the window is application-modal while it runs, and the nested loop
// ends when it is closed. The close comes from the loop itself, as a click would.
TEST_F(ModalTest, TheOwnRunnerRunsUntilTheWindowIsClosed) {
    SetModalRunner(nullptr);
    QWidget window;
    Qt::WindowModality during = Qt::NonModal;
    bool visibleDuring = false;
    QTimer::singleShot(0, &window, [&] {
        during = window.windowModality();
        visibleDuring = window.isVisible();
        window.close();
    });
    RunModal(&window);
    EXPECT_EQ(during, Qt::ApplicationModal);
    EXPECT_TRUE(visibleDuring);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowModality(), Qt::NonModal);
}

TEST_F(ModalTest, TheOwnRunnerEndsWhenTheWindowIsDestroyed) {
    SetModalRunner(nullptr);
    auto* window = new QWidget;
    QTimer::singleShot(0, [window] { delete window; });
    RunModal(window);
    SUCCEED();
}

TEST_F(ModalTest, GuardedCallShowsWhatWasThrown) {
    EXPECT_TRUE(GuardedCall([] {}));
    EXPECT_FALSE(GuardedCall([] { throw EConvertError(W("'abc' - неверное целое")); }));
    EXPECT_FALSE(GuardedCall([] { throw std::runtime_error("disk full"); }));
    EXPECT_FALSE(GuardedCall([] { throw 42; }));
    EXPECT_EQ(Messages.Messages(),
              (std::vector<std::string>{W("'abc' - неверное целое"), "disk full",
                                        W("Непредвиденная ошибка")}));
}
