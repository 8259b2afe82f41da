#pragma once
// Every window of the system: a frameless window with a skinned frame, a page set (notebook) that
// engines build into, a hot key table, and the hooks through which its engine receives the
// window's actions, sizes and key presses. The form holds state only; its engine fills it.

#include "archive/Utils.h"
#include "engine/HelpAction.h"
#include "engine/SkHotKey.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QMenu;
class QWindow;
class TNotebook;
class TSkinFrame;

class TSkForm : public QWidget {
public:
    explicit TSkForm(QWidget* owner = nullptr);
    ~TSkForm() override;

    std::string Effect;
    bool EscClose = false;
    bool Moving = false;
    std::string StructFile;
    std::string FormAction;
    bool HelpButton = false;
    bool DialogMode = false;
    std::function<void(const RHelpAction&)> OnAction;
    std::function<void(int width, int height)> OnSizeChanged;
    bool Sizeable = true;
    QMenu* SystemMenu; // owned; starts empty
    TFontSpec MessageFont;
    std::string MaximizedButtons; // ";"-terminated speed button names
    std::string NormalButtons;
    TNotebook* Notebook = nullptr; // created by the first engine build
    TSkHotKey HotKeys;
    TSkinFrame* SkinForm; // owned
    TColor FormColor = 0;
    std::string HelpAction;

    // Key handling of the window (the form sees keys before its controls).
    void FormKeyDown(int key, int shift);
    virtual void FormMouseDown(QMouseEvent* event);
    void SetDialogMode(bool on);
    void SetSizeable(bool on);
    void SetHelpButton(bool on);
    void AddHotKey(const std::string& specification);

    // Creates the notebook (filling the client area) when there is none; returns it.
    TNotebook* CreateNotebook();
    // The area below the title bar and inside the border, where the notebook lives.
    QWidget* ClientArea() const;

    void SetCaption(const std::string& caption); // Windows-1251
    std::string Caption() const;
    // Outer bounds of the window ("left", "top", "width", "height" keys), laid out at once.
    void SetFormBounds(const QRect& bounds);

    // Modal showing: runs until the window closes; gives the modal result (0 when closed
    // without one). Goes through the platform's modal-run hook, so tests never block.
    int ShowModal();
    int ModalResult() const { return Result; }
    void SetModalResult(int result); // non-zero closes a modal window

    // Ends the program at once ("form_close" without a parameter, the restart key): all windows
    // are closed and every event loop left, or the process ends when none runs.
    static void TerminateProgram();
    // Tests replace how the program ends and which drive kind it runs from (nullptr: the
    // reader's own).
    static void SetTerminateHook(std::function<void()> hook);
    static void SetDriveKindHook(std::function<int()> hook);

protected:
    // A window class with its own initial bounds; the window is centred on the screen after.
    TSkForm(QWidget* owner, const QRect& designBounds);

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

public:
    // Set when a structure file's "left"/"top" or a saved position placed the window; otherwise
    // it is centred on its screen when first shown.
    bool Placed = false;

private:
    // Centres an unplaced window and moves one that would stand partly off its screen onto it
    // (first show only).
    void FitOnScreen();
    bool Fitted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Places the title bar and the client area for the window's size now, and reports a new
    // client size to OnSizeChanged.
    void LayoutFrame();
    void HelpClicked(int x, int y);

    QWidget* Client;
    int Result = 0;
    bool InModal = false;
    QPointer<QWindow> KeyWindow; // the native window whose key presses the form previews
    QSize ReportedClient;
    bool InLayout = false;
};

// A window that exists only as a structure file ("form_show" windows, the message window).
class TfrmFORM : public TSkForm {
public:
    explicit TfrmFORM(QWidget* owner = nullptr); // 200, 109, 783 × 540, no caption
};
