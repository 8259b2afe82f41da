#include "SkinControl/SkInputs.h"

#include "archive/ResourceLoaders.h"
#include "platform/Codec1251.h"
#include "platform/QtKeys.h"
#include "platform/QtText.h"
#include "platform/Skin.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <cmath>
#include <limits>

namespace {

// A key that types a character, as opposed to keys that only move, delete or command (Enter,
// Esc, Ctrl shortcuts). Backspace counts as typed, as it does for the platform's edit controls.
bool TypesCharacter(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Backspace)
        return true;
    if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    const char16_t first = text.at(0).unicode();
    return first >= 0x20 && first != 0x7F;
}

bool IsDigitKey(const QKeyEvent& event) {
    const QString text = event.text();
    return text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9';
}

// The virtual key and shift bits of a key event, for the engine's key hooks.
void KeyCodes(const QKeyEvent& event, int& key, int& shift) {
    key = ShortCutOfEvent(event) & 0xFF;
    shift = 0;
    if (event.modifiers() & Qt::ShiftModifier)
        shift |= 0x2000;
    if (event.modifiers() & Qt::ControlModifier)
        shift |= 0x4000;
    if (event.modifiers() & Qt::AltModifier)
        shift |= 0x8000;
}

bool IsEnter(const QKeyEvent& event) {
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

int ToInt(double value) {
    if (value <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (value >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

// A list line cut at the first separator; without one the whole line is the first part.
void CutLine(const std::string& line, std::string_view separator, std::string& first,
             std::string& second) {
    second = line;
    first = SplitHead(second, separator);
}

} // namespace

// --- edit box

TSkEditBox::TSkEditBox(QWidget* parent) : QLineEdit(parent) {
    setFrame(true); // border width 1
    setFocusPolicy(Qt::StrongFocus);
    ShowWithParent(this);
}

void TSkEditBox::SetMinLink(TSkEditBox* box) {
    MinLink = box && box->OnlyNumber ? box : nullptr;
}

std::string TSkEditBox::Text() const {
    return FromQString(text());
}

void TSkEditBox::SetText(const std::string& text) {
    setText(ToQString(text));
}

void TSkEditBox::keyPressEvent(QKeyEvent* event) {
    if (Events.OnKeyDown) {
        int key = 0, shift = 0;
        KeyCodes(*event, key, shift);
        const QPointer<TSkEditBox> alive(this);
        FireEvent(Events.OnKeyDown, key, shift);
        if (!alive)
            return;
    }
    if (OnlyNumber && TypesCharacter(*event) && !IsDigitKey(*event)) {
        event->accept(); // dropped
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TSkEditBox::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    if (event->isAutoRepeat())
        return;
    int key = 0, shift = 0;
    KeyCodes(*event, key, shift);
    FireEvent(Events.OnKeyUp, key, shift);
}

// --- radio button, check box

TSkRadioButton::TSkRadioButton(QWidget* parent) : QRadioButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false); // transparent
    ShowWithParent(this);
}

TSkCheckBox::TSkCheckBox(QWidget* parent) : QCheckBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { FireEvent(Events.OnClick); });
    ShowWithParent(this);
}

void TSkCheckBox::AddEnableNames(const std::string& text) {
    std::string rest = text;
    do
        EnableList.push_back(cp1251::Lower(SplitHead(rest, ";")));
    while (!rest.empty());
}

// --- list box

TSkListBox::TSkListBox(QWidget* parent) : QListWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    SetThemeObject(this, "default");
    ShowWithParent(this);
}

void TSkListBox::ClearItems() {
    clear();
    ItemValues.clear();
}

void TSkListBox::AddItem(const std::string& text, const std::string& value) {
    addItem(ToQString(text));
    ItemValues.push_back(value);
}

void TSkListBox::LoadLines(const TStrings& lines, bool textFirst) {
    ClearItems();
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        std::string before, after;
        CutLine(line, "#;#", before, after);
        shown.append(ToQString(textFirst ? before : after));
        ItemValues.push_back(textFirst ? after : before);
    }
    addItems(shown); // one update for all
}

void TSkListBox::LoadItems(const std::string& name) {
    const TStrings lines = LoadPackStrings(name);
    if (!lines.empty())
        LoadLines(lines, true);
}

std::string TSkListBox::GetValue(int index) const {
    return index >= 0 && static_cast<size_t>(index) < ItemValues.size() ? ItemValues[index] : "";
}

int TSkListBox::ItemIndex() const {
    return currentRow();
}

int TSkListBox::ItemAtPoint(const QPoint& point) const {
    const QModelIndex index = indexAt(point);
    return index.isValid() ? index.row() : -1;
}

void TSkListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        FireEvent(Events.OnDblClick);
}

// --- combo box

TSkComboBox::TSkComboBox(QWidget* parent) : QComboBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setInsertPolicy(QComboBox::NoInsert); // Enter chooses, it never adds the typed text
    SetReadOnly(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this] { FireEvent(Events.OnChange); });
    ShowWithParent(this);
}

void TSkComboBox::ClearItems() {
    const QSignalBlocker quiet(this);
    clear();
    ItemValues.clear();
    Values.clear();
}

int TSkComboBox::AddItem(const std::string& text, const std::string& value) {
    if (text.empty())
        return 0;
    {
        // Qt selects the first item added to an empty box; the platform's box selects nothing.
        const QSignalBlocker quiet(this);
        const int before = currentIndex();
        addItem(ToQString(text));
        if (before < 0 && currentIndex() >= 0)
            setCurrentIndex(-1);
    }
    ItemValues.push_back(value);
    Values.push_back(value);
    return count();
}

void TSkComboBox::LoadLines(const TStrings& lines) {
    ClearItems();
    for (const std::string& line : lines) {
        std::string text, value;
        CutLine(line, ";", text, value);
        AddItem(text, value);
    }
}

void TSkComboBox::LoadItems(const std::string& name) {
    const TStrings lines = LoadPackStrings(name);
    if (!lines.empty())
        LoadLines(lines);
}

std::string TSkComboBox::GetValue() const {
    const int index = currentIndex();
    return index >= 0 && static_cast<size_t>(index) < ItemValues.size() ? ItemValues[index] : "";
}

void TSkComboBox::SetReadOnly(bool on) {
    ReadOnly = on;
    setEditable(!on);
    if (!on)
        setInsertPolicy(QComboBox::NoInsert);
}

void TSkComboBox::SetCountLine(int lines) {
    setMaxVisibleItems(lines > 0 ? lines : 1);
}

void TSkComboBox::DetachChange() {
    Events.OnChange = nullptr;
}

void TSkComboBox::keyPressEvent(QKeyEvent* event) {
    if (ReadOnly && TypesCharacter(*event)) {
        event->accept(); // choose only: no typing, no search by letter
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TSkComboBox::keyReleaseEvent(QKeyEvent* event) {
    QComboBox::keyReleaseEvent(event);
    if (ReadOnly || event->isAutoRepeat())
        return;
    if (IsEnter(*event))
        FireEvent(HeldChange);
    else
        DetachChange();
}

void TSkComboBox::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

// --- spin edit

TSkSpinEdit::TSkSpinEdit(QWidget* parent) : QSpinBox(parent) {
    // Only our limits apply; Qt's own range stays out of their way.
    setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    setKeyboardTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    setValue(0);
    connect(this, &QSpinBox::valueChanged, this, [this] { ApplyLimits(); });
    ShowWithParent(this);
}

void TSkSpinEdit::SetHighLimit(double x) {
    HighLimit = x;
    if (value() > x)
        setValue(ToInt(std::floor(x)));
}

void TSkSpinEdit::SetLowLimit(double x) {
    LowLimit = x;
    if (x > value())
        setValue(ToInt(std::ceil(x)));
}

int TSkSpinEdit::Value() {
    interpretText();
    return value();
}

void TSkSpinEdit::ApplyLimits() {
    if (Limiting)
        return;
    Limiting = true;
    int limited = value();
    if (limited < LowLimit)
        limited = ToInt(std::ceil(LowLimit));
    // The high limit is applied last, so it wins when the limits cross.
    if (limited > HighLimit)
        limited = ToInt(std::floor(HighLimit));
    setValue(limited);
    Limiting = false;
}
