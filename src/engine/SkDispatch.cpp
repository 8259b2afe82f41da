// The action dispatcher: control events become command strings (ClickControl, KeyControl), and
// Dispatch carries out the commands it knows and hands the first one it does not know, with
// everything after it, to the engine's owner.

#include "engine/SkStract.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkInputs.h"
#include "SkinControl/SkLabel.h"
#include "SkinControl/SkPanels.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkSimple.h"
#include "app/SkForm.h"
#include "engine/SkCommand.h"
#include "engine/SkHelpers.h"
#include "engine/SkHtmlSupport.h"
#include "engine/SkTreeSupport.h"
#include "platform/Codec1251.h"
#include "platform/Controls.h"
#include "platform/ConvertError.h"
#include "platform/HostPath.h"
#include "platform/Services.h"
#include "platform/SkinFrame.h"

#include <QSignalBlocker>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace {

// Deep enough for any honest chain of clicks and windows; a command string that clicks its own
// button, or a window that opens itself, stops here instead of exhausting the stack.
constexpr int kMaxDispatchDepth = 16;
constexpr int kMaxFormShowDepth = 8;
int gFormShowDepth = 0; // process-wide: each shown window has an engine of its own
// The program was told to end: no command runs after that, in any window's engine, until the
// outermost command string has returned.
bool gProgramEnding = false;
int gDispatchNesting = 0;

std::string Ru(const char* utf8) {
    return cp1251::FromUtf8(utf8);
}

class TDepth {
public:
    explicit TDepth(int& counter) : Counter(counter) { ++Counter; }
    ~TDepth() { --Counter; }
    TDepth(const TDepth&) = delete;
    TDepth& operator=(const TDepth&) = delete;

private:
    int& Counter;
};

void ApplyButtonPosition(RHelpAction& action, const QWidget* button) {
    const QPoint origin = button->mapToGlobal(QPoint(0, 0));
    action.Height = button->height();
    action.X = origin.x();
    action.Y = origin.y();
}

// True when the canonical path of target (symbolic links resolved, ".." folded) lies inside the
// program folder.
bool InsideProgramFolder(const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(fs::path(ToHostPath(ProgramDir())), error);
    if (error)
        return false;
    const fs::path file = fs::weakly_canonical(fs::path(ToHostPath(target)), error);
    if (error)
        return false;
    auto f = folder.begin();
    auto p = file.begin();
    for (; f != folder.end(); ++f, ++p) {
        if (f->empty())
            continue; // the trailing separator of the folder
        if (p == file.end() || *f != *p)
            return false;
    }
    return p != file.end();
}

void ShowStructureWindow(TSkStract& e, const std::string& structFile) {
    if (gFormShowDepth >= kMaxFormShowDepth) {
        Dialogs().ShowMessage(Ru("form_show. Цикл окон остановлен (вложенность больше ") +
                              std::to_string(kMaxFormShowDepth) + "): " + structFile);
        return;
    }
    const TDepth depth(gFormShowDepth);
    // The engine goes before its window, also when the build fails.
    std::unique_ptr<TfrmFORM> window(new TfrmFORM(e.Form));
    std::unique_ptr<TSkStract> engine = std::make_unique<TSkStract>(window.get(), structFile);
    engine->LoadStructure();
    engine->Activate();
    window->ShowModal();
    engine.reset();
    window.reset();
}

void ShowMenu(TSkStract& e, TSkPopMenu* menu, const std::string& anchorName,
              const RHelpAction& action) {
    e.RefreshHistoryItems(menu);
    int height = action.Height, x = action.X, y = action.Y;
    // The record's own anchor (the button that was clicked) wins over a named one.
    if (height == 0 && x == 0 && y == 0 && !anchorName.empty()) {
        const bool reports = e.ReportErrors;
        e.ReportErrors = false;
        QWidget* anchor = e.GetButton(anchorName);
        if (!anchor)
            anchor = e.GetSpeedButton(anchorName);
        e.ReportErrors = reports;
        if (anchor) {
            const QPoint origin = anchor->mapToGlobal(QPoint(0, 0));
            height = anchor->height();
            x = origin.x();
            y = origin.y();
        } else {
            Dialogs().ShowMessage(Ru("menu_show. Не найден контрол ") + anchorName);
        }
    }
    menu->PopupAt(x, y + height);
}

void RunProgram(const std::string& file, const std::string& parameters) {
    if (file.empty())
        return;
    const std::string path = ProgramPath(file);
    // Only what the disc itself holds may be started: a name that climbs out of the program
    // folder, or an absolute one elsewhere, is refused.
    if (!InsideProgramFolder(path)) {
        Dialogs().ShowMessage(Ru("run. Запуск запрещён: файл вне папки программы: ") + file);
        return;
    }
    ShellOpen(path, parameters, "open");
}

void ShowHelp(const std::string& helpFile, const std::string& topic) {
    // There is no help system here: the help file opens in the desktop's viewer. The topic
    // (p2, or the remembered one) has nothing to jump to.
    (void)topic;
    const std::string path = ProgramPath(helpFile);
    if (helpFile.empty() || !HostFileExists(path)) {
        Dialogs().ShowMessage(Ru("help. Не найден файл справки: ") + helpFile);
        return;
    }
    ShellOpen(path, "", "open");
}

enum class TOutcome { Unknown, Done, ProgramEnds };

TOutcome RunBuiltIn(TSkStract& e, const std::string& name, const std::string& paramText,
                    const std::string& p1, const std::string& p2, const RHelpAction& action) {
    if (name == "click_but") {
        if (auto* button = e.GetButton(p1))
            e.ClickControl(button);
    } else if (name == "click_spbut") {
        if (auto* button = e.GetSpeedButton(p1))
            e.ClickControl(button);
    } else if (name == "spbutton_down") {
        if (auto* button = e.GetSpeedButton(p1))
            button->SetDownState(TextToBool(p2, true));
    } else if (name == "form_close") {
        // The result is read first, so a malformed one leaves the window as it is.
        const int result = p1.empty() ? 0 : StrToInt(p1);
        e.SuspendImages();
        if (p1.empty()) {
            TSkForm::TerminateProgram();
            return TOutcome::ProgramEnds;
        } else {
            e.Form->SetModalResult(result);
            e.Form->close();
        }
    } else if (name == "form_mini") {
        e.Form->SkinForm->ToggleMinimized();
    } else if (name == "form_maxi") {
        e.SuspendImages();
        e.Form->SkinForm->ToggleMaximized();
        e.ResumeImages();
        e.Form->update();
    } else if (name == "form_show") {
        if (!p1.empty())
            ShowStructureWindow(e, p1);
    } else if (name == "menu_del_favore") {
        e.DeleteFavorite(paramText);
    } else if (name == "menu_show") {
        if (auto* menu = e.GetPopMenu(p1))
            ShowMenu(e, menu, p2, action);
    } else if (name == "run") {
        RunProgram(p1, p2);
    } else if (name == "label") {
        if (auto* label = e.GetLabel(p1))
            label->SetFullCaption(p2);
    } else if (name == "combo_load") {
        if (auto* combo = e.GetComboBox(p1)) {
            combo->LoadItems(p2);
            // Loading selects, it does not choose: no action fires.
            const QSignalBlocker quiet(combo);
            combo->setCurrentIndex(-1);
            combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
        }
    } else if (name == "visible" || name == "enabled") {
        if (auto* target = qobject_cast<QWidget*>(e.GetControl(p1))) {
            if (name == "visible")
                SetShown(target, TextToBool(p2, true));
            else
                target->setEnabled(TextToBool(p2, true));
        }
    } else if (name == "split_show_or_hide") {
        if (auto* split = e.GetSplitter(p1))
            split->ToggleVisible();
    } else if (name == "panel_show_or_hide") {
        if (auto* panel = e.GetPanel(p1))
            panel->ToggleVisible();
    } else if (name == "parpanel_show_or_hide") {
        if (auto* panel = e.GetParentPanel(p1))
            panel->ToggleVisible();
    } else if (name == "spbutton_show_or_hide") {
        if (auto* button = e.GetSpeedButton(p1))
            button->ToggleVisible();
    } else if (name == "button_show_or_hide") {
        if (auto* button = e.GetButton(p1))
            button->ToggleVisible();
    } else if (name == "sbutton_down") {
        if (auto* button = e.GetSpeedButton(p1))
            button->ToggleDown();
    } else if (name == "help_id") {
        e.HelpId = p1;
    } else if (name == "help") {
        ShowHelp(p1, p2);
    } else if (name == "test") {
        Dialogs().ShowMessage(p1 + "*" + p2);
    } else if (RunTreeAction(e, name, p1, p2)) {
        // tree_* and treeex_* (SkTreeSupport.cpp)
    } else if (RunHtmlAction(e, name, p1, p2)) {
        // html_* of the document view (SkHtmlSupport.cpp)
    } else {
        return TOutcome::Unknown;
    }
    return TOutcome::Done;
}

} // namespace

void TSkStract::RunCommand(const std::string& text) {
    RHelpAction action;
    action.Command = text;
    Dispatch(action);
}

void TSkStract::ClickControl(QObject* sender) {
    RHelpAction action;
    action.Sender = sender;
    if (auto* combo = dynamic_cast<TSkComboBox*>(sender)) {
        if (!combo->ReadOnly || combo->currentIndex() >= 0)
            action.Command = InsertValue(combo->Action, combo->GetValue(), false);
    } else if (TreeClickCommand(sender, action.Command)) {
        // A topic tree or a checkable tree: its action with the selected document (SkTreeSupport).
    } else if (auto* list = dynamic_cast<TSkListBox*>(sender)) {
        const int index = list->ItemIndex();
        if (index >= 0) {
            const std::string value = list->GetValue(index);
            if (!value.empty())
                action.Command = InsertValue(list->Action, value, true);
        }
    } else if (auto* button = dynamic_cast<TSkButton*>(sender)) {
        action.Command = button->Action;
        ApplyButtonPosition(action, button);
    } else if (auto* speedButton = dynamic_cast<TSkSpeedButton*>(sender)) {
        action.Command = speedButton->Action;
        ApplyButtonPosition(action, speedButton);
    } else if (auto* item = dynamic_cast<TSkItem*>(sender)) {
        action.Command = item->Action;
    } else if (auto* panel = dynamic_cast<TSkPanelBase*>(sender)) {
        action.Command = panel->Action;
    } else if (auto* label = dynamic_cast<TSkLabel*>(sender)) {
        action.Command = label->Action;
    } else if (auto* check = dynamic_cast<TSkCheckBox*>(sender)) {
        const bool checked = check->isChecked();
        action.Command = InsertValue(check->Action, checked ? "1" : "0", true);
        for (const std::string& name : check->EnableList) {
            auto* target = qobject_cast<QWidget*>(GetControl(name));
            if (target)
                target->setEnabled(checked);
            else
                ReportError(Ru("Проверте параметр enable_control для чекьокса ") +
                            ComponentName(check));
        }
    }
    Dispatch(action);
}

void TSkStract::KeyControl(QObject* sender, int key, int /*shift*/) {
    RHelpAction action;
    TreeKeyControl(sender, key); // the checkable tree's space bar (SkTreeSupport.cpp)
    if (auto* edit = dynamic_cast<TSkEditBox*>(sender))
        if (edit->ActOnEveryKey || key == 13)
            action.Command = edit->Action;
    Dispatch(action);
}

void TSkStract::TreeExItemChanged(QObject* sender, QObject* item) {
    // The checkable tree reports the item that is now selected, none when the selection went.
    if (item)
        ClickControl(sender);
}

void TSkStract::Dispatch(const RHelpAction& action) {
    if (DispatchDepth >= kMaxDispatchDepth) {
        if (!DispatchStopped)
            Dialogs().ShowMessage(Ru("Dispatch. Цикл команд остановлен (вложенность больше ") +
                                  std::to_string(kMaxDispatchDepth) + "): " + action.Command);
        DispatchStopped = true;
        return;
    }
    const TSkCommand commands(action.Command);
    if (commands.Count() == 0)
        return;
    const TDepth depth(DispatchDepth);
    const TDepth nesting(gDispatchNesting);

    for (int i = 0; i < commands.Count() && !DispatchStopped && !gProgramEnding; ++i) {
        const RCommand& command = commands.Items()[static_cast<size_t>(i)];
        const std::string& name = command.Name;
        try {
            // A file-choice parameter asks for its file now, whatever the command.
            const std::string p1 = GetParam(command.Params, 0);
            const std::string p2 = GetParam(command.Params, 1);
            const TOutcome outcome = RunBuiltIn(*this, name, command.ParamText, p1, p2, action);
            if (outcome == TOutcome::ProgramEnds) {
                gProgramEnding = true;
                break;
            }
            if (outcome == TOutcome::Unknown) {
                if (name == "nil" || !OnAction)
                    continue;
                RHelpAction handOver;
                handOver.Command = commands.CommandText(i);
                if (!command.Rest.empty())
                    handOver.Command += "//" + command.Rest;
                handOver.Height = action.Height;
                handOver.X = action.X;
                handOver.Y = action.Y;
                OnAction(handOver);
                break;
            }
        } catch (const std::exception& error) {
            // A malformed parameter (or a window that could not be built) ends this command
            // string with the reason; the program goes on.
            Dialogs().ShowMessage(Ru("Команда ") + commands.CommandText(i) + Ru(" не выполнена: ") +
                                  error.what());
            break;
        }
    }
    if (DispatchDepth == 1)
        DispatchStopped = false;
    if (gDispatchNesting == 1)
        gProgramEnding = false;
}
