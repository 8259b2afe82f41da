// Engine core: construction, the three build passes, activation, the registry and its lookups,
// error reports, registry values, saved positions, the splash window, resize and maximize
// handling, list-box hints and destruction.

#include "engine/SkStract.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkInputs.h"
#include "SkinControl/SkLabel.h"
#include "SkinControl/SkPanels.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkSimple.h"
#include "SkinControl/SkSkin.h"
#include "SkinControl/SkTree.h"
#include "app/SkForm.h"
#include "engine/Splash.h"
#include "platform/Codec1251.h"
#include "platform/Controls.h"
#include "platform/ConvertError.h"
#include "platform/Cursors.h"
#include "platform/Notebook.h"
#include "platform/Services.h"
#include "platform/SkinFrame.h"
#include "viewer/SkHtml.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QToolTip>

#include <algorithm>

namespace {

// Windows that open windows from their start action ("form_show" of its own file) would
// otherwise build until the stack runs out.
constexpr int kMaxBuildDepth = 8;
int gBuildDepth = 0;

struct TBuildDepthGuard {
    TBuildDepthGuard() { ++gBuildDepth; }
    ~TBuildDepthGuard() { --gBuildDepth; }
    TBuildDepthGuard(const TBuildDepthGuard&) = delete;
    TBuildDepthGuard& operator=(const TBuildDepthGuard&) = delete;
};

std::string W(const char* utf8) {
    return cp1251::FromUtf8(utf8);
}

// A work-list item "section=master".
std::pair<std::string, std::string> SplitItem(const std::string& item) {
    std::string rest = item;
    std::string name = SplitHead(rest, "=");
    return {std::move(name), std::move(rest)};
}

// A handler for the form that does nothing once its engine is gone, and keeps every exception
// away from the event loop.
template <typename F> auto WhileAlive(const std::shared_ptr<int>& alive, F body) {
    return [token = std::weak_ptr<int>(alive), body](auto&&... args) {
        if (token.expired())
            return;
        RunGuarded([&] { body(args...); });
    };
}

// The notebook of a window that can be dragged by its client area hands left presses to the
// window's drag handler.
class TNotebookDrag : public QObject {
public:
    TNotebookDrag(TSkForm* form, QObject* parent) : QObject(parent), Form(form) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress)
            return false;
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() != Qt::LeftButton)
            return false;
        RunGuarded([&] { Form->FormMouseDown(press); });
        return true;
    }

private:
    TSkForm* Form;
};

// Long list-box entries: while the mouse rests on an item wider than the list, the hint is the
// item's whole text, shown over its row. One filter serves the whole application.
class TListBoxHints : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        auto* list = dynamic_cast<TSkListBox*>(widget);
        if (!list)
            list = dynamic_cast<TSkListBox*>(widget->parentWidget());
        if (!list || (widget != list && widget != list->viewport()))
            return false;
        QWidget* viewport = list->viewport();
        const QPoint at = viewport->mapFrom(widget, static_cast<QHelpEvent*>(event)->pos());
        const int index = list->ItemAtPoint(at);
        if (index < 0)
            return false;
        QListWidgetItem* item = list->item(index);
        const QString text = item->text();
        if (list->fontMetrics().horizontalAdvance(text) <= list->width() - 25)
            return false;
        QRect row = list->visualItemRect(item);
        row = QRect(0, row.top(), viewport->width(), row.height());
        QToolTip::showText(viewport->mapToGlobal(row.topLeft() - QPoint(2, 1)), text, viewport,
                           row);
        return true;
    }
};

void InstallListBoxHints() {
    static QPointer<TListBoxHints> hints;
    if (!hints && qApp) {
        hints = new TListBoxHints(qApp);
        qApp->installEventFilter(hints);
    }
}

QColor ToQColor(TColor color) {
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

void SetPageColor(QWidget* page, TColor color) {
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    page->setPalette(palette);
    page->setAutoFillBackground(true);
}

// The file name without folder and extension.
std::string FileStem(const std::string& name) {
    std::string stem = name;
    if (const auto slash = stem.find_last_of("\\/"); slash != std::string::npos)
        stem.erase(0, slash + 1);
    if (const auto dot = stem.rfind('.'); dot != std::string::npos && dot > 0)
        stem.erase(dot);
    return stem;
}

TStrings SplitNames(const std::string& text) {
    TStrings names;
    std::string rest = text;
    while (!rest.empty())
        if (std::string name = SplitHead(rest, ";"); !name.empty())
            names.push_back(std::move(name));
    return names;
}

// A saved position is used only when it is a plausible window on a screen of this machine: a
// value written on another machine or damaged would put the window out of reach.
bool UsablePosition(const QRect& bounds) {
    constexpr int kMinSide = 50, kMaxSide = 20000;
    if (bounds.width() < kMinSide || bounds.height() < kMinSide || bounds.width() > kMaxSide ||
        bounds.height() > kMaxSide)
        return false;
    const auto screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return true;
    return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return screen->geometry().intersects(bounds);
    });
}

} // namespace

void RunGuarded(const std::function<void()>& body) {
    try {
        body();
    } catch (const EConvertError& error) {
        Dialogs().ShowMessage(error.what());
    } catch (const EInOutError& error) {
        Dialogs().ShowMessage(error.what());
    } catch (const std::exception& error) {
        Dialogs().ShowMessage(error.what());
    } catch (...) {
        Dialogs().ShowMessage(W("Непредвиденная ошибка"));
    }
}

template <typename F> void TSkStract::Guarded(F&& body) {
    RunGuarded(std::forward<F>(body));
}

// ---- life cycle ----

TSkStract::TSkStract(TSkForm* form, const std::string& structFile) : Form(form) {
    SplashCloseAuto = true;
    ReportErrors = true;
    SavePos = false;
    HoldPaint();
    if (Form->SkinForm)
        Form->SkinForm->OnMaximize =
            WhileAlive(Alive, [this](TWindowState current) { MaximizeToggling(current); });
    Skin = std::make_unique<TSkSkin>(Form);
    Form->OnAction = WhileAlive(Alive, [this](const RHelpAction& action) { Dispatch(action); });
    Form->StructFile = structFile;
}

TSkStract::~TSkStract() {
    Structure.reset();
    try {
        if (SavePos)
            SavePosition();
    } catch (...) {
        // A store that cannot be written keeps the old position.
    }
    HoldPaint();
    Form->hide();
    // Newest first: children go before their containers, and an object that its container took
    // with it is already null here.
    for (auto it = All.rbegin(); it != All.rend(); ++it)
        if (QObject* object = it->data())
            delete object;
    All.clear();
    for (auto& list : Lists)
        list.clear();
    Sections.clear();
    Skin.reset();
    try {
        SaveFavorites(true);
    } catch (...) {
    }
    ReleasePaint();
    Alive.reset(); // the form's handlers that still point here do nothing from now on
}

void TSkStract::HoldPaint() {
    if (PaintHeld || !Form->SkinForm)
        return;
    Form->SkinForm->SuspendPaint();
    PaintHeld = true;
}

void TSkStract::ReleasePaint() {
    if (!PaintHeld)
        return;
    PaintHeld = false;
    if (Form->SkinForm)
        Form->SkinForm->ResumePaint();
}

// ---- build ----

void TSkStract::LoadStructure() {
    if (gBuildDepth >= kMaxBuildDepth) {
        ReportError(W("LoadStructure. Окна открывают друг друга слишком глубоко (больше ") +
                    std::to_string(kMaxBuildDepth) + W("), окно не построено"));
        ReleasePaint();
        return;
    }
    TBuildDepthGuard depth;

    // Qt's hint font is Unicode: no character set to choose.
    Structure = std::make_unique<TPakIniFile>(Form->StructFile);
    RegisterProgramCursors();
    TStrings sections;
    Structure->ReadSections(sections);
    if (sections.empty()) {
        Dialogs().ShowMessage(W("Нету данных в ") + Form->StructFile +
                              W(". Это безусловно End..."));
        ReleasePaint(); // the empty window must still paint
        return;
    }

    auto typeOf = [this](const std::string& section) {
        return cp1251::Lower(Structure->ReadString(section, "type", ""));
    };

    try {
        WorkList.clear();
        for (const std::string& section : sections)
            WorkList.push_back(section + "=" + Structure->ReadString(section, "master", ""));

        // Pass 1: the window's own sections, each opening a page.
        bool pageOpened = false;
        for (size_t i = 0; i < WorkList.size();) {
            const auto [name, master] = SplitItem(WorkList[i]);
            if (typeOf(name) != "form") {
                ++i;
                continue;
            }
            const std::string color = Structure->ReadString(name, "color", "");
            FormName = cp1251::Lower(name);
            WorkList.erase(WorkList.begin() + static_cast<std::ptrdiff_t>(i));
            MakeObject(Form, name, "form");
            if (!color.empty())
                Form->FormColor = ColorFromText(color);
            if (!Form->Notebook) {
                TNotebook* notebook = Form->CreateNotebook();
                if (Form->Moving)
                    notebook->installEventFilter(new TNotebookDrag(Form, notebook));
            } else {
                Form->Notebook->AddPage(QStringLiteral("p%1").arg(Form->Notebook->PageCount()));
            }
            PageIndex = Form->Notebook->PageIndex();
            pageOpened = true;
        }

        // Pass 2: popup menus, so that every control naming one finds it.
        for (size_t i = 0; i < WorkList.size();) {
            const auto [name, master] = SplitItem(WorkList[i]);
            if (typeOf(name) != "pop_menu") {
                ++i;
                continue;
            }
            WorkList.erase(WorkList.begin() + static_cast<std::ptrdiff_t>(i));
            MakeObject(Form, name, "pop_menu");
        }

        // Pass 3: top-level objects in file order, each container's children right after it.
        // Taking the first top-level item every time keeps siblings in file order even when
        // children standing before them in the file have been taken out meanwhile.
        for (;;) {
            const auto item = std::find_if(WorkList.begin(), WorkList.end(), [&](const auto& s) {
                const std::string master = SplitItem(s).second;
                return master.empty() || cp1251::EqualNoCase(master, FormName);
            });
            if (item == WorkList.end())
                break;
            const std::string name = SplitItem(*item).first;
            WorkList.erase(item);
            if (!pageOpened) {
                // A file without a window section still gets a page of its own.
                if (!Form->Notebook)
                    Form->CreateNotebook();
                else
                    Form->Notebook->AddPage(QStringLiteral("p%1").arg(Form->Notebook->PageCount()));
                PageIndex = Form->Notebook->PageIndex();
                pageOpened = true;
            }
            QWidget* page = Form->Notebook->Page(PageIndex);
            QWidget* container = MakeObject(page, name, typeOf(name));
            if (Form->FormColor != 0)
                SetPageColor(page, Form->FormColor);
            if (container)
                MakeChildren(container, name);
        }
        // What is left names an owner that never comes into being (no such section, or one that
        // cannot hold objects): said once for each, and the build goes on without them.
        for (const std::string& rest : WorkList) {
            const auto [name, master] = SplitItem(rest);
            ReportError(W("MakeObject. Не найден владелец ") + master + W(" для ") + name);
        }
        WorkList.clear();

        RunCommand(Form->FormAction);
        ReadFavorite();
        if (SplashCloseAuto)
            CloseSplash();
        else if (Splash && Splash->Progress())
            Splash->Progress()->setValue(Splash->Progress()->maximum());
        if (SavePos)
            RestorePosition();
    } catch (...) {
        // The build ends here; what was made stays, the window paints again and no splash
        // stays on top of the error message.
        WorkList.clear();
        CloseSplash();
        ReleasePaint();
        throw;
    }
    ReleasePaint();

    InstallListBoxHints();
    Form->OnSizeChanged = WhileAlive(Alive, [this](int w, int h) { LayoutChanged(w, h); });
    if (Form->SkinForm)
        Form->SkinForm->OnResizeStart = WhileAlive(Alive, [this] { ResizeStart(); });
}

void TSkStract::MakeChildren(QWidget* parent, const std::string& parentSection) {
    auto typeOf = [this](const std::string& section) {
        return cp1251::Lower(Structure->ReadString(section, "type", ""));
    };
    for (;;) {
        const auto item = std::find_if(WorkList.begin(), WorkList.end(), [&](const auto& s) {
            return SameComponentName(SplitItem(s).second, parentSection);
        });
        if (item == WorkList.end())
            return;
        const std::string name = SplitItem(*item).first;
        WorkList.erase(item);
        if (QWidget* container = MakeObject(parent, name, typeOf(name)))
            MakeChildren(container, name);
    }
}

void TSkStract::Activate() {
    if (Form->Notebook)
        Form->Notebook->SetPageIndex(PageIndex);
    if (Form->SkinForm)
        Form->SkinForm->OnMaximize =
            WhileAlive(Alive, [this](TWindowState current) { MaximizeToggling(current); });
    Form->OnSizeChanged = WhileAlive(Alive, [this](int w, int h) { LayoutChanged(w, h); });
    Form->OnAction = WhileAlive(Alive, [this](const RHelpAction& action) { Dispatch(action); });
    LayoutChanged(Form->width(), Form->height());
    if (!Form->MaximizedButtons.empty() && !Form->NormalButtons.empty())
        ApplyButtonGroups(Form->SkinForm &&
                          Form->SkinForm->WindowState() == TWindowState::Maximized);
}

// ---- registry and lookups ----

void TSkStract::Register(QObject* object, TObjectType type, const std::string& section) {
    Lists[static_cast<size_t>(type)].emplace_back(object);
    All.emplace_back(object);
    Sections.push_back(section);
}

const std::vector<QPointer<QObject>>& TSkStract::ObjectsOf(TObjectType type) const {
    return Lists[static_cast<size_t>(type)];
}

int TSkStract::TypeOf(const QObject* object) const {
    if (!object)
        return -1;
    for (size_t t = 0; t < Lists.size(); ++t)
        for (const auto& entry : Lists[t])
            if (entry.data() == object)
                return static_cast<int>(t);
    return -1;
}

std::string TSkStract::SectionOf(const QObject* object) const {
    for (size_t i = 0; i < All.size(); ++i)
        if (object && All[i].data() == object)
            return Sections[i];
    return {};
}

QObject* TSkStract::GetControl(const std::string& name) {
    for (const auto& entry : All)
        if (entry && SameComponentName(ComponentName(entry.data()), name))
            return entry.data();
    ReportError(W("GetControl. Не найден контрол: ") + name);
    return nullptr;
}

QObject* TSkStract::GetComponent(const std::string& name, TObjectType type) {
    for (const auto& entry : Lists[static_cast<size_t>(type)])
        if (entry && SameComponentName(ComponentName(entry.data()), name))
            return entry.data();
    ReportError(W("GetComponent. Не найден контрол: ") + name);
    return nullptr;
}

TSkButton* TSkStract::GetButton(const std::string& name) {
    return dynamic_cast<TSkButton*>(GetComponent(name, TObjectType::Button));
}
TSkSpeedButton* TSkStract::GetSpeedButton(const std::string& name) {
    return dynamic_cast<TSkSpeedButton*>(GetComponent(name, TObjectType::SpButton));
}
TSkPanel* TSkStract::GetPanel(const std::string& name) {
    return dynamic_cast<TSkPanel*>(GetComponent(name, TObjectType::Panel));
}
TParentPanel* TSkStract::GetParentPanel(const std::string& name) {
    return dynamic_cast<TParentPanel*>(GetComponent(name, TObjectType::ParentPanel));
}
TSkSplitter* TSkStract::GetSplitter(const std::string& name) {
    return dynamic_cast<TSkSplitter*>(GetComponent(name, TObjectType::Split));
}
TSkLabel* TSkStract::GetLabel(const std::string& name) {
    return dynamic_cast<TSkLabel*>(GetComponent(name, TObjectType::Label));
}
TSkTrackBar* TSkStract::GetTrackBar(const std::string& name) {
    return dynamic_cast<TSkTrackBar*>(GetComponent(name, TObjectType::TrackBar));
}
TSkListBox* TSkStract::GetListBox(const std::string& name) {
    return dynamic_cast<TSkListBox*>(GetComponent(name, TObjectType::ListBox));
}
TSkScrollBox* TSkStract::GetScrollBox(const std::string& name) {
    return dynamic_cast<TSkScrollBox*>(GetComponent(name, TObjectType::ScrollBox));
}
TSkPopMenu* TSkStract::GetPopMenu(const std::string& name) {
    return dynamic_cast<TSkPopMenu*>(GetComponent(name, TObjectType::PopMenu));
}
TSkEditBox* TSkStract::GetEditBox(const std::string& name) {
    return dynamic_cast<TSkEditBox*>(GetComponent(name, TObjectType::EditBox));
}
TSkRadioButton* TSkStract::GetRadioButton(const std::string& name) {
    return dynamic_cast<TSkRadioButton*>(GetComponent(name, TObjectType::RButton));
}
TSkProgressBar* TSkStract::GetProgressBar(const std::string& name) {
    return dynamic_cast<TSkProgressBar*>(GetComponent(name, TObjectType::ProgressBar));
}
TSkComboBox* TSkStract::GetComboBox(const std::string& name) {
    return dynamic_cast<TSkComboBox*>(GetComponent(name, TObjectType::ComboBox));
}
TSkTree* TSkStract::GetTree(const std::string& name) {
    return dynamic_cast<TSkTree*>(GetComponent(name, TObjectType::Tree));
}
TSkTreeEx* TSkStract::GetTreeEx(const std::string& name) {
    return dynamic_cast<TSkTreeEx*>(GetComponent(name, TObjectType::TreeEx));
}
TSkHtml* TSkStract::GetHtml(const std::string& name) {
    return dynamic_cast<TSkHtml*>(GetComponent(name, TObjectType::Html));
}

TSkComboBox* TSkStract::FindComboByCommand(const std::string& command) {
    for (const auto& entry : Lists[static_cast<size_t>(TObjectType::ComboBox)])
        if (auto* box = dynamic_cast<TSkComboBox*>(entry.data()))
            if (SameComponentName(TextBefore(box->Action, "*"), command))
                return box;
    return nullptr;
}

TSkSpeedButton* TSkStract::FindSpeedButtonByCommand(const std::string& command,
                                                    const std::string& parameter) {
    for (const auto& entry : Lists[static_cast<size_t>(TObjectType::SpButton)]) {
        auto* button = dynamic_cast<TSkSpeedButton*>(entry.data());
        if (!button)
            continue;
        std::string rest = button->Action;
        const std::string name = SplitHead(rest, "*");
        if (SameComponentName(name, command) &&
            (parameter.empty() || SameComponentName(rest, parameter)))
            return button;
    }
    return nullptr;
}

void TSkStract::ReportError(const std::string& text) {
    if (ReportErrors)
        Dialogs().ShowError(Form->StructFile + "\r\n" + text);
}

// ---- registry values and positions ----

void TSkStract::WriteReg(const std::string& name, const std::string& text) {
    if (RegistryPath.empty()) {
        ReportError(W("WriteReg. Укажите путь в реестре (reg_dat для form)"));
        return;
    }
    Settings().WriteString(RegistryPath, name, text);
}

std::string TSkStract::ReadReg(const std::string& name) {
    if (RegistryPath.empty()) {
        ReportError(W("WriteReg. Укажите путь в реестре (reg_dat для form)"));
        return {};
    }
    return Settings().ReadString(RegistryPath, name).value_or("");
}

namespace {

// "pos_" and the window's name. A window that exists only as a structure file has no name of its
// own (every one of them is the same generic form), so its structure file's name stands for it.
std::string PositionValueName(const TSkForm* form) {
    std::string name;
    if (!dynamic_cast<const TfrmFORM*>(form))
        name = ComponentName(form);
    if (name.empty())
        name = FileStem(form->StructFile);
    return "pos_" + name;
}

} // namespace

void TSkStract::SavePosition() {
    const bool maximized =
        Form->SkinForm && Form->SkinForm->WindowState() == TWindowState::Maximized;
    QRect bounds = Form->geometry();
    if (Form->isMaximized() && Form->normalGeometry().isValid())
        bounds = Form->normalGeometry();
    WriteReg(PositionValueName(Form),
             std::to_string(bounds.top()) + ";" + std::to_string(bounds.left()) + ";" +
                 std::to_string(bounds.width()) + ";" + std::to_string(bounds.height()) + ";" +
                 (maximized ? "1" : "0"));
}

void TSkStract::RestorePosition() {
    const TStrings fields = [&] {
        TStrings out;
        std::string rest = ReadReg(PositionValueName(Form));
        while (!rest.empty())
            out.push_back(SplitHead(rest, ";"));
        return out;
    }();
    if (fields.size() < 4)
        return;
    const int top = StrToInt(fields[0]);
    const int left = StrToInt(fields[1]);
    const int width = StrToInt(fields[2]);
    const int height = StrToInt(fields[3]);
    const QRect bounds(left, top, width, height);
    if (!UsablePosition(bounds))
        return; // the window stays where its structure file put it
    Form->SetFormBounds(bounds);
    Form->Placed = true;
    if (fields.size() >= 5 && fields[4] == "1" && Form->SkinForm)
        Form->SkinForm->SetWindowState(TWindowState::Maximized);
}

// ---- splash window ----

void TSkStract::ShowSplash(const std::string& specification) {
    ProgressStep = 1;
    std::string rest = specification;
    const std::string picture = SplitHead(rest, "*");
    const QImage image = LoadSplashPicture(picture);
    if (!Splash)
        Splash = std::make_unique<TSplashWindow>();
    if (!rest.empty()) {
        QProgressBar* bar = Splash->EnsureProgress();
        // step, left, top, width, height: reading stops silently at the first missing or
        // malformed value.
        try {
            ProgressStep = StrToInt(SplitHead(rest, "*"));
            QRect r = bar->geometry();
            r.moveLeft(StrToInt(SplitHead(rest, "*")));
            bar->setGeometry(r);
            r.moveTop(StrToInt(SplitHead(rest, "*")));
            bar->setGeometry(r);
            r.setWidth(StrToInt(SplitHead(rest, "*")));
            bar->setGeometry(r);
            r.setHeight(StrToInt(SplitHead(rest, "*")));
            bar->setGeometry(r);
        } catch (const EConvertError&) {
        }
    }
    Splash->SetPicture(image);
    Splash->show();
    // Repaint now, but no clicks into a window that is half built.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TSkStract::StepProgress() {
    if (!Splash || !Splash->Progress())
        return;
    QProgressBar* bar = Splash->Progress();
    const int next = bar->value() + ProgressStep;
    bar->setValue(next > 100 ? ProgressStep : next);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TSkStract::CloseSplash() {
    Splash.reset();
}

// ---- images ----

void TSkStract::SuspendImages() {
    // Picture controls come with the content controls; until then the list stays empty.
    for (const auto& entry : Lists[static_cast<size_t>(TObjectType::Image)])
        (void)entry;
}

void TSkStract::ResumeImages() {
    for (const auto& entry : Lists[static_cast<size_t>(TObjectType::Image)])
        (void)entry;
}

// ---- resize and maximize ----

void TSkStract::ResizeStart() {
    HoldPaint();
    // Sizes the user gave parent panels (with a splitter) are kept as proportions. A parent
    // narrower than 100 pixels gives no whole per cent: the percentage stays as it was.
    for (const auto& entry : Lists[static_cast<size_t>(TObjectType::ParentPanel)]) {
        auto* panel = dynamic_cast<TParentPanel*>(entry.data());
        if (!panel || !panel->parentWidget())
            continue;
        const QWidget* parent = panel->parentWidget();
        if (panel->PercentWidth != 0 && parent->width() / 100 != 0)
            panel->PercentWidth = panel->width() / (parent->width() / 100);
        if (panel->PercentHeight != 0 && parent->height() / 100 != 0)
            panel->PercentHeight = panel->height() / (parent->height() / 100);
    }
}

void TSkStract::LayoutChanged(int, int) {
    for (const auto& entry : Lists[static_cast<size_t>(TObjectType::Panel)])
        if (auto* panel = dynamic_cast<TSkPanel*>(entry.data()))
            panel->Relayout();
    for (const auto& entry : Lists[static_cast<size_t>(TObjectType::ParentPanel)])
        if (auto* panel = dynamic_cast<TParentPanel*>(entry.data()))
            panel->Relayout();
    ReleasePaint();
}

void TSkStract::MaximizeToggling(TWindowState current) {
    if (Form->MaximizedButtons.empty() || Form->NormalButtons.empty())
        return;
    // Called before the state changes: from maximized the window is about to become normal.
    ApplyButtonGroups(current != TWindowState::Maximized);
}

void TSkStract::ApplyButtonGroups(bool maximized) {
    const TStrings shown = SplitNames(maximized ? Form->MaximizedButtons : Form->NormalButtons);
    const TStrings hidden = SplitNames(maximized ? Form->NormalButtons : Form->MaximizedButtons);
    const bool report = ReportErrors;
    ReportErrors = false;
    for (const std::string& name : hidden)
        if (TSkSpeedButton* button = GetSpeedButton(name))
            SetShown(button, false);
    for (const std::string& name : shown)
        if (TSkSpeedButton* button = GetSpeedButton(name))
            SetShown(button, true);
    ReportErrors = report;
}
