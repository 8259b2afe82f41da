#pragma once
// The interpreter of structure files. One engine serves one window and one structure file: it
// reads the file, creates every object it describes in three passes (windows, popup menus, then
// the rest depth first), applies their keys, keeps them in a registry by type, answers lookups by
// name, carries out command strings, builds menus, reports configuration errors, shows the
// optional splash window and saves the window's position.
//
// The implementation is split by concern: SkStract.cpp (build, registry, lookups, errors,
// splash, registry values, positions, resize and maximize), SkObjects.cpp (object types and
// creation), SkProperties.cpp (property keys), SkDispatch.cpp (the action dispatcher), SkMenus.cpp
// (menus, favorites, history).

#include "archive/PakIniFile.h"
#include "archive/Utils.h"
#include "engine/HelpAction.h"

#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;
class QWidget;
class QMouseEvent;
class TSkForm;
class TSkSkin;
class TSkButton;
class TSkSpeedButton;
class TSkPanel;
class TParentPanel;
class TSkSplitter;
class TSkLabel;
class TSkTrackBar;
class TSkListBox;
class TSkScrollBox;
class TSkPopMenu;
class TSkEditBox;
class TSkCheckBox;
class TSkRadioButton;
class TSkProgressBar;
class TSkComboBox;
class TSkTree;
class TSkTreeEx;
class TSkHtml;
class TSkSpinEdit;
class TSkItem;
class TSplashWindow;
enum class TWindowState;

// The object types of structure files, in registry order.
enum class TObjectType {
    Button, SpButton, Panel, ParentPanel, Html, Split, Label, TrackBar, Tree, TreeEx, Flash, Media,
    ListBox, ScrollBox, Image, PopMenu, Gif, EditBox, CheckBox, RButton, ProgressBar, ComboBox,
    ListImg, Pic, Grid, HtmlGrid, SpinEdit, Diagram,
    Count
};
constexpr int kObjectTypeCount = static_cast<int>(TObjectType::Count);
// The structure-file keyword of a type ("sp_button"); and back, -1 for other keywords.
const char* TypeKeyword(TObjectType type);
int TypeOfKeyword(const std::string& lowerKeyword);

using TUnknownObjectHandler = std::function<void(QWidget* parent, const std::string& name,
                                                 const TStrings& lines, const std::string& type)>;

class TSkStract {
public:
    TSkStract(TSkForm* form, const std::string& structFile);
    ~TSkStract();
    TSkStract(const TSkStract&) = delete;
    TSkStract& operator=(const TSkStract&) = delete;

    TSkForm* Form;
    std::unique_ptr<TPakIniFile> Structure;
    int PageIndex = 0;
    bool ReportErrors = true;
    bool SavePos = false;
    bool SplashCloseAuto = true;
    std::string RegistryPath;
    std::string HelpId;
    int ProgressStep = 1;
    std::unique_ptr<TSkSkin> Skin;
    std::function<void(const RHelpAction&)> OnAction;
    TUnknownObjectHandler OnUnknownObject;
    std::string FavoriteMenus;
    std::unique_ptr<TStrings> Favorites;

    // Build and life cycle
    void LoadStructure();
    void Activate();

    // Registry and lookups. Names compare without regard to Latin letter case.
    const std::vector<QPointer<QObject>>& AllObjects() const { return All; }
    const std::vector<QPointer<QObject>>& ObjectsOf(TObjectType type) const;
    QObject* GetControl(const std::string& name);
    QObject* GetComponent(const std::string& name, TObjectType type);
    TSkButton* GetButton(const std::string& name);
    TSkSpeedButton* GetSpeedButton(const std::string& name);
    TSkPanel* GetPanel(const std::string& name);
    TParentPanel* GetParentPanel(const std::string& name);
    TSkSplitter* GetSplitter(const std::string& name);
    TSkLabel* GetLabel(const std::string& name);
    TSkTrackBar* GetTrackBar(const std::string& name);
    TSkListBox* GetListBox(const std::string& name);
    TSkScrollBox* GetScrollBox(const std::string& name);
    TSkPopMenu* GetPopMenu(const std::string& name);
    TSkEditBox* GetEditBox(const std::string& name);
    TSkRadioButton* GetRadioButton(const std::string& name);
    TSkProgressBar* GetProgressBar(const std::string& name);
    TSkComboBox* GetComboBox(const std::string& name);
    TSkTree* GetTree(const std::string& name);
    TSkTreeEx* GetTreeEx(const std::string& name);
    TSkHtml* GetHtml(const std::string& name);
    TSkComboBox* FindComboByCommand(const std::string& command);
    TSkSpeedButton* FindSpeedButtonByCommand(const std::string& command,
                                             const std::string& parameter);
    // The object type an object was registered under; -1 when it is not one of the engine's.
    int TypeOf(const QObject* object) const;
    // The structure-file section an object was made from (for --dump).
    std::string SectionOf(const QObject* object) const;

    void ReportError(const std::string& text);

    // Registry values below RegistryPath
    void WriteReg(const std::string& name, const std::string& text);
    std::string ReadReg(const std::string& name);
    void SavePosition();
    void RestorePosition();

    // Splash window
    void ShowSplash(const std::string& specification);
    void StepProgress();
    void CloseSplash();

    void SuspendImages();
    void ResumeImages();

    // Objects and keys
    QWidget* MakeObject(QWidget* parent, const std::string& section, const std::string& type);
    void SetProperty(QObject* control, const std::string& section, const std::string& type);
    void ApplyLayoutKeys(QWidget* control, const std::string& section, const std::string& type);
    void RegisterHotKeys(const std::string& section);

    // Dispatcher
    void Dispatch(const RHelpAction& action);
    void RunCommand(const std::string& text);
    void ClickControl(QObject* sender);
    void KeyControl(QObject* sender, int key, int shift);
    void TreeExItemChanged(QObject* sender, QObject* item);

    // Menus, favorites, history
    void BuildMenu(TSkPopMenu* menu, const std::string& section);
    bool RefreshHistoryItems(TSkPopMenu* menu);
    void AddFavorite(const std::string& entry);
    void DeleteFavorite(const std::string& text);
    void ReadFavorite();
    void SaveFavorites(bool freeList);

    // Layout handlers
    void ResizeStart();
    void LayoutChanged(int width, int height);
    void MaximizeToggling(TWindowState current);

private:
    void Register(QObject* object, TObjectType type, const std::string& section);
    void MakeChildren(QWidget* parent, const std::string& parentSection);
    void ApplyButtonGroups(bool maximized);
    // Entry points from Qt events: run the body and show any error in a message box, so that no
    // exception reaches the event loop.
    template <typename F> void Guarded(F&& body);

    std::vector<QPointer<QObject>> All;
    std::array<std::vector<QPointer<QObject>>, kObjectTypeCount> Lists;
    std::vector<std::string> Sections; // parallel to All
    TStrings WorkList;                  // "section=master" items of the build passes
    std::string FormName;               // lower-cased
    std::unique_ptr<TSplashWindow> Splash;
    int DispatchDepth = 0;
    bool DispatchStopped = false; // a command loop was cut: the enclosing commands stop too
    // The frame's painting is held by this engine (build, resize, destruction); held once at most,
    // so a resize notification without a start never releases another holder's suspension.
    bool PaintHeld = false;
    void HoldPaint();
    void ReleasePaint();
    // Handlers given to the form expire with the engine: the form outlives it.
    std::shared_ptr<int> Alive = std::make_shared<int>(0);
};

// Runs body; a conversion or file error (or any other exception of ours) is shown in a message
// box instead of leaving through the caller. For every entry point from a Qt event or signal.
void RunGuarded(const std::function<void()>& body);
