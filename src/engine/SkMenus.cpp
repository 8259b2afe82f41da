// Menus, favorites and history: a popup menu's items come from its section (two fixed groups),
// from the reader's favorites (kept in the settings store between runs) or from a browsing
// history, refilled before the menu shows.

#include "engine/SkStract.h"

#include "SkinControl/SkPopMenu.h"
#include "app/SkForm.h"
#include "engine/SkHelpers.h"
#include "engine/SkHtmlSupport.h"
#include "engine/SkTreeSupport.h"
#include "platform/Codec1251.h"
#include "platform/ConvertError.h"
#include "platform/Services.h"
#include "platform/SkinFrame.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace {

constexpr int kMaxFavorites = 20;

std::string Ru(const char* utf8) {
    return cp1251::FromUtf8(utf8);
}

std::string FavoriteName(int index) {
    return "favorite_" + std::to_string(index);
}

bool HasKey(const TStrings& keys, const char* key) {
    return std::any_of(keys.begin(), keys.end(),
                       [key](const std::string& k) { return cp1251::EqualNoCase(k, key); });
}

bool IsNil(const std::string& action) {
    return cp1251::EqualNoCase(action, "nil");
}

// The value of a favorite entry: everything after its first "=".
std::string ValueOf(const std::string& entry) {
    const size_t pos = entry.find('=');
    return pos == std::string::npos ? std::string() : entry.substr(pos + 1);
}

} // namespace

void TSkStract::BuildMenu(TSkPopMenu* menu, const std::string& section) {
    if (!menu || !Structure)
        return;
    TStrings keys;
    Structure->ReadSection(section, keys);
    if (keys.empty())
        return;
    if (!HasKey(keys, "glob_action") && (!HasKey(keys, "caption") || !HasKey(keys, "action"))) {
        Dialogs().ShowMessage(Ru("Для меню ") + section + Ru(" надо указать все параметры:") +
                              "\r\n" + Ru("Caption, Action и можно Key"));
        return;
    }
    menu->OnItemClick = [this](TSkItem* item) { RunGuarded([this, item] { ClickControl(item); }); };

    for (const std::string& name : keys) {
        const std::string key = cp1251::Lower(name);
        const std::string value = Structure->ReadString(section, name, "");
        if (key == "glob_action") {
            menu->GlobalAction = value;
        } else if (key == "check") {
            menu->CheckIndex = StrToInt(value);
        } else if (key == "length") {
            menu->CaptionLength = StrToInt(value);
        } else if (key == "menu_system") {
            if (Form->SkinForm)
                Form->SkinForm->SetSystemMenu(TextToBool(value, false) ? menu : Form->SystemMenu);
        } else if (key == "favorite") {
            if (TextToBool(value, false))
                FavoriteMenus += (FavoriteMenus.empty() ? "" : ";") + section;
        } else if (key == "history_back") {
            menu->HistoryTarget = value;
            menu->ShowBack = true;
        } else if (key == "history_prev") {
            menu->HistoryTarget = value;
            menu->ShowPrev = true;
        } else if (key == "history_full") {
            menu->HistoryTarget = value;
            menu->ShowFull = true;
        }
    }

    // One group: captions drive it; surplus actions and keys are ignored, missing ones empty.
    auto buildGroup = [&](const char* captionKey, const char* actionKey, const char* keyKey) {
        std::string captions = Structure->ReadString(section, captionKey, "");
        std::string actions = Structure->ReadString(section, actionKey, "");
        std::string keyTexts = Structure->ReadString(section, keyKey, "");
        int count = 0;
        while (!captions.empty()) {
            const std::string caption = SplitHead(captions, ";");
            std::string action = SplitHead(actions, ";");
            const std::string keyText = SplitHead(keyTexts, ";");
            if (action.empty())
                action = menu->GlobalAction;
            menu->AddItem(caption, action, keyText);
            if (!keyText.empty())
                Form->AddHotKey(keyText + "*" + action);
            ++count;
        }
        return count;
    };
    menu->FixedCount = buildGroup("caption", "action", "key");
    menu->LastCount = buildGroup("last_caption", "last_action", "last_key");

    if (menu->CheckIndex != -1)
        if (TSkItem* item = menu->ItemAt(menu->CheckIndex)) {
            item->setCheckable(true);
            item->setChecked(true);
        }
}

bool TSkStract::RefreshHistoryItems(TSkPopMenu* menu) {
    if (!menu || !(menu->ShowBack || menu->ShowPrev || menu->ShowFull))
        return false;
    menu->ClearItems();
    // The history lives in the document view and in the topic tree; a target that is neither
    // leaves the menu empty, without a message. The view is looked for first.
    // The document view's half (SkHtmlSupport.cpp), else the topic tree's (SkTreeSupport.cpp).
    if (!AddHtmlHistoryItems(*this, menu))
        AddTreeHistoryItems(*this, menu);
    return true;
}

void TSkStract::AddFavorite(const std::string& entry) {
    if (FavoriteMenus.empty()) {
        ReportError(Ru("AddFavorite. Укажите меню которое хранит избранное (favorite)"));
        return;
    }
    if (!Favorites)
        Favorites = std::make_unique<TStrings>();
    TStrings& list = *Favorites;
    for (const std::string& held : list)
        if (cp1251::EqualNoCase(held, entry))
            return;
    list.insert(list.begin(), entry);
    if (static_cast<int>(list.size()) > kMaxFavorites)
        list.pop_back();

    std::string caption = entry;
    const std::string headCaption = SplitHead(caption, "=");
    const std::string value = ValueOf(entry);
    bool olderRemoved = false;
    std::string names = FavoriteMenus;
    while (!names.empty()) {
        const std::string name = SplitHead(names, ";");
        TSkPopMenu* menu = GetPopMenu(name);
        if (!menu)
            continue;
        if (menu->GlobalAction.empty()) {
            ReportError(name +
                        Ru(".AddFavorite. Пропишите в меню glob_action для работы избранного"));
            break;
        }
        std::string itemAction;
        if (!IsNil(menu->GlobalAction)) {
            itemAction = InsertValue(menu->GlobalAction, value, true);
            if (TSkItem* older = menu->FindByAction(itemAction)) {
                // The same value under another caption: the newer entry replaces the older one,
                // in the menu and (once, whatever the number of menus) in the list.
                if (!olderRemoved) {
                    for (size_t i = 1; i < list.size(); ++i)
                        if (cp1251::EqualNoCase(ValueOf(list[i]), older->Value)) {
                            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                            olderRemoved = true;
                            break;
                        }
                }
                menu->DeleteByAction(itemAction);
            }
        } else {
            itemAction = value;
            if (menu->FindByAction(itemAction))
                break;
        }
        TSkItem* item = menu->InsertItem(menu->FixedCount, headCaption, "", itemAction);
        if (item)
            item->Value = value;
        if (menu->ItemCount() > menu->FixedCount + menu->LastCount + kMaxFavorites)
            menu->DeleteAt(menu->ItemCount() - menu->LastCount - 1);
    }
}

void TSkStract::DeleteFavorite(const std::string& text) {
    if (!Favorites)
        return;
    const int index = FindInList(*Favorites, text, 0, {}, false);
    if (index < 0)
        return;
    Favorites->erase(Favorites->begin() + index);
    std::string names = FavoriteMenus;
    while (!names.empty())
        if (TSkPopMenu* menu = GetPopMenu(SplitHead(names, ";")))
            menu->DeleteByValue(text);
}

void TSkStract::ReadFavorite() {
    if (FavoriteMenus.empty())
        return;
    if (RegistryPath.empty()) {
        ReportError(Ru("ReadFavorite. Укажите путь в реестре (reg_dat для form)"));
        return;
    }
    // Each entry goes to the front, so the newest (index 0) is read last and ends up first.
    for (int n = kMaxFavorites; n >= 0; --n) {
        const std::string entry = ReadReg(FavoriteName(n));
        if (!entry.empty())
            AddFavorite(entry);
    }
}

void TSkStract::SaveFavorites(bool freeList) {
    if (!Favorites)
        return;
    const int count = static_cast<int>(Favorites->size());
    for (int i = 0; i < count; ++i)
        WriteReg(FavoriteName(i), (*Favorites)[static_cast<size_t>(i)]);
    // Fewer entries than were stored: the values past the end go, so old favorites do not
    // come back on the next run.
    if (!RegistryPath.empty() && count < kMaxFavorites &&
        Settings().ReadString(RegistryPath, FavoriteName(count)))
        for (int n = count; n < kMaxFavorites; ++n)
            Settings().DeleteValue(RegistryPath, FavoriteName(n));
    if (freeList)
        Favorites.reset();
}
