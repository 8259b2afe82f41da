#pragma once
// Input controls: edit box, radio button, check box, list box, combo box and spin edit, with the
// value lists behind their items.

#include "SkinControl/SkControl.h"
#include "archive/Utils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

class TSkEditBox : public QLineEdit, public TSkControlData {
public:
    explicit TSkEditBox(QWidget* parent);
    bool ActOnEveryKey = false;
    bool OnlyNumber = false;
    TSkEditBox* MinLink = nullptr;
    int MinValue = 0;
    void SetMinLink(TSkEditBox* box); // only a number-only box is linked
    std::string Text() const;         // Windows-1251
    void SetText(const std::string& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;   // the number-only filter
    void keyReleaseEvent(QKeyEvent* event) override; // Events.OnKeyUp
};

class TSkRadioButton : public QRadioButton, public TSkControlData {
public:
    explicit TSkRadioButton(QWidget* parent);
};

class TSkCheckBox : public QCheckBox, public TSkControlData {
public:
    explicit TSkCheckBox(QWidget* parent);
    TStrings EnableList; // lower-cased names
    void AddEnableNames(const std::string& text);
};

class TSkListBox : public QListWidget, public TSkControlData {
public:
    explicit TSkListBox(QWidget* parent);
    TStrings ItemValues;
    void ClearItems();
    void AddItem(const std::string& text, const std::string& value);
    void LoadLines(const TStrings& lines, bool textFirst);
    void LoadItems(const std::string& name);
    std::string GetValue(int index) const;
    int ItemIndex() const; // the current item, -1 for none
    // The item under a point of the viewport, -1 for none (list-box hints).
    int ItemAtPoint(const QPoint& point) const;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TSkComboBox : public QComboBox, public TSkControlData {
public:
    explicit TSkComboBox(QWidget* parent);
    TStrings ItemValues;
    TStrings Values;
    bool ReadOnly = false;
    std::function<void()> HeldChange;

    void ClearItems();
    int AddItem(const std::string& text, const std::string& value); // 0 for an empty text
    void LoadLines(const TStrings& lines);
    void LoadItems(const std::string& name);
    std::string GetValue() const;
    void SetReadOnly(bool on);
    void SetCountLine(int lines);
    // Detaches the change event: afterwards a change of selection fires nothing.
    void DetachChange();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override; // the wheel does not change the selection
};

class TSkSpinEdit : public QSpinBox, public TSkControlData {
public:
    explicit TSkSpinEdit(QWidget* parent);
    double LowLimit = -1;
    double HighLimit = 1000000;
    void SetHighLimit(double x);
    void SetLowLimit(double x);
    // The value with any typed text taken in first (typing changes the value only when editing
    // ends, so that limits are not applied to half-typed numbers).
    int Value();

private:
    void ApplyLimits();
    bool Limiting = false;
};
