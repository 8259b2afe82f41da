// Object types: which class each structure-file type keyword creates, what is wired and preset
// before its keys are read, and the sections that create nothing ("hot_key", "none").

#include "engine/SkStract.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkInputs.h"
#include "SkinControl/SkLabel.h"
#include "SkinControl/SkPanels.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkSimple.h"
#include "app/SkForm.h"
#include "engine/SkHtmlSupport.h"
#include "engine/SkTreeSupport.h"
#include "platform/Codec1251.h"
#include "platform/Controls.h"
#include "platform/QtText.h"
#include "platform/Skin.h"

namespace {

constexpr const char* kKeywords[kObjectTypeCount] = {
    "button",    "sp_button", "panel",   "parent_panel", "html",      "split",     "label",
    "track_bar", "tree",      "tree_ex", "flash",        "media",     "list_box",  "scroll_box",
    "image",     "pop_menu",  "gif",     "edit_box",     "check_box", "r_button",  "progress_bar",
    "combo_box", "list_img",  "pic",     "grid",         "html_grid", "spin_edit", "diagram"};

// A new control of the structure file: owned and parented by its container, named by its
// section, and shown unless its keys hide it.
template <typename T> T* Create(QWidget* parent, const std::string& section) {
    auto* control = new T(parent);
    SetComponentName(control, section);
    SetShown(control, true);
    return control;
}

} // namespace

const char* TypeKeyword(TObjectType type) {
    const int index = static_cast<int>(type);
    return index >= 0 && index < kObjectTypeCount ? kKeywords[index] : "";
}

int TypeOfKeyword(const std::string& lowerKeyword) {
    for (int i = 0; i < kObjectTypeCount; ++i)
        if (lowerKeyword == kKeywords[i])
            return i;
    return -1;
}

QWidget* TSkStract::MakeObject(QWidget* parent, const std::string& section,
                               const std::string& type) {
    const std::string kind = cp1251::Lower(type);
    if (kind == "form") {
        SetProperty(Form, section, kind);
        return nullptr;
    }
    if (kind == "hot_key") {
        RegisterHotKeys(section);
        return nullptr;
    }
    if (kind == "none")
        return nullptr;

    // The keys are applied, then the object joins the registry; an object whose keys fail joins
    // it all the same, so that the engine still owns it.
    auto apply = [&](QObject* object, TObjectType objectType) {
        try {
            SetProperty(object, section, kind);
        } catch (...) {
            Register(object, objectType, section);
            throw;
        }
    };
    auto click = [this](QObject* sender) {
        return [this, sender] { RunGuarded([&] { ClickControl(sender); }); };
    };

    const int typeIndex = TypeOfKeyword(kind);
    const auto objectType = static_cast<TObjectType>(typeIndex);
    QObject* object = nullptr;
    QWidget* container = nullptr;
    switch (typeIndex < 0 ? TObjectType::Count : objectType) {
    case TObjectType::Button: {
        auto* button = Create<TSkButton>(parent, section);
        SetThemeObject(button, "default");
        button->Events.OnClick = click(button);
        apply(button, objectType);
        object = button;
        break;
    }
    case TObjectType::SpButton: {
        auto* button = Create<TSkSpeedButton>(parent, section);
        SetThemeObject(button, "default");
        button->Events.OnClick = click(button);
        apply(button, objectType);
        object = button;
        break;
    }
    case TObjectType::Panel: {
        auto* panel = Create<TSkPanel>(parent, section);
        MakeContainer(panel);
        SetThemeObject(panel, "default");
        panel->Events.OnDblClick = click(panel);
        apply(panel, objectType);
        object = container = panel;
        break;
    }
    case TObjectType::ParentPanel: {
        auto* panel = Create<TParentPanel>(parent, section);
        MakeContainer(panel);
        apply(panel, objectType);
        panel->Events.OnDblClick = click(panel);
        object = container = panel;
        break;
    }
    case TObjectType::Split: {
        auto* split = Create<TSkSplitter>(parent, section);
        SetThemeObject(split, "default");
        apply(split, objectType);
        object = split;
        break;
    }
    case TObjectType::Label: {
        auto* label = Create<TSkLabel>(parent, section);
        SetThemeObject(label, "default");
        apply(label, objectType);
        object = label;
        break;
    }
    case TObjectType::TrackBar: {
        auto* bar = Create<TSkTrackBar>(parent, section);
        bar->setValue(0);
        SetThemeObject(bar, "default");
        apply(bar, objectType);
        object = bar;
        break;
    }
    case TObjectType::ListBox: {
        auto* list = Create<TSkListBox>(parent, section);
        SetThemeObject(list, "default");
        apply(list, objectType);
        list->Events.OnDblClick = click(list);
        object = list;
        break;
    }
    case TObjectType::ScrollBox: {
        auto* box = Create<TSkScrollBox>(parent, section);
        SetThemeObject(box, "default");
        MakeContainer(box->Content());
        apply(box, objectType);
        object = box;
        container = box->Content(); // children live on the scrolled content
        break;
    }
    case TObjectType::PopMenu: {
        // A menu belongs to the window, whatever its section names as master; its items come
        // from its section instead of keys.
        auto* menu = new TSkPopMenu(Form);
        SetComponentName(menu, section);
        menu->OnItemClick = [this](TSkItem* item) { RunGuarded([&] { ClickControl(item); }); };
        try {
            BuildMenu(menu, section);
        } catch (...) {
            Register(menu, objectType, section);
            throw;
        }
        object = menu;
        break;
    }
    case TObjectType::EditBox: {
        auto* box = Create<TSkEditBox>(parent, section);
        box->SetText({});
        box->Events.OnKeyUp = [this, box](int key, int shift) {
            RunGuarded([&] { KeyControl(box, key, shift); });
        };
        apply(box, objectType);
        object = box;
        break;
    }
    case TObjectType::CheckBox: {
        auto* box = Create<TSkCheckBox>(parent, section);
        box->setText(ToQString(section)); // until a "caption" key says otherwise
        box->Events.OnClick = click(box);
        apply(box, objectType);
        object = box;
        break;
    }
    case TObjectType::RButton: {
        auto* button = Create<TSkRadioButton>(parent, section);
        button->setText({});
        apply(button, objectType);
        object = button;
        break;
    }
    case TObjectType::ProgressBar: {
        auto* bar = Create<TSkProgressBar>(parent, section);
        apply(bar, objectType);
        object = bar;
        break;
    }
    case TObjectType::ComboBox: {
        auto* box = Create<TSkComboBox>(parent, section);
        box->clearEditText();
        box->Events.OnChange = click(box);
        apply(box, objectType);
        object = box;
        break;
    }
    case TObjectType::SpinEdit: {
        auto* spin = Create<TSkSpinEdit>(parent, section);
        apply(spin, objectType);
        object = spin;
        break;
    }
    case TObjectType::Tree:
    case TObjectType::TreeEx: {
        // The document trees, made and wired in SkTreeSupport.cpp.
        QWidget* tree = MakeTreeObject(*this, parent, section, objectType);
        apply(tree, objectType);
        object = tree;
        break;
    }
    case TObjectType::Html: {
        // The document view, made and wired in SkHtmlSupport.cpp.
        QWidget* view = MakeHtmlObject(*this, parent, section);
        apply(view, objectType);
        object = view;
        break;
    }
    default: {
        // Unknown keywords, an empty one, and the content controls (pictures, players, tables,
        // charts) that this reader does not build yet.
        if (OnUnknownObject) {
            TStrings lines;
            if (Structure)
                Structure->ReadSectionValues(section, lines);
            OnUnknownObject(parent, section, lines, kind);
        } else {
            ReportError(cp1251::FromUtf8("MakeObject. Объект ") + section +
                        cp1251::FromUtf8(" имеет неизвестный тип ") + kind);
        }
        return nullptr;
    }
    }
    Register(object, objectType, section);
    return container;
}

void TSkStract::RegisterHotKeys(const std::string& section) {
    const TIniSection* keys = Structure ? Structure->FindSection(section) : nullptr;
    if (!keys)
        return;
    for (const TIniLine& line : keys->Lines) {
        // "master" only places the section; it is never a hot key.
        if (!line.IsKey || cp1251::EqualNoCase(line.Key, "type") ||
            cp1251::EqualNoCase(line.Key, "master"))
            continue;
        Form->AddHotKey(line.Value);
    }
}
