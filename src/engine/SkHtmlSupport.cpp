#include "engine/SkHtmlSupport.h"

#include "SkinControl/SkLabel.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkTree.h"
#include "app/SkForm.h"
#include "archive/Archive.h"
#include "engine/SkHelpers.h"
#include "platform/Controls.h"
#include "platform/ConvertError.h"
#include "platform/QtText.h"
#include "platform/Skin.h"
#include "viewer/SkHtml.h"

#include <QFont>
#include <QPointer>
#include <QTextBrowser>
#include <QTextDocument>

#include <string>

namespace {

void ApplyLimit(QWidget* control, const std::string& key, const std::string& value) {
    TSizeConstraints limits = GetConstraints(control);
    if (key == "min_width")
        limits.MinWidth = StrToInt(value);
    else
        limits.MinHeight = StrToInt(value);
    SetConstraints(control, limits);
}

// A history entry's caption: its title, or the file's name for a document without one.
std::string EntryCaption(const THtmlHistoryEntry& entry) {
    if (!entry.Title.empty())
        return entry.Title;
    const auto slash = entry.File.find_last_of("\\/");
    return slash == std::string::npos ? entry.File : entry.File.substr(slash + 1);
}

} // namespace

QWidget* MakeHtmlObject(TSkStract& engine, QWidget* parent, const std::string& section) {
    auto* view = new TSkHtml(parent);
    SetComponentName(view, section);
    SetShown(view, true);
    SetThemeObject(view, "default");
    TSkStract* e = &engine;
    // Command links, and picture links of a view without the picture window, go to Dispatch.
    view->OnAction = [e](const RHelpAction& action) { e->Dispatch(action); };
    return view;
}

void ApplyHtmlKey(TSkStract& engine, QWidget* control, const std::string& key,
                  const std::string& value) {
    auto* view = dynamic_cast<TSkHtml*>(control);
    if (!view)
        return;
    if (key == "anchor") {
        if (!value.empty())
            ParseAnchor(view, value);
    } else if (key == "action") {
        view->Action = value;
    } else if (key == "move_cursor") {
        view->SetMoveCursor(TextToBool(value, false));
    } else if (key == "load") {
        view->LoadFile(value);
    } else if (key == "menu") {
        if (TSkPopMenu* found = engine.GetPopMenu(value)) {
            TSkStract* e = &engine;
            const QPointer<TSkPopMenu> menu(found);
            view->SetContextMenuHandler([e, menu](const QPoint& at) {
                if (!menu)
                    return;
                e->RefreshHistoryItems(menu); // a history menu is filled as "menu_show" does
                menu->PopupAt(at.x(), at.y());
            });
        }
    } else if (key == "color") {
        const TColor color = ColorFromText(value);
        QPalette page = view->Viewer->palette();
        page.setColor(QPalette::Base, QColor(RedOf(color), GreenOf(color), BlueOf(color)));
        view->Viewer->setPalette(page);
    } else if (key == "link_tree_ex") {
        view->LinkedTreeEx = engine.GetTreeEx(value);
    } else if (key == "link_tree") {
        view->LinkedTree = engine.GetTree(value);
    } else if (key == "label_title") {
        view->TitleLabel = engine.GetLabel(value);
    } else if (key == "font_name") {
        QFont font = view->Viewer->document()->defaultFont();
        font.setFamily(ToQString(value));
        view->Viewer->document()->setDefaultFont(font);
    } else if (key == "font_size") {
        QFont font = view->Viewer->document()->defaultFont();
        font.setPointSize(StrToInt(value));
        view->Viewer->document()->setDefaultFont(font);
    } else if (key == "move") {
        if (TextToBool(value, false)) {
            TSkForm* form = engine.Form;
            view->Events.OnMouseDown = [form](QMouseEvent* event) { form->FormMouseDown(event); };
        } else {
            view->Events.OnMouseDown = nullptr;
        }
    } else if (key == "min_width" || key == "min_height") {
        ApplyLimit(view, key, value);
    }
}

void LinkHtmlTitle(TSkStract& engine, TSkLabel* label, const std::string& viewName) {
    if (TSkHtml* view = engine.GetHtml(viewName))
        view->TitleLabel = label;
}

bool RunHtmlAction(TSkStract& e, const std::string& name, const std::string& p1,
                   const std::string& p2) {
    if (name == "html_back" || name == "html_forward") {
        if (TSkHtml* view = e.GetHtml(p1); view && IsShown(view)) {
            view->SetHistoryIndex(view->HistoryIndex() + (name == "html_back" ? 1 : -1));
            view->FollowDocument(view->CurrentFile());
        }
    } else if (name == "html_copy") {
        if (TSkHtml* view = e.GetHtml(p1); view && IsShown(view))
            view->CopySelection();
    } else if (name == "html_sel_all") {
        if (TSkHtml* view = e.GetHtml(p1); view && IsShown(view))
            view->SelectAll();
    } else if (name == "html_load") {
        if (TSkHtml* view = e.GetHtml(p1)) {
            // A document the view cannot show leaves the tree where it is, in step with the
            // page that stays.
            if (PackFileExists(TextBefore(p2, "#")))
                view->FollowDocument(p2);
            view->LoadFile(p2);
        }
    } else if (name == "html_go_top") {
        if (TSkHtml* view = e.GetHtml(p1))
            view->SetPosition(0);
    } else if (name == "html_go_history") {
        if (TSkHtml* view = e.GetHtml(p1))
            view->SetHistoryIndex(StrToInt(p2));
    } else {
        return false; // "html_print" and "html_preview" reach the window
    }
    return true;
}

bool AddHtmlHistoryItems(TSkStract& engine, TSkPopMenu* menu) {
    const std::string& target = menu->HistoryTarget;
    const bool reports = engine.ReportErrors;
    engine.ReportErrors = false;
    TSkHtml* view = engine.GetHtml(target);
    engine.ReportErrors = reports;
    if (!view)
        return false;
    const std::vector<THtmlHistoryEntry>& history = view->History();
    const int count = static_cast<int>(history.size());
    auto add = [&](int n) {
        const THtmlHistoryEntry& entry = history[static_cast<size_t>(n)];
        std::string action = "html_go_history*" + target + "*" + std::to_string(n);
        // Without a template there is nothing to run after the move.
        const std::string follow = InsertValue(menu->GlobalAction, entry.File, true);
        if (!follow.empty())
            action += "//" + follow;
        menu->AddItem(EntryCaption(entry), action, "");
    };
    if (menu->ShowBack)
        for (int n = view->HistoryIndex() + 1; n < count; ++n)
            add(n);
    if (menu->ShowPrev)
        for (int n = 0; n < view->HistoryIndex() && n < count; ++n)
            add(n);
    return true;
}
