#pragma once
// A window built from a structure file written as a loose file into a temporary program folder,
// with every message recorded, settings in memory, a shell that only records, and modal windows
// and menus run by hooks, so nothing ever blocks.

#include "common/TestSupport.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkInputs.h"
#include "SkinControl/SkLabel.h"
#include "SkinControl/SkPanels.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkSimple.h"
#include "app/SkForm.h"
#include "engine/SkStract.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"
#include "platform/Modal.h"

#include <QMenu>
#include <QPoint>

#include <memory>
#include <string>
#include <vector>

class TStructWindow {
public:
    static constexpr const char* kFile = "struct_test.txt";

    TStructWindow() : TStructWindow(std::string()) {}
    // folder: the program folder to build from (Windows-1251), empty for a fresh temporary one.
    explicit TStructWindow(const std::string& folder) {
        SetProgramFolderOverride(folder.empty() ? Dir.Folder() : folder);
        SetModalRunner([this](QWidget* window) {
            ++ModalRuns;
            if (OnModal)
                OnModal(window);
        });
        SetMenuRunner([this](QMenu* menu, const QPoint& at) { Popups.push_back({menu, at}); });
    }
    ~TStructWindow() {
        Engine.reset();
        Form.reset();
        SetModalRunner(nullptr);
        SetMenuRunner(nullptr);
        SetProgramFolderOverride("");
    }
    TStructWindow(const TStructWindow&) = delete;
    TStructWindow& operator=(const TStructWindow&) = delete;

    // Writes a file of the disc: UTF-8 text stored as Windows-1251 with CR LF line ends.
    void File(const std::string& name, const std::string& utf8) const {
        std::string text;
        for (char c : utf8) {
            if (c == '\n')
                text += '\r';
            text += c;
        }
        Dir.Write(name, W(text));
    }

    // Writes the structure file and builds a window from it (no OnAction unless set before).
    void Build(const std::string& utf8) {
        File(kFile, utf8);
        Rebuild();
    }
    // A new window and engine over the same files and the same settings store.
    void Rebuild() {
        Engine.reset();
        Form.reset();
        Form = std::make_unique<TfrmFORM>();
        Engine = std::make_unique<TSkStract>(Form.get(), kFile);
        if (OnAction)
            Engine->OnAction = OnAction;
        Engine->LoadStructure();
        Engine->Activate();
    }
    // Frees the engine (it saves its favorites), then the window.
    void Close() {
        Engine.reset();
        Form.reset();
    }

    template <typename T> T* Find(const std::string& name) const {
        return dynamic_cast<T*>(Engine->GetControl(W(name)));
    }
    void Run(const std::string& utf8Command) const { Engine->RunCommand(W(utf8Command)); }

    // Message and error texts in order, as UTF-8.
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const std::string& text : Dialogs.Messages())
            texts.push_back(cp1251::ToUtf8(text));
        return texts;
    }
    // An error report as ReportError words it.
    static std::string Report(const std::string& utf8) {
        return std::string(kFile) + "\r\n" + utf8;
    }

    struct TPopup {
        QMenu* Menu;
        QPoint At;
    };

    TTempDir Dir;
    TRecordingDialogs Dialogs;
    TMemorySettings Store;
    TRecordingShell ShellLog;
    std::function<void(const RHelpAction&)> OnAction;
    std::function<void(QWidget*)> OnModal;
    int ModalRuns = 0;
    std::vector<TPopup> Popups;
    std::unique_ptr<TSkForm> Form;
    std::unique_ptr<TSkStract> Engine;

private:
    TDialogsGuard DialogsGuard{&Dialogs};
    TSettingsGuard SettingsGuard{&Store};
    TShellGuard ShellGuard{&ShellLog};
};
