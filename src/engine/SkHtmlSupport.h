#pragma once
// The engine's side of the document view ("html"): creating and wiring it, its structure-file
// keys, the label's "html_title" link, the html_* actions and the view's history menus. Each
// function is called from one place of the shared engine files.

#include "engine/SkStract.h"

#include <string>

class QWidget;
class TSkLabel;
class TSkPopMenu;

// MakeObject: a new document view, named, shown and wired to Dispatch, before its keys are read.
QWidget* MakeHtmlObject(TSkStract& engine, QWidget* parent, const std::string& section);

// SetProperty: one key of a view's section. Keys outside the view's table are ignored.
void ApplyHtmlKey(TSkStract& engine, QWidget* view, const std::string& key,
                  const std::string& value);

// "html_title" of a label: the view of that name shows its documents' titles in the label.
void LinkHtmlTitle(TSkStract& engine, TSkLabel* label, const std::string& viewName);

// Dispatch: carries out an html_* action and gives true; false for any other name (printing
// and preview are not the engine's yet). A history index that is not an integer raises
// EConvertError.
bool RunHtmlAction(TSkStract& engine, const std::string& name, const std::string& p1,
                   const std::string& p2);

// RefreshHistoryItems: when the menu's history target is a document view, adds the items of its
// history and gives true; false when no view has that name.
bool AddHtmlHistoryItems(TSkStract& engine, TSkPopMenu* menu);
