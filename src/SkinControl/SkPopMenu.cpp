#include "SkinControl/SkPopMenu.h"

#include "SkinControl/SkControl.h"
#include "archive/Utils.h"
#include "engine/SkHotKey.h"
#include "platform/Codec1251.h"
#include "platform/Modal.h"
#include "platform/QtText.h"

#include <QKeySequence>

#include <algorithm>

namespace {

struct TKeyOfCode {
    int Code;
    int Key;
};

// Virtual keys that Qt names differently from their codes.
constexpr TKeyOfCode kNamedKeys[] = {
    {0x08, Qt::Key_Backspace},  {0x09, Qt::Key_Tab},          {0x0C, Qt::Key_Clear},
    {0x0D, Qt::Key_Return},     {0x13, Qt::Key_Pause},        {0x14, Qt::Key_CapsLock},
    {0x1B, Qt::Key_Escape},     {0x20, Qt::Key_Space},        {0x21, Qt::Key_PageUp},
    {0x22, Qt::Key_PageDown},   {0x23, Qt::Key_End},          {0x24, Qt::Key_Home},
    {0x25, Qt::Key_Left},       {0x26, Qt::Key_Up},           {0x27, Qt::Key_Right},
    {0x28, Qt::Key_Down},       {0x2C, Qt::Key_Print},        {0x2D, Qt::Key_Insert},
    {0x2E, Qt::Key_Delete},     {0x5D, Qt::Key_Menu},         {0x90, Qt::Key_NumLock},
    {0x91, Qt::Key_ScrollLock}, {0xBA, Qt::Key_Semicolon},    {0xBB, Qt::Key_Equal},
    {0xBC, Qt::Key_Comma},      {0xBD, Qt::Key_Minus},        {0xBE, Qt::Key_Period},
    {0xBF, Qt::Key_Slash},      {0xC0, Qt::Key_QuoteLeft},    {0xDB, Qt::Key_BracketLeft},
    {0xDC, Qt::Key_Backslash},  {0xDD, Qt::Key_BracketRight}, {0xDE, Qt::Key_Apostrophe},
};

// The numeric pad's operators.
constexpr TKeyOfCode kPadKeys[] = {
    {0x6A, Qt::Key_Asterisk}, {0x6B, Qt::Key_Plus},  {0x6D, Qt::Key_Minus},
    {0x6E, Qt::Key_Period},   {0x6F, Qt::Key_Slash},
};

// The key sequence Qt shows for a shortcut; empty when Qt has no name for its key.
QKeySequence KeySequenceOf(TShortCut shortCut) {
    const int code = shortCut & kKeyCodeMask;
    Qt::KeyboardModifiers modifiers;
    if (shortCut & kShiftBit)
        modifiers |= Qt::ShiftModifier;
    if (shortCut & kCtrlBit)
        modifiers |= Qt::ControlModifier;
    if (shortCut & kAltBit)
        modifiers |= Qt::AltModifier;
    int key = 0;
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        key = code; // Qt's codes of letters and digits are their characters
    else if (code >= 0x70 && code <= 0x87)
        key = Qt::Key_F1 + (code - 0x70);
    else if (code >= 0x60 && code <= 0x69) {
        key = Qt::Key_0 + (code - 0x60);
        modifiers |= Qt::KeypadModifier;
    } else {
        for (const TKeyOfCode& entry : kPadKeys)
            if (entry.Code == code) {
                key = entry.Key;
                modifiers |= Qt::KeypadModifier;
            }
        for (const TKeyOfCode& entry : kNamedKeys)
            if (entry.Code == code)
                key = entry.Key;
    }
    if (key == 0)
        return {};
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

bool SameText(const std::string& a, const std::string& b) {
    return cp1251::EqualNoCase(a, b);
}

} // namespace

TSkItem::TSkItem(QObject* parent) : QAction(parent) {
}

std::string TSkItem::Caption() const {
    return FromQString(text());
}

TSkPopMenu::TSkPopMenu(QWidget* owner) : QMenu(owner), MenuOwner(owner) {
    connect(this, &QMenu::aboutToShow, this, [this] { FireEvent(OnBeforePopup); });
}

TSkPopMenu::~TSkPopMenu() {
    ClearItems();
}

TSkItem* TSkPopMenu::NewItem(const std::string& caption, const std::string& action,
                             const std::string& keyText) {
    auto* item = new TSkItem(this);
    item->Action = action;
    // "-" is a separator line, as menus of the platform draw it.
    if (caption == "-")
        item->setSeparator(true);
    item->setText(ToQString(Abbreviate(caption, static_cast<size_t>(std::max(0, CaptionLength)))));
    item->ShortCut = TextToShortCut(keyText);
    if (const QKeySequence keys = KeySequenceOf(item->ShortCut); !keys.isEmpty()) {
        // Shown in the menu only; the window's hot key table does the work.
        item->setShortcut(keys);
        item->setShortcutContext(Qt::WidgetShortcut);
        item->setShortcutVisibleInContextMenu(true);
    }
    connect(item, &QAction::triggered, &Tracker, [this, item] { FireEvent(OnItemClick, item); });
    // An item destroyed from outside leaves the list too.
    connect(item, &QObject::destroyed, &Tracker, [this, item] {
        Items.erase(std::remove(Items.begin(), Items.end(), item), Items.end());
    });
    return item;
}

TSkItem* TSkPopMenu::AddItem(const std::string& caption, const std::string& action,
                             const std::string& keyText) {
    TSkItem* item = NewItem(caption, action, keyText);
    addAction(item);
    Items.push_back(item);
    return item;
}

TSkItem* TSkPopMenu::InsertItem(int index, const std::string& caption, const std::string& keyText,
                                const std::string& action) {
    if (Items.empty())
        return AddItem(caption, action, keyText);
    // An index outside the list puts the item at the nearer end.
    const int at = std::clamp(index, 0, ItemCount());
    TSkItem* item = NewItem(caption, action, keyText);
    if (at == ItemCount())
        addAction(item);
    else
        insertAction(Items[static_cast<size_t>(at)], item);
    Items.insert(Items.begin() + at, item);
    return item;
}

TSkItem* TSkPopMenu::ItemAt(int index) const {
    return index >= 0 && index < ItemCount() ? Items[static_cast<size_t>(index)] : nullptr;
}

TSkItem* TSkPopMenu::FindByAction(const std::string& text) const {
    for (TSkItem* item : Items)
        if (SameText(item->Action, text))
            return item;
    return nullptr;
}

TSkItem* TSkPopMenu::FindByValue(const std::string& text) const {
    for (TSkItem* item : Items)
        if (SameText(item->Value, text))
            return item;
    return nullptr;
}

int TSkPopMenu::DeleteByAction(const std::string& text) {
    for (int i = 0; i < ItemCount(); ++i)
        if (SameText(Items[static_cast<size_t>(i)]->Action, text)) {
            DeleteAt(i);
            return i;
        }
    return -1;
}

int TSkPopMenu::DeleteByValue(const std::string& text) {
    for (int i = 0; i < ItemCount(); ++i)
        if (SameText(Items[static_cast<size_t>(i)]->Value, text)) {
            DeleteAt(i);
            return i;
        }
    return -1;
}

void TSkPopMenu::DeleteAt(int index) {
    TSkItem* item = ItemAt(index);
    if (!item)
        return;
    Items.erase(Items.begin() + index);
    removeAction(item);
    delete item;
}

void TSkPopMenu::ClearItems() {
    const std::vector<TSkItem*> items = std::move(Items);
    Items.clear();
    for (TSkItem* item : items) {
        removeAction(item);
        delete item;
    }
}

void TSkPopMenu::UncheckAll() {
    for (TSkItem* item : Items)
        item->setChecked(false);
}

void TSkPopMenu::PopupAt(int x, int y) {
    RunMenu(this, QPoint(x, y));
}
