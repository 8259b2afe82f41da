#include "engine/SkHelpers.h"

#include "SkinControl/SkLabel.h"
#include "SkinControl/SkPanels.h"
#include "app/SkForm.h"
#include "archive/Archive.h"
#include "engine/SkStract.h"
#include "platform/Codec1251.h"
#include "platform/ConvertError.h"
#include "platform/Services.h"

#include <QApplication>
#include <QCursor>

#include <memory>
#include <optional>

void ShowMessageWindow(const std::string& text, const TFontSpec* font) {
    if (!PackFileExists("struct_message.txt")) {
        Dialogs().ShowMessage(text, font);
        return;
    }
    // The window and its engine live for this one showing; the engine goes before its window.
    auto form = std::make_unique<TfrmFORM>(QApplication::activeWindow());
    {
        auto engine = std::make_unique<TSkStract>(form.get(), "struct_message.txt");
        engine->LoadStructure();
        engine->Activate();
        if (TSkLabel* label = engine->GetLabel("label_messge"))
            label->SetFullCaption(text);
        form->ShowModal();
    }
}

void WrapHtmlHead(TStrings& lines, const std::string& attributes) {
    lines.insert(lines.begin(), {"<html>", "<head></head>", "<body " + attributes + ">"});
}

void WrapHtmlTail(TStrings& lines) {
    lines.push_back("</body>");
    lines.push_back("</html>");
}

void BusyCursor(bool on) {
    if (on) {
        if (QApplication::overrideCursor())
            QApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        return;
    }
    QApplication::processEvents();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

std::string InsertValue(const std::string& commandTemplate, const std::string& value, bool append) {
    if (commandTemplate.empty())
        return {};
    static const std::string kWord = "insert";
    std::string result;
    bool replaced = false;
    size_t from = 0;
    for (size_t pos; (pos = commandTemplate.find(kWord, from)) != std::string::npos;
         from = pos + kWord.size()) {
        result.append(commandTemplate, from, pos - from);
        result += value;
        replaced = true;
    }
    result.append(commandTemplate, from, std::string::npos);
    if (!replaced && append) {
        if (result.back() != '*')
            result += '*';
        result += value;
    }
    return result;
}

std::string StripProgramDir(const std::string& name) {
    // Only a name that really lies in the program folder loses that folder; the original cut as
    // many characters as the folder has from any name with a drive, whatever folder it named.
    return StripBasePath(name, ProgramDir());
}

void ParseAnchor(QWidget* control, const std::string& value) {
    std::string rest = value;
    std::optional<int> field[4]; // left, top, right, bottom; none for "*"
    for (int i = 0; i < 4; ++i) {
        if (rest.empty())
            throw EConvertError("ParseAnchor. " +
                                cp1251::FromUtf8("Нужно четыре поля через пробел: ") + value);
        const std::string text = SplitHead(rest, " ");
        if (text != "*")
            field[i] = StrToInt(text);
    }
    const std::optional<int>&left = field[0], &top = field[1], &right = field[2],
          &bottom = field[3];

    QWidget* parent = control->parentWidget();
    const QRect client = parent ? ClientRect(parent) : QRect();
    const QRect bounds = GetBounds(control);

    // One axis: the near and far edges from the near and far distances.
    auto axis = [](const std::optional<int>& nearSide, const std::optional<int>& farSide,
                   int current, int size, int clientStart, int clientSize, int& from, int& to) {
        if (nearSide)
            from = clientStart + *nearSide;
        else if (farSide)
            from = clientStart + clientSize - *farSide - size;
        else
            from = current;
        to = farSide ? clientStart + clientSize - *farSide : from + size;
    };
    int x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    axis(left, right, bounds.left(), bounds.width(), client.left(), client.width(), x1, x2);
    axis(top, bottom, bounds.top(), bounds.height(), client.top(), client.height(), y1, y2);

    TAnchors anchors = GetAnchors(control);
    if (left)
        anchors |= akLeft;
    if (right)
        anchors |= akRight;
    if (top)
        anchors |= akTop;
    if (bottom)
        anchors |= akBottom;

    SetBounds(control, QRect(x1, y1, x2 - x1, y2 - y1));
    SetAnchors(control, anchors);
    // Centring comes after the bounds: setting the bounds first would move a centred panel back to
    // where it was.
    if (auto* panel = dynamic_cast<TSkPanelBase*>(control)) {
        if (!left && !right)
            panel->SetCenterHorz(true);
        if (!top && !bottom)
            panel->SetCenterVert(true);
    }
}

TAlign ParseAlign(const std::string& text) {
    static const struct {
        const char* Name;
        TAlign Align;
    } kAligns[] = {{"none", TAlign::None},    {"top", TAlign::Top},     {"bottom", TAlign::Bottom},
                   {"left", TAlign::Left},    {"right", TAlign::Right}, {"client", TAlign::Client},
                   {"custom", TAlign::Custom}};
    for (const auto& entry : kAligns)
        if (SameComponentName(text, entry.Name))
            return entry.Align;
    return TAlign::None;
}

Qt::Alignment ParseTextAlign(const std::string& text) {
    if (SameComponentName(text, "left"))
        return Qt::AlignLeft;
    if (SameComponentName(text, "right"))
        return Qt::AlignRight;
    return Qt::AlignHCenter;
}

std::string FieldOf(const std::string& text, int n) {
    std::string rest = text;
    std::string piece;
    for (int i = 0; i < n; ++i)
        piece = SplitHead(rest, "*");
    return piece;
}
