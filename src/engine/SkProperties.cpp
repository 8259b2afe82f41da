// Property keys: SetProperty applies the keys of one section to the object just created, first
// the layout keys (last key first), then the type's own keys in file order.

#include "engine/SkStract.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkInputs.h"
#include "SkinControl/SkLabel.h"
#include "SkinControl/SkPanels.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkSimple.h"
#include "SkinControl/SkSkin.h"
#include "app/SkForm.h"
#include "engine/SkHelpers.h"
#include "engine/SkHtmlSupport.h"
#include "engine/SkTreeSupport.h"
#include "platform/Codec1251.h"
#include "platform/Controls.h"
#include "platform/ConvertError.h"
#include "platform/Cursors.h"
#include "platform/HostPath.h"
#include "platform/QtText.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "platform/SkinFrame.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSignalBlocker>
#include <QToolTip>

#include <exception>
#include <string>

namespace {

QColor ToQColor(TColor color) {
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

// The widget's font and text colour as a structure file describes fonts, so that a "font" value
// can change only the parts it names. Polished first, so a skin's font counts as the current one.
TFontSpec FontSpecOf(QWidget* widget) {
    widget->ensurePolished();
    TFontSpec spec;
    const QFont font = widget->font();
    spec.Name = FromQString(font.family());
    if (font.pointSize() > 0)
        spec.Size = font.pointSize();
    const QColor color = widget->palette().color(QPalette::WindowText);
    spec.Color = RGBColor(color.red(), color.green(), color.blue());
    spec.Bold = font.bold();
    spec.Italic = font.italic();
    spec.Underline = font.underline();
    spec.StrikeOut = font.strikeOut();
    return spec;
}

// A skin's style sheet sets fonts over a widget's own, so the font a "font" key asks for is also
// kept as a style rule of the widget, written once all its keys are read (a "skin" key after it
// replaces the widget's style sheet).
const char* const kFontRule = "chitalkaFontRule";
const char* const kFontRuleWritten = "chitalkaFontRuleWritten";

QString FontRule(const TFontSpec& spec, bool withColor) {
    QString decoration;
    if (spec.Underline)
        decoration += QStringLiteral(" underline");
    if (spec.StrikeOut)
        decoration += QStringLiteral(" line-through");
    QString rule = QStringLiteral("font-family: \"%1\"; font-size: %2pt; font-weight: %3; "
                                  "font-style: %4; text-decoration: %5;")
                       .arg(ToQString(spec.Name))
                       .arg(spec.Size)
                       .arg(spec.Bold ? QStringLiteral("bold") : QStringLiteral("normal"))
                       .arg(spec.Italic ? QStringLiteral("italic") : QStringLiteral("normal"))
                       .arg(decoration.isEmpty() ? QStringLiteral("none") : decoration.trimmed());
    if (withColor)
        rule += QStringLiteral(" color: %1;").arg(ToQColor(spec.Color).name());
    return rule;
}

void WriteFontRule(QWidget* widget) {
    const QString rule = widget->property(kFontRule).toString();
    if (rule.isEmpty())
        return;
    QString sheet = widget->styleSheet();
    const QString old = widget->property(kFontRuleWritten).toString();
    if (!old.isEmpty())
        sheet.remove(old);
    // Alone the declarations need no selector. Beside the rules of the control's own skin they
    // take one that outweighs a skin's selectors (type, theme object and state).
    widget->setProperty("chitalkaFont", true);
    const QString written =
        sheet.trimmed().isEmpty()
            ? rule
            : "\n*[chitalkaFont=\"true\"][chitalkaFont=\"true\"][chitalkaFont=\"true\"]"
              "[chitalkaFont=\"true\"] { " +
                  rule + " }";
    widget->setProperty(kFontRuleWritten, written);
    widget->setStyleSheet(sheet + written);
}

void ApplyFont(QWidget* widget, const std::string& value) {
    const TFontSpec before = FontSpecOf(widget);
    TFontSpec spec = before;
    FontFromText(spec, value); // EConvertError for a malformed size or colour
    QFont font = widget->font();
    font.setFamily(ToQString(spec.Name));
    font.setPointSize(spec.Size);
    font.setBold(spec.Bold);
    font.setItalic(spec.Italic);
    font.setUnderline(spec.Underline);
    font.setStrikeOut(spec.StrikeOut);
    widget->setFont(font);
    // The colour is touched only when the value names one, so an unset colour keeps following
    // the skin.
    const bool colorGiven = !FieldOf(value, 3).empty();
    if (colorGiven) {
        QPalette palette = widget->palette();
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(role, ToQColor(spec.Color));
        widget->setPalette(palette);
    }
    // A colour given before stays in the rule.
    const bool keptColor =
        widget->property(kFontRule).toString().contains(QStringLiteral("color:"));
    widget->setProperty(kFontRule, FontRule(spec, colorGiven || keptColor));
}

void ApplyHint(QWidget* widget, const std::string& value) {
    widget->setToolTip(ToQString(value));
}

void ApplyAnchor(QWidget* widget, const std::string& value) {
    if (!value.empty())
        ParseAnchor(widget, value); // EConvertError for a malformed field
}

// "skin" of the controls that take only a theme object: the first field, when not empty.
void ApplyThemeObject(QWidget* widget, const std::string& value) {
    std::string rest = value;
    const std::string themeObject = SplitHead(rest, "*");
    if (!themeObject.empty())
        SetThemeObject(widget, themeObject);
}

// "skin" of buttons and combo boxes: theme object, then a skin file of their own. A file already
// in the cache is not linked again (the cache reports only new files).
void ApplyControlSkin(TSkStract& engine, QWidget* widget, const std::string& value) {
    std::string rest = value;
    const std::string themeObject = SplitHead(rest, "*");
    const std::string skinFile = SplitHead(rest, "*");
    if (!themeObject.empty())
        SetThemeObject(widget, themeObject);
    if (engine.Skin && engine.Skin->RegisterSkin(skinFile))
        if (TThemeLink* link = engine.Skin->FindSkin(skinFile))
            link->ApplyTo(widget);
}

TSizeConstraints& Limit(TSizeConstraints& c, const std::string& key, int value) {
    if (key == "min_width")
        c.MinWidth = value;
    else if (key == "max_width")
        c.MaxWidth = value;
    else if (key == "min_height")
        c.MinHeight = value;
    return c;
}

void ApplyLimit(QWidget* widget, const std::string& key, const std::string& value) {
    TSizeConstraints c = GetConstraints(widget);
    SetConstraints(widget, Limit(c, key, StrToInt(value)));
}

// ---- the window ----

void SetFormEdge(TSkForm* form, const std::string& key, int value) {
    QRect r = form->geometry();
    if (key == "top" || key == "left")
        form->Placed = true;
    if (key == "top")
        r.moveTop(value);
    else if (key == "left")
        r.moveLeft(value);
    else if (key == "width")
        r.setWidth(value);
    else if (key == "height")
        r.setHeight(value);
    form->SetFormBounds(r);
}

void ApplyWindowSkin(TSkStract& engine, TSkForm* form, const std::string& value) {
    std::string rest = value;
    const std::string skinFile = SplitHead(rest, "*");
    const std::string themeObject = SplitHead(rest, "*");
    if (!skinFile.empty() && engine.Skin) {
        const std::string path = ProgramPath(skinFile);
        if (engine.Skin->RegisterSkin(path))
            if (TThemeLink* link = engine.Skin->FindSkin(path))
                link->ApplyTo(form);
    }
    if (!themeObject.empty())
        SetThemeObject(form, themeObject);
}

void ApplyIcon(const std::string& value) {
    const std::string path = ProgramPath(value);
    const auto host = ResolveHostFile(path);
    QPixmap picture;
    if (!host || !picture.load(QString::fromStdString(*host)))
        throw EInOutError(cp1251::FromUtf8("Не удалось прочитать файл значка: ") + path);
    QApplication::setWindowIcon(QIcon(picture));
}

void SetHintColor(QPalette::ColorRole role, const std::string& value) {
    QPalette palette = QToolTip::palette();
    palette.setColor(role, ToQColor(ColorFromText(value)));
    QToolTip::setPalette(palette);
}

void FormKey(TSkStract& e, TSkForm* form, const std::string& key, const std::string& value) {
    if (key == "caption")
        form->SetCaption(value);
    else if (key == "title")
        QApplication::setApplicationDisplayName(ToQString(value));
    else if (key == "but_help") {
        form->HelpAction = value;
        form->SetHelpButton(true);
    } else if (key == "save_pos")
        e.SavePos = TextToBool(value, false);
    else if (key == "min_width")
        form->setMinimumWidth(StrToInt(value));
    else if (key == "min_height")
        form->setMinimumHeight(StrToInt(value));
    else if (key == "dialog")
        form->SetDialogMode(TextToBool(value, false));
    else if (key == "splash") {
        // A missing or broken splash picture costs the picture, not the window.
        try {
            e.ShowSplash(value);
        } catch (const std::exception& error) {
            e.ReportError(error.what());
        }
    }
    else if (key == "top" || key == "left" || key == "width" || key == "height")
        SetFormEdge(form, key, StrToInt(value));
    else if (key == "action")
        form->FormAction = value;
    else if (key == "reg_dat")
        e.RegistryPath = value;
    else if (key == "visible") {
        // Showing is left to whoever shows the window (a modal window must not be shown before
        // it runs); only hiding is the key's to do.
        if (!TextToBool(value, true))
            form->hide();
    } else if (key == "size")
        form->SetSizeable(TextToBool(value, true));
    else if (key == "moving")
        form->Moving = TextToBool(value, false);
    else if (key == "esc_close")
        form->EscClose = TextToBool(value, false);
    else if (key == "splash_close_auto")
        e.SplashCloseAuto = TextToBool(value, true);
    else if (key == "hint_color")
        SetHintColor(QPalette::ToolTipBase, value);
    else if (key == "hint_font_color")
        SetHintColor(QPalette::ToolTipText, value);
    else if (key == "message_font")
        FontFromText(form->MessageFont, value);
    else if (key == "help_id")
        e.HelpId = value;
    else if (key == "effect")
        form->Effect = value;
    else if (key == "but_max") {
        std::string rest = value;
        form->MaximizedButtons = SplitHead(rest, "*") + ";";
        form->NormalButtons = SplitHead(rest, "*") + ";";
    } else if (key == "hide_caption") {
        // Only hides: a false value never brings back a caption hidden before.
        if (TextToBool(value, true) && form->SkinForm)
            form->SkinForm->SetCaptionVisible(false);
    } else if (key == "ico")
        ApplyIcon(value);
    else if (key == "skin")
        ApplyWindowSkin(e, form, value);
    // "color" is read by the build itself.
}

// ---- layout controls ----

void PanelKey(TSkStract&, TSkPanel* panel, const std::string& key, const std::string& value) {
    if (key == "visible_ex") {
        if (TextToBool(value, true))
            panel->ToggleVisible();
    } else if (key == "anchor")
        ApplyAnchor(panel, value);
    else if (key == "action")
        panel->Action = value;
    else if (key == "min_width" || key == "max_width" || key == "min_height")
        ApplyLimit(panel, key, value);
    else if (key == "skin")
        ApplyThemeObject(panel, value);
    // A panel never shows a caption: ours draw none, so there is no text to empty after a key.
}

void ParentPanelKey(TSkStract&, TParentPanel* panel, const std::string& key,
                    const std::string& value) {
    if (key == "anchor")
        ApplyAnchor(panel, value);
    else if (key == "action")
        panel->Action = value;
    else if (key == "min_width" || key == "min_height" || key == "max_width")
        ApplyLimit(panel, key, value);
    else if (key == "color")
        panel->SetColor(ColorFromText(value));
}

void ScrollBoxKey(TSkStract&, TSkScrollBox* box, const std::string& key, const std::string& value) {
    if (key == "color")
        box->SetColor(ColorFromText(value));
    else if (key == "anchor")
        ApplyAnchor(box, value);
    else if (key == "skin")
        ApplyThemeObject(box, value);
}

void SplitKey(TSkStract&, TSkSplitter* split, const std::string& key, const std::string& value) {
    if (key == "skin")
        ApplyThemeObject(split, value);
}

void TrackBarKey(TSkStract&, TSkTrackBar* bar, const std::string& key, const std::string& value) {
    if (key == "anchor")
        ApplyAnchor(bar, value);
    else if (key == "hint")
        ApplyHint(bar, value);
    else if (key == "skin")
        ApplyThemeObject(bar, value);
}

void ProgressBarKey(TSkStract&, TSkProgressBar* bar, const std::string& key,
                    const std::string& value) {
    if (key == "anchor")
        ApplyAnchor(bar, value);
    else if (key == "hint")
        ApplyHint(bar, value);
}

void ButtonKey(TSkStract& e, TSkButton* button, const std::string& key, const std::string& value) {
    if (key == "text_align")
        button->SetTextAlign(ParseTextAlign(value));
    else if (key == "transparent")
        button->SetTransparent(TextToBool(value, true));
    else if (key == "word_wrap")
        button->SetWordWrap(TextToBool(value, false));
    else if (key == "anchor")
        ApplyAnchor(button, value);
    else if (key == "action")
        button->Action = value;
    else if (key == "caption")
        button->SetCaption(value);
    else if (key == "hint")
        ApplyHint(button, value);
    else if (key == "font")
        ApplyFont(button, value);
    else if (key == "skin")
        ApplyControlSkin(e, button, value);
}

void SpeedButtonKey(TSkStract& e, TSkSpeedButton* button, const std::string& key,
                    const std::string& value) {
    if (key == "transparent")
        button->SetTransparent(TextToBool(value, true));
    else if (key == "hint_down")
        button->HintDown = value;
    else if (key == "hint_up")
        button->HintUp = value;
    else if (key == "anchor")
        ApplyAnchor(button, value);
    else if (key == "action")
        button->Action = value;
    else if (key == "caption")
        button->SetCaption(value);
    else if (key == "hint")
        ApplyHint(button, value);
    else if (key == "group")
        button->SetGroup(StrToInt(value));
    else if (key == "but_next_tree" || key == "but_prev_tree")
        LinkTreeButton(e, button, key, value);
    else if (key == "down")
        button->SetDownState(TextToBool(value, false));
    else if (key == "font")
        ApplyFont(button, value);
    else if (key == "menu") {
        if (TSkPopMenu* menu = e.GetPopMenu(value))
            button->SetDropMenu(menu);
    } else if (key == "skin")
        ApplyThemeObject(button, value);
}

void LabelKey(TSkStract& e, TSkLabel* label, const std::string& key, const std::string& value,
              bool& autoSize) {
    if (key == "url")
        label->SetUrlStyle(TextToBool(value, false));
    else if (key == "anchor")
        ApplyAnchor(label, value);
    else if (key == "action")
        label->Action = value;
    else if (key == "cut_length")
        label->SetCutLength(TextToBool(value, false));
    else if (key == "caption")
        label->SetFullCaption(value);
    else if (key == "hint")
        ApplyHint(label, value);
    else if (key == "font")
        ApplyFont(label, value);
    else if (key == "text_align")
        label->setAlignment((label->alignment() & Qt::AlignVertical_Mask) | ParseTextAlign(value));
    else if (key == "html_title")
        LinkHtmlTitle(e, label, value); // SkHtmlSupport.cpp
    else if (key == "word_wrap")
        label->setWordWrap(TextToBool(value, false));
    else if (key == "auto_size")
        autoSize = TextToBool(value, false);
    else if (key == "skin")
        ApplyThemeObject(label, value);
}

// A label that sizes itself takes its caption's size once all its keys are read, so the order of
// "auto_size" and "caption" does not matter; a wrapping label keeps its width.
void FitLabelSize(TSkLabel* label) {
    const QSize hint = label->sizeHint();
    if (label->wordWrap())
        SetHeight(label, label->heightForWidth(label->width()));
    else
        SetBounds(label, QRect(GetBounds(label).topLeft(), hint));
}

// ---- input controls ----

void EditBoxKey(TSkStract& e, TSkEditBox* box, const std::string& key, const std::string& value) {
    if (key == "anchor")
        ApplyAnchor(box, value);
    else if (key == "action")
        box->Action = value;
    else if (key == "hint")
        ApplyHint(box, value);
    else if (key == "only_number")
        box->OnlyNumber = TextToBool(value, false);
    else if (key == "min_link")
        box->SetMinLink(e.GetEditBox(value));
}

void CheckBoxKey(TSkStract&, TSkCheckBox* box, const std::string& key, const std::string& value) {
    if (key == "anchor")
        ApplyAnchor(box, value);
    else if (key == "action")
        box->Action = value;
    else if (key == "hint")
        ApplyHint(box, value);
    else if (key == "caption")
        box->setText(ToQString(value));
    else if (key == "check") {
        const QSignalBlocker quiet(box);
        box->setChecked(TextToBool(value, false));
    } else if (key == "enable_control")
        box->AddEnableNames(value);
}

void RadioButtonKey(TSkStract&, TSkRadioButton* button, const std::string& key,
                    const std::string& value) {
    if (key == "anchor")
        ApplyAnchor(button, value);
    else if (key == "hint")
        ApplyHint(button, value);
    else if (key == "caption")
        button->setText(ToQString(value));
    else if (key == "check")
        button->setChecked(TextToBool(value, false));
}

void ComboBoxKey(TSkStract& e, TSkComboBox* box, const std::string& key, const std::string& value) {
    if (key == "anchor")
        ApplyAnchor(box, value);
    else if (key == "action")
        box->Action = value;
    else if (key == "count_line")
        box->SetCountLine(StrToInt(value));
    else if (key == "load") {
        box->LoadItems(value);
        // Selecting the first item is part of loading, not a choice of the reader's.
        const QSignalBlocker quiet(box);
        box->setCurrentIndex(box->count() > 0 ? 0 : -1);
    } else if (key == "read_only")
        box->SetReadOnly(TextToBool(value, false));
    else if (key == "skin")
        ApplyControlSkin(e, box, value);
}

void ListBoxKey(TSkStract&, TSkListBox* box, const std::string& key, const std::string& value) {
    if (key == "anchor")
        ApplyAnchor(box, value);
    else if (key == "action")
        box->Action = value;
    else if (key == "load")
        box->LoadItems(value);
    else if (key == "multiselect")
        box->setSelectionMode(TextToBool(value, false) ? QAbstractItemView::ExtendedSelection
                                                       : QAbstractItemView::SingleSelection);
    else if (key == "skin")
        ApplyThemeObject(box, value);
}

void SpinEditKey(TSkStract&, TSkSpinEdit* spin, const std::string& key, const std::string& value) {
    if (key == "anchor")
        ApplyAnchor(spin, value);
    else if (key == "hint")
        ApplyHint(spin, value);
    else if (key == "max")
        spin->SetHighLimit(StrToInt(value));
    else if (key == "min")
        spin->SetLowLimit(StrToInt(value));
}

// Runs the key table of one type over the section's keys in file order; a key name that stands
// twice is applied twice with the value of its first occurrence.
template <typename TControl, typename TTable>
bool ApplyTable(TSkStract& engine, QObject* object, const TPakIniFile& file,
                const std::string& section, const TStrings& keys, TTable table) {
    auto* control = dynamic_cast<TControl*>(object);
    if (!control)
        return false;
    for (const std::string& name : keys) {
        const std::string key = cp1251::Lower(name);
        table(engine, control, key, file.ReadString(section, name, ""));
    }
    return true;
}

} // namespace

void TSkStract::ApplyLayoutKeys(QWidget* control, const std::string& section,
                                const std::string& type) {
    if (!control || !Structure)
        return;
    const std::string kind = cp1251::Lower(type);
    auto* form = kind == "form" ? dynamic_cast<TSkForm*>(control) : nullptr;
    const bool isForm = form != nullptr;
    auto* panel =
        kind == "panel" || kind == "parent_panel" ? dynamic_cast<TSkPanelBase*>(control) : nullptr;
    SetAnchors(control, 0);
    TStrings keys;
    Structure->ReadSection(section, keys);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        const std::string key = cp1251::Lower(*it);
        const std::string value = Structure->ReadString(section, *it, "");
        if (key == "top" || key == "left" || key == "width" || key == "height") {
            if (form) {
                SetFormEdge(form, key, StrToInt(value));
            } else if (panel && (key == "width" || key == "height")) {
                if (key == "width")
                    panel->SetWidthText(value);
                else
                    panel->SetHeightText(value);
            } else {
                const int number = StrToInt(value);
                if (key == "top")
                    SetTop(control, number);
                else if (key == "left")
                    SetLeft(control, number);
                else if (key == "width")
                    SetWidth(control, number);
                else
                    SetHeight(control, number);
            }
        } else if (key == "enabled") {
            control->setEnabled(TextToBool(value, true));
        } else if (key == "cursor") {
            control->setCursor(CursorFromNumber(CursorNumberFromText(value)));
        } else if (key == "visible" && !isForm) {
            // The window's own "visible" is one of its keys (it only ever hides).
            SetShown(control, TextToBool(value, true));
        } else if (key == "align" && !isForm) {
            SetAlign(control, ParseAlign(value));
        }
    }
}

void TSkStract::SetProperty(QObject* control, const std::string& section, const std::string& type) {
    StepProgress();
    if (!control || !Structure)
        return;
    const std::string kind = cp1251::Lower(type);
    TStrings keys;
    Structure->ReadSection(section, keys);
    if (keys.empty())
        return;

    auto* widget = qobject_cast<QWidget*>(control);
    const TAnchors anchorsBefore = widget ? GetAnchors(widget) : kDefaultAnchors;
    if (widget)
        ApplyLayoutKeys(widget, section, kind);

    const TPakIniFile& file = *Structure;
    bool known = true;
    bool autoSize = false;
    if (kind == "form") {
        known = ApplyTable<TSkForm>(*this, control, file, section, keys, FormKey);
    } else if (kind == "panel") {
        known = ApplyTable<TSkPanel>(*this, control, file, section, keys, PanelKey);
    } else if (kind == "parent_panel") {
        known = ApplyTable<TParentPanel>(*this, control, file, section, keys, ParentPanelKey);
    } else if (kind == "scroll_box") {
        known = ApplyTable<TSkScrollBox>(*this, control, file, section, keys, ScrollBoxKey);
    } else if (kind == "split") {
        known = ApplyTable<TSkSplitter>(*this, control, file, section, keys, SplitKey);
    } else if (kind == "track_bar") {
        known = ApplyTable<TSkTrackBar>(*this, control, file, section, keys, TrackBarKey);
    } else if (kind == "progress_bar") {
        known = ApplyTable<TSkProgressBar>(*this, control, file, section, keys, ProgressBarKey);
    } else if (kind == "button") {
        known = ApplyTable<TSkButton>(*this, control, file, section, keys, ButtonKey);
    } else if (kind == "sp_button") {
        known = ApplyTable<TSkSpeedButton>(*this, control, file, section, keys, SpeedButtonKey);
    } else if (kind == "label") {
        known = ApplyTable<TSkLabel>(
            *this, control, file, section, keys,
            [&autoSize](TSkStract& e, TSkLabel* label, const std::string& key,
                        const std::string& value) { LabelKey(e, label, key, value, autoSize); });
    } else if (kind == "edit_box") {
        known = ApplyTable<TSkEditBox>(*this, control, file, section, keys, EditBoxKey);
    } else if (kind == "check_box") {
        known = ApplyTable<TSkCheckBox>(*this, control, file, section, keys, CheckBoxKey);
    } else if (kind == "r_button") {
        known = ApplyTable<TSkRadioButton>(*this, control, file, section, keys, RadioButtonKey);
    } else if (kind == "combo_box") {
        known = ApplyTable<TSkComboBox>(*this, control, file, section, keys, ComboBoxKey);
    } else if (kind == "list_box") {
        known = ApplyTable<TSkListBox>(*this, control, file, section, keys, ListBoxKey);
    } else if (kind == "spin_edit") {
        known = ApplyTable<TSkSpinEdit>(*this, control, file, section, keys, SpinEditKey);
    } else if (kind == "tree" || kind == "tree_ex") {
        // The trees' keys are in SkTreeSupport.cpp; the topic tree's font goes with the others.
        known = ApplyTable<QWidget>(
            *this, control, file, section, keys,
            [&kind](TSkStract& e, QWidget* tree, const std::string& key, const std::string& value) {
                if (kind == "tree" && key == "font")
                    ApplyFont(tree, value);
                else
                    ApplyTreeKey(e, tree, key, value);
            });
    } else if (kind == "html") {
        // The document view's keys are in SkHtmlSupport.cpp.
        known = ApplyTable<QWidget>(*this, control, file, section, keys, ApplyHtmlKey);
    } else {
        known = false;
    }
    if (!known)
        Dialogs().ShowMessage(cp1251::FromUtf8("SetProperty. Объект ") + section +
                              cp1251::FromUtf8(" имеет неизвестный тип ") + kind);

    if (widget) {
        WriteFontRule(widget);
        if (autoSize)
            FitLabelSize(static_cast<TSkLabel*>(widget));
        if (GetAnchors(widget) == 0)
            SetAnchors(widget, anchorsBefore);
    }
}
