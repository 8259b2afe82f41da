#include "ControlsFixture.h"

#include "SkinControl/SkInputs.h"
#include "common/TestSupport.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWheelEvent>

#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

namespace {

void SendKey(QWidget* target, QEvent::Type type, int key, const QString& text,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, text, autoRepeat);
    QApplication::sendEvent(target, &event);
}

void TypeKey(QWidget* target, int key, const QString& text) {
    SendKey(target, QEvent::KeyPress, key, text);
    SendKey(target, QEvent::KeyRelease, key, text);
}

std::vector<std::string> Shown(const QListWidget& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.push_back(FromQString(list.item(i)->text()));
    return texts;
}

std::vector<std::string> Shown(const QComboBox& combo) {
    std::vector<std::string> texts;
    for (int i = 0; i < combo.count(); ++i)
        texts.push_back(FromQString(combo.itemText(i)));
    return texts;
}

} // namespace

TEST_F(ControlsTest, NumberOnlyBoxTakesDigitsAndMovingKeysOnly) {
    struct TCase {
        const char* Name;
        int Key;
        QString Text;
        bool OnlyNumber;
        const char* After; // "12" with the cursor between the digits
    };
    const TCase cases[] = {
        {"digit", Qt::Key_7, "7", true, "172"},
        {"letter", Qt::Key_A, "a", true, "12"},
        {"Cyrillic letter", Qt::Key_unknown, QString::fromUtf8("ж"), true, "12"},
        {"blank", Qt::Key_Space, " ", true, "12"},
        {"minus", Qt::Key_Minus, "-", true, "12"},
        {"Backspace", Qt::Key_Backspace, "\b", true, "12"},
        {"Delete", Qt::Key_Delete, QString(QChar(0x7F)), true, "1"},
        {"Delete without text", Qt::Key_Delete, "", true, "1"},
        {"letter, any text", Qt::Key_A, "a", false, "1a2"},
        {"Backspace, any text", Qt::Key_Backspace, "\b", false, "2"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSkEditBox box(Page);
        box.OnlyNumber = c.OnlyNumber;
        box.SetText("12");
        box.setCursorPosition(1);
        TypeKey(&box, c.Key, c.Text);
        EXPECT_EQ(box.Text(), c.After);
    }
}

TEST_F(ControlsTest, NumberOnlyBoxStillMovesTheCursor) {
    TSkEditBox box(Page);
    box.OnlyNumber = true;
    box.SetText("12");
    box.setCursorPosition(2);
    TypeKey(&box, Qt::Key_Left, "");
    TypeKey(&box, Qt::Key_3, "3");
    EXPECT_EQ(box.Text(), "132");
}

TEST_F(ControlsTest, EditBoxKeyReleaseGivesTheVirtualKey) {
    TSkEditBox box(Page);
    std::vector<std::pair<int, int>> released;
    box.Events.OnKeyUp = [&](int key, int shift) { released.emplace_back(key, shift); };
    SendKey(&box, QEvent::KeyRelease, Qt::Key_Return, "\r");
    SendKey(&box, QEvent::KeyRelease, Qt::Key_A, "A", Qt::ShiftModifier);
    SendKey(&box, QEvent::KeyRelease, Qt::Key_F5, "", Qt::ControlModifier | Qt::AltModifier);
    SendKey(&box, QEvent::KeyRelease, Qt::Key_B, "b", Qt::NoModifier, true); // auto-repeat
    const std::vector<std::pair<int, int>> expected = {
        {0x0D, 0}, {0x41, 0x2000}, {0x74, 0x4000 | 0x8000}};
    EXPECT_EQ(released, expected);
}

TEST_F(ControlsTest, EditBoxTextIsTheSystemsText) {
    TSkEditBox box(Page);
    box.SetText(W("поиск"));
    EXPECT_EQ(box.text(), QString::fromUtf8("поиск"));
    EXPECT_EQ(box.Text(), W("поиск"));
    EXPECT_TRUE(box.hasFrame());
    EXPECT_FALSE(box.OnlyNumber);
    EXPECT_FALSE(box.ActOnEveryKey);
}

TEST_F(ControlsTest, MinLinkTakesOnlyNumberOnlyBoxes) {
    TSkEditBox box(Page), numbers(Page), text(Page);
    numbers.OnlyNumber = true;
    box.SetMinLink(&numbers);
    EXPECT_EQ(box.MinLink, &numbers);
    box.SetMinLink(&text);
    EXPECT_EQ(box.MinLink, nullptr);
    box.SetMinLink(nullptr);
    EXPECT_EQ(box.MinLink, nullptr);
}

TEST_F(ControlsTest, EnableNamesAreCutAndLowerCased) {
    struct TCase {
        std::string Text;
        TStrings Names;
    };
    const TCase cases[] = {
        {"Panel1;Edit2", {"panel1", "edit2"}},
        {"", {""}},
        {"Single", {"single"}},
        {"a;", {"a"}},
        {";b", {"", "b"}},
        {W("ПАНЕЛЬ;Ёлка"), {W("панель"), W("ёлка")}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TSkCheckBox box(Page);
        box.AddEnableNames(c.Text);
        EXPECT_EQ(box.EnableList, c.Names);
    }
    TSkCheckBox box(Page);
    box.AddEnableNames("a");
    box.AddEnableNames("B;c");
    EXPECT_EQ(box.EnableList, (TStrings{"a", "b", "c"}));
}

TEST_F(ControlsTest, CheckBoxClickGivesTheNewState) {
    TSkCheckBox box(Page);
    SetBounds(&box, QRect(0, 0, 100, 20));
    std::vector<bool> states;
    box.Events.OnClick = [&] { states.push_back(box.isChecked()); };
    QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    box.setChecked(true); // the "check" key fires nothing
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
}

TEST_F(ControlsTest, ListLinesSplitAtTheMark) {
    const TStrings lines = {W("Москва#;#moscow.htm"), W("Без значения"), "a#;#b#;#c", "#;#"};
    struct TCase {
        bool TextFirst;
        TStrings Texts, Values;
    };
    const TCase cases[] = {
        {true, {W("Москва"), W("Без значения"), "a", ""}, {"moscow.htm", "", "b#;#c", ""}},
        {false, {"moscow.htm", "", "b#;#c", ""}, {W("Москва"), W("Без значения"), "a", ""}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.TextFirst);
        TSkListBox list(Page);
        list.AddItem("old", "old.htm");
        list.LoadLines(lines, c.TextFirst);
        EXPECT_EQ(Shown(list), c.Texts);
        EXPECT_EQ(list.ItemValues, c.Values);
        for (int i = 0; i < list.count(); ++i)
            EXPECT_EQ(list.GetValue(i), c.Values[static_cast<size_t>(i)]);
        EXPECT_EQ(list.GetValue(-1), "");
        EXPECT_EQ(list.GetValue(list.count()), "");
    }
}

TEST_F(ControlsTest, ListDoubleClickShowsWhichItemWasHit) {
    TSkListBox list(Page);
    SetBounds(&list, QRect(0, 0, 200, 150));
    list.LoadLines({W("Москва#;#moscow.htm"), W("Без значения")}, true);
    std::vector<std::string> values;
    list.Events.OnDblClick = [&] { values.push_back(list.GetValue(list.ItemIndex())); };
    for (int row = 0; row < 2; ++row) {
        const QPoint at = list.visualItemRect(list.item(row)).center();
        EXPECT_EQ(list.ItemAtPoint(at), row);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    // The engine fires nothing for the second: its value is empty.
    EXPECT_EQ(values, (std::vector<std::string>{"moscow.htm", ""}));
    EXPECT_EQ(list.ItemAtPoint(QPoint(5, 140)), -1);
}

TEST_F(ControlsTest, ListFileIsLoadedOnlyWhenItHasLines) {
    TTempDir dir;
    dir.Write("towns.txt", W("Киев#;#kiev.htm\r\nОдесса#;#odessa.htm\r\n"));
    dir.Write("empty.txt", "");
    TSkListBox list(Page);
    list.LoadItems(dir.Folder() + "towns.txt");
    EXPECT_EQ(Shown(list), (TStrings{W("Киев"), W("Одесса")}));
    EXPECT_EQ(list.ItemValues, (TStrings{"kiev.htm", "odessa.htm"}));
    list.LoadItems(dir.Folder() + "empty.txt");
    list.LoadItems(dir.Folder() + "missing.txt");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(Recorded.Messages().size(), 1u); // the missing file's message

    TSkComboBox combo(Page);
    dir.Write("combo.txt", W("Первый;one\r\nВторой;two\r\n"));
    combo.LoadItems(dir.Folder() + "combo.txt");
    EXPECT_EQ(Shown(combo), (TStrings{W("Первый"), W("Второй")}));
    combo.LoadItems(dir.Folder() + "empty.txt");
    EXPECT_EQ(combo.count(), 2);
}

TEST_F(ControlsTest, ComboLinesSplitAtTheFirstSemicolon) {
    TSkComboBox combo(Page);
    int changes = 0;
    combo.Events.OnChange = [&] { ++changes; };
    combo.AddItem("old", "old");
    combo.LoadLines({"Text;value", "NoSemicolon", "", ";lost", "a;b;c"});
    EXPECT_EQ(Shown(combo), (TStrings{"Text", "NoSemicolon", "a"}));
    EXPECT_EQ(combo.ItemValues, (TStrings{"value", "", "b;c"}));
    EXPECT_EQ(combo.Values, combo.ItemValues);
    // Loading selects nothing and fires nothing.
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.GetValue(), "");
    EXPECT_EQ(changes, 0);
    combo.setCurrentIndex(2);
    EXPECT_EQ(combo.GetValue(), "b;c");
    EXPECT_EQ(changes, 1);
    combo.ClearItems();
    EXPECT_EQ(combo.GetValue(), "");
    EXPECT_TRUE(combo.Values.empty());
    EXPECT_EQ(changes, 1);
}

TEST_F(ControlsTest, ComboAddItemGivesTheNewCount) {
    TSkComboBox combo(Page);
    EXPECT_EQ(combo.AddItem("", "ignored"), 0);
    EXPECT_EQ(combo.AddItem("one", "1"), 1);
    EXPECT_EQ(combo.AddItem("two", ""), 2);
    EXPECT_EQ(combo.AddItem("", "ignored"), 0);
    EXPECT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.Values, (TStrings{"1", ""}));
}

TEST_F(ControlsTest, ComboKeyReleaseDetachesTheChangeEvent) {
    TSkComboBox combo(Page);
    combo.LoadLines({"a;1", "b;2", "c;3"});
    int changes = 0;
    combo.Events.OnChange = [&] { ++changes; };
    combo.setCurrentIndex(0);
    EXPECT_EQ(changes, 1);
    TypeKey(&combo, Qt::Key_X, "x");
    combo.setCurrentIndex(1);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(combo.Events.OnChange);
}

TEST_F(ControlsTest, ComboEnterRunsTheHeldChange) {
    TSkComboBox combo(Page);
    combo.LoadLines({"a;1", "b;2"});
    int held = 0, changes = 0;
    combo.Events.OnChange = [&] { ++changes; };
    combo.HeldChange = [&] { ++held; };
    SendKey(&combo, QEvent::KeyRelease, Qt::Key_Return, "\r");
    SendKey(&combo, QEvent::KeyRelease, Qt::Key_Enter, "\r", Qt::KeypadModifier);
    EXPECT_EQ(held, 2);
    combo.setCurrentIndex(1);
    EXPECT_EQ(changes, 1); // Enter leaves the change event attached
}

TEST_F(ControlsTest, ReadOnlyComboOnlyChooses) {
    TSkComboBox combo(Page);
    EXPECT_TRUE(combo.isEditable());
    combo.SetReadOnly(true);
    EXPECT_TRUE(combo.ReadOnly);
    EXPECT_FALSE(combo.isEditable());
    combo.LoadLines({"apple;1", "banana;2", "cherry;3"});
    combo.setCurrentIndex(0);
    int changes = 0, held = 0;
    combo.Events.OnChange = [&] { ++changes; };
    combo.HeldChange = [&] { ++held; };
    TypeKey(&combo, Qt::Key_C, "c"); // no search by letter
    EXPECT_EQ(combo.currentIndex(), 0);
    TypeKey(&combo, Qt::Key_Return, "\r"); // releases are ignored
    EXPECT_EQ(held, 0);
    combo.setCurrentIndex(2);
    EXPECT_EQ(changes, 1);
    combo.SetReadOnly(false);
    EXPECT_TRUE(combo.isEditable());
}

TEST_F(ControlsTest, EditableComboTakesTypedText) {
    TSkComboBox combo(Page);
    combo.LoadLines({"a;1"});
    TypeKey(&combo, Qt::Key_Z, "z");
    EXPECT_EQ(combo.currentText(), "z");
    TypeKey(&combo, Qt::Key_Return, "\r"); // never added as an item
    EXPECT_EQ(combo.count(), 1);
}

TEST_F(ControlsTest, WheelLeavesTheComboSelection) {
    TSkComboBox combo(Page);
    combo.SetReadOnly(true);
    SetBounds(&combo, QRect(0, 0, 120, 24));
    combo.LoadLines({"a;1", "b;2", "c;3"});
    combo.setCurrentIndex(1);
    for (int delta : {120, -120}) {
        QWheelEvent wheel(QPointF(10, 10), combo.mapToGlobal(QPointF(10, 10)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&combo, &wheel);
        EXPECT_EQ(combo.currentIndex(), 1);
    }
}

TEST_F(ControlsTest, SpinEditKeepsItsValueInsideTheLimits) {
    struct TCase {
        const char* Name;
        double Low, High; // set in this order
        int Set;
        int Value;
    };
    const TCase cases[] = {
        {"default limits, below", -1, 1000000, -5, -1},
        {"default limits, above", -1, 1000000, 2000000, 1000000},
        {"min 5 raises 0", 5, 1000000, 0, 5},
        {"max 10 lowers 12", -1, 10, 12, 10},
        {"inside", 5, 10, 7, 7},
        {"crossed limits: the high one wins", 20, 10, 15, 10},
        {"crossed limits, below both", 20, 10, 0, 10},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSkSpinEdit spin(Page);
        spin.SetLowLimit(c.Low);
        spin.SetHighLimit(c.High);
        spin.setValue(c.Set);
        EXPECT_EQ(spin.value(), c.Value);
    }
}

TEST_F(ControlsTest, SpinEditLimitsMoveTheValueWhenSet) {
    TSkSpinEdit spin(Page);
    EXPECT_EQ(spin.LowLimit, -1);
    EXPECT_EQ(spin.HighLimit, 1000000);
    EXPECT_EQ(spin.minimum(), std::numeric_limits<int>::min());
    EXPECT_EQ(spin.maximum(), std::numeric_limits<int>::max());
    EXPECT_EQ(spin.value(), 0);
    spin.SetLowLimit(5); // "min" 5 with a value of 0
    EXPECT_EQ(spin.value(), 5);
    spin.setValue(40);
    spin.SetHighLimit(10);
    EXPECT_EQ(spin.value(), 10);
    spin.SetLowLimit(30); // crossing: the high limit wins
    EXPECT_EQ(spin.value(), 10);
}

TEST_F(ControlsTest, TypedSpinValueIsLimitedWhenEntered) {
    TSkSpinEdit spin(Page);
    spin.SetLowLimit(5);
    spin.SetHighLimit(10);
    spin.setFocus();
    spin.selectAll();
    QTest::keyClicks(&spin, "12");
    EXPECT_EQ(spin.value(), 5); // nothing applied while typing
    QTest::keyClick(&spin, Qt::Key_Enter);
    EXPECT_EQ(spin.value(), 10);
    spin.selectAll();
    QTest::keyClicks(&spin, "3");
    EXPECT_EQ(spin.Value(), 5); // reading takes the typed text in
}

TEST_F(ControlsTest, InputControlsAreTabStops) {
    TSkEditBox edit(Page);
    TSkRadioButton radio(Page);
    TSkCheckBox check(Page);
    TSkListBox list(Page);
    TSkComboBox combo(Page);
    TSkSpinEdit spin(Page);
    for (QWidget* control :
         std::initializer_list<QWidget*>{&edit, &radio, &check, &list, &combo, &spin})
        EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(check.EnableList.empty());
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_FALSE(combo.ReadOnly);
}
