#include "engine/SkTreeSupport.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkTree.h"
#include "engine/SkHelpers.h"
#include "platform/Codec1251.h"
#include "platform/Controls.h"
#include "platform/ConvertError.h"
#include "platform/Skin.h"
#include "viewer/SkHtml.h"

#include <QMenu>

#include <cstddef>
#include <string>

namespace {

template <typename T> T* Create(QWidget* parent, const std::string& section) {
    auto* control = new T(parent);
    SetComponentName(control, section);
    SetShown(control, true);
    return control;
}

// "min_width", "min_height", "max_width", "max_height"; false for other keys.
bool ApplySizeLimit(QWidget* control, const std::string& key, const std::string& value,
                    bool withMaximum) {
    TSizeConstraints limits = GetConstraints(control);
    if (key == "min_width")
        limits.MinWidth = StrToInt(value);
    else if (key == "min_height")
        limits.MinHeight = StrToInt(value);
    else if (withMaximum && key == "max_width")
        limits.MaxWidth = StrToInt(value);
    else if (withMaximum && key == "max_height")
        limits.MaxHeight = StrToInt(value);
    else
        return false;
    SetConstraints(control, limits);
    return true;
}

// "skin" of a tree: the theme object, the first field, when not empty.
void ApplyThemeObject(QWidget* control, const std::string& value) {
    std::string rest = value;
    const std::string themeObject = SplitHead(rest, "*");
    if (!themeObject.empty())
        SetThemeObject(control, themeObject);
}

// The document view of that name; a missing one is reported by the lookup. The engine registers
// only document views as "html" objects. (Looked up in the view list directly, as GetHtml does,
// so the trees do not wait for the view's own unit.)
TSkHtml* HtmlView(TSkStract& e, const std::string& name) {
    return static_cast<TSkHtml*>(e.GetComponent(name, TObjectType::Html));
}

void TreeKey(TSkStract& e, TSkTree* tree, const std::string& key, const std::string& value) {
    if (ApplySizeLimit(tree, key, value, true))
        return;
    if (key == "anchor") {
        if (!value.empty())
            ParseAnchor(tree, value);
    } else if (key == "action") {
        tree->Action = value;
    } else if (key == "load") {
        tree->LoadTreeFile(value);
    } else if (key == "bordur") {
        tree->SetBordered(TextToBool(value, true));
    } else if (key == "open_block") {
        tree->SetOpenBlock(TextToBool(value, false));
    } else if (key == "link_html") {
        if (TSkHtml* view = HtmlView(e, value))
            view->LinkedTree = tree;
    } else if (key == "color") {
        tree->SetBackColor(ColorFromText(value));
    } else if (key == "color_select") {
        tree->SelectColor = ColorFromText(value);
        tree->SelectStyleChanged();
    } else if (key == "font_select") {
        FontFromText(tree->SelectFont, value); // in place: what the value leaves out stays
        tree->SelectStyleChanged();
    } else if (key == "but_next") {
        tree->NextButton = e.GetSpeedButton(value);
    } else if (key == "but_prev") {
        tree->PrevButton = e.GetSpeedButton(value);
    } else if (key == "skin") {
        ApplyThemeObject(tree, value);
    }
}

void TreeExKey(TSkStract& e, TSkTreeEx* tree, const std::string& key, const std::string& value) {
    using TPart = TSkTreeEx::TColorPart;
    if (ApplySizeLimit(tree, key, value, false))
        return;
    auto color = [&](TPart part) { tree->SetColor(part, ColorFromText(value)); };
    if (key == "anchor") {
        if (!value.empty())
            ParseAnchor(tree, value);
    } else if (key == "action") {
        tree->Action = value;
    } else if (key == "load") {
        tree->LoadTreeExFile(value);
    } else if (key == "check") {
        tree->CheckBoxes = TextToBool(value, true);
    } else if (key == "color_bg") {
        color(TPart::Back);
    } else if (key == "color_bg_select") {
        color(TPart::SelectBack);
    } else if (key == "color_text") {
        color(TPart::Text);
    } else if (key == "color_text_select") {
        color(TPart::SelectText);
    } else if (key == "color_track") {
        color(TPart::Track);
    } else if (key == "color_scroll") {
        color(TPart::Scroll);
    } else if (key == "bordur") {
        tree->SetBordered(TextToBool(value, true));
    } else if (key == "link_html") {
        if (TSkHtml* view = HtmlView(e, value))
            view->LinkedTreeEx = tree;
    } else if (key == "skin") {
        ApplyThemeObject(tree, value);
    }
}

// The value of a favorite entry: everything after its first "=".
std::string ValueOf(const std::string& entry) {
    const size_t pos = entry.find('=');
    return pos == std::string::npos ? std::string() : entry.substr(pos + 1);
}

// DeleteFavorite takes the first entry that contains its text, so the favorite of node 1
// ("load*1") would take a newer one of node 12 ("…=load*12") with it. The entry of exactly this
// value goes instead, and the menus' items of that value with it.
void DeleteTreeFavorite(TSkStract& e, const std::string& value) {
    if (!e.Favorites)
        return;
    TStrings& list = *e.Favorites;
    int exact = -1;
    for (size_t i = 0; i < list.size() && exact < 0; ++i)
        if (cp1251::EqualNoCase(ValueOf(list[i]), value))
            exact = static_cast<int>(i);
    if (exact < 0)
        return;
    if (FindInList(list, value, 0, {}, false) == exact) {
        e.DeleteFavorite(value);
        return;
    }
    list.erase(list.begin() + exact);
    std::string names = e.FavoriteMenus;
    while (!names.empty())
        if (TSkPopMenu* menu = e.GetPopMenu(SplitHead(names, ";")))
            menu->DeleteByValue(value);
}

bool RunTopicTreeAction(TSkStract& e, const std::string& name, const std::string& p1,
                        const std::string& p2) {
    if (name == "tree_go_history") {
        if (TSkTree* tree = e.GetTree(p1))
            tree->GoHistory(StrToInt(p2));
    } else if (name == "tree_back") {
        if (TSkTree* tree = e.GetTree(p1))
            tree->GoHistory(tree->HistoryPos + 1);
    } else if (name == "tree_forward") {
        if (TSkTree* tree = e.GetTree(p1))
            tree->GoHistory(tree->HistoryPos - 1);
    } else if (name == "tree_del_favorite") {
        if (TSkTree* tree = e.GetTree(p1))
            if (QTreeWidgetItem* node = tree->Selected())
                DeleteTreeFavorite(e,
                                   tree->Action + "*" + std::to_string(tree->AbsoluteIndex(node)));
    } else if (name == "tree_add_favorite") {
        if (TSkTree* tree = e.GetTree(p1))
            if (QTreeWidgetItem* node = tree->Selected())
                e.AddFavorite(tree->CaptionOf(node) + "=" + tree->Action + "*" +
                              std::to_string(tree->AbsoluteIndex(node)));
    } else if (name == "tree_go") {
        if (TSkTree* tree = e.GetTree(p1)) {
            tree->setFocus();
            tree->SelectNode(tree->FindNodeByDocument(p2));
        }
    } else if (name == "tree_show_or_hide") {
        if (TSkTree* tree = e.GetTree(p1))
            tree->ToggleVisible();
    } else if (name == "tree_next") {
        if (TSkTree* tree = e.GetTree(p1))
            tree->SelectNext();
    } else if (name == "tree_prev") {
        if (TSkTree* tree = e.GetTree(p1))
            tree->SelectPrev();
    } else if (name == "tree_expand") {
        // The tree keeps its visibility: a hidden tree is expanded without being shown.
        if (TSkTree* tree = e.GetTree(p1))
            tree->ExpandAllNodes();
    } else if (name == "tree_collapse") {
        if (TSkTree* tree = e.GetTree(p1))
            tree->CollapseAllNodes();
    } else {
        return false;
    }
    return true;
}

bool RunCheckableTreeAction(TSkStract& e, const std::string& name, const std::string& p1,
                            const std::string& p2) {
    if (name == "treeex_add_favorite") {
        if (TSkTreeEx* tree = e.GetTreeEx(p1))
            if (const std::string document = tree->SelectedDocument(); !document.empty())
                e.AddFavorite(tree->CaptionOf(tree->Selected()) + "=" + document);
    } else if (name == "treeex_go") {
        if (TSkTreeEx* tree = e.GetTreeEx(p1)) {
            tree->setFocus();
            if (QTreeWidgetItem* item = tree->FindItemByDocument(p2)) {
                tree->MakeVisible(item);
                tree->SelectItem(item); // the selection runs the tree's action
            }
        }
    } else if (name == "treeex_check_all") {
        if (TSkTreeEx* tree = e.GetTreeEx(p1))
            tree->CheckAll();
    } else if (name == "treeex_un_check_all") {
        if (TSkTreeEx* tree = e.GetTreeEx(p1))
            tree->ClearChecks();
    } else if (name == "treeex_show_or_hide") {
        if (TSkTreeEx* tree = e.GetTreeEx(p1))
            tree->ToggleVisible();
    } else if (name == "treeex_next") {
        if (TSkTreeEx* tree = e.GetTreeEx(p1))
            tree->SelectNext();
    } else if (name == "treeex_prev") {
        if (TSkTreeEx* tree = e.GetTreeEx(p1))
            tree->SelectPrev();
    } else {
        return false;
    }
    return true;
}

} // namespace

QWidget* MakeTreeObject(TSkStract& engine, QWidget* parent, const std::string& section,
                        TObjectType type) {
    TSkStract* e = &engine;
    if (type == TObjectType::Tree) {
        auto* tree = Create<TSkTree>(parent, section);
        SetThemeObject(tree, "default");
        // A key released in the tree is a click too: the tree fires its click for it.
        tree->Events.OnClick = [e, tree] { RunGuarded([&] { e->ClickControl(tree); }); };
        return tree;
    }
    auto* tree = Create<TSkTreeEx>(parent, section);
    tree->Events.OnClick = [e, tree] { RunGuarded([&] { e->ClickControl(tree); }); };
    // Items are no objects of their own: the tree stands for the item it has just selected.
    tree->OnItemSelected = [e, tree](QTreeWidgetItem* item) {
        RunGuarded([&] { e->TreeExItemChanged(tree, item ? tree : nullptr); });
    };
    tree->Events.OnKeyDown = [e, tree](int key, int shift) {
        RunGuarded([&] { e->KeyControl(tree, key, shift); });
    };
    return tree;
}

void ApplyTreeKey(TSkStract& engine, QWidget* tree, const std::string& key,
                  const std::string& value) {
    if (auto* topic = dynamic_cast<TSkTree*>(tree))
        TreeKey(engine, topic, key, value);
    else if (auto* checkable = dynamic_cast<TSkTreeEx*>(tree))
        TreeExKey(engine, checkable, key, value);
}

void LinkTreeButton(TSkStract& engine, TSkSpeedButton* button, const std::string& key,
                    const std::string& treeName) {
    TSkTree* tree = engine.GetTree(treeName);
    if (!tree)
        return;
    if (key == "but_next_tree")
        tree->NextButton = button;
    else if (key == "but_prev_tree")
        tree->PrevButton = button;
}

bool TreeClickCommand(QObject* sender, std::string& command) {
    std::string document;
    const std::string* action = nullptr;
    if (auto* tree = dynamic_cast<TSkTree*>(sender)) {
        document = tree->SelectedDocument();
        action = &tree->Action;
    } else if (auto* checkable = dynamic_cast<TSkTreeEx*>(sender)) {
        document = checkable->SelectedDocument();
        action = &checkable->Action;
    } else {
        return false;
    }
    // A heading, or no selection, runs nothing.
    command = document.empty() ? std::string() : InsertValue(*action, document, true);
    return true;
}

void TreeKeyControl(QObject* sender, int key) {
    if (auto* tree = dynamic_cast<TSkTreeEx*>(sender); tree && key == 32)
        tree->ToggleSelectedCheck();
}

bool RunTreeAction(TSkStract& engine, const std::string& name, const std::string& p1,
                   const std::string& p2) {
    if (name.compare(0, 4, "tree") != 0)
        return false;
    return RunTopicTreeAction(engine, name, p1, p2) || RunCheckableTreeAction(engine, name, p1, p2);
}

bool AddTreeHistoryItems(TSkStract& engine, TSkPopMenu* menu) {
    const std::string& target = menu->HistoryTarget;
    const bool reports = engine.ReportErrors;
    engine.ReportErrors = false;
    TSkTree* tree = engine.GetTree(target);
    engine.ReportErrors = reports;
    if (!tree)
        return false;
    const int count = static_cast<int>(tree->HistoryNodes.size());
    QTreeWidgetItem* selected = tree->Selected();
    auto add = [&](int n, bool checkSelected) {
        QTreeWidgetItem* node = tree->HistoryNode(n);
        if (!node)
            return; // its node went with a reload of the tree
        TSkItem* item = menu->AddItem(tree->HistoryCaptions[static_cast<size_t>(n)],
                                      "tree_go_history*" + target + "*" + std::to_string(n), "");
        if (checkSelected && node == selected) {
            item->setCheckable(true);
            item->setChecked(true);
        }
    };
    if (menu->ShowBack)
        for (int n = tree->HistoryPos + 1; n < count; ++n)
            add(n, false);
    if (menu->ShowPrev)
        for (int n = 0; n < tree->HistoryPos && n < count; ++n)
            add(n, false);
    if (menu->ShowFull)
        for (int n = 0; n < count; ++n)
            add(n, true);
    return true;
}
