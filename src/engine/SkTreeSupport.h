#pragma once
// The engine's side of the two document trees ("tree" and "tree_ex"): creating and wiring them,
// their structure-file keys, their halves of the click and key handlers, their built-in actions
// and the history menus of a topic tree. Each function is called from one place of the shared
// engine files.

#include "engine/SkStract.h"

#include <string>

class QObject;
class QWidget;
class TSkPopMenu;
class TSkSpeedButton;

// MakeObject: a new tree control of that type, named, shown and wired, before its keys are read.
QWidget* MakeTreeObject(TSkStract& engine, QWidget* parent, const std::string& section,
                        TObjectType type);

// SetProperty: one key of a tree's section (the topic tree's "font" is applied by SetProperty
// with the other controls' fonts). Keys outside the tree's table are ignored.
void ApplyTreeKey(TSkStract& engine, QWidget* tree, const std::string& key,
                  const std::string& value);

// "but_next_tree" and "but_prev_tree" of a speed button: the button becomes that tree's button.
void LinkTreeButton(TSkStract& engine, TSkSpeedButton* button, const std::string& key,
                    const std::string& treeName);

// ClickControl: true when the sender is one of the trees; the command is the tree's action with
// the selected document appended, or empty when the selection has no document.
bool TreeClickCommand(QObject* sender, std::string& command);

// KeyControl: the space bar on a checkable tree inverts the selected item's check box.
void TreeKeyControl(QObject* sender, int key);

// Dispatch: carries out a tree_* or treeex_* action and gives true; false for any other name.
// A history position that is not an integer raises EConvertError.
bool RunTreeAction(TSkStract& engine, const std::string& name, const std::string& p1,
                   const std::string& p2);

// RefreshHistoryItems: when the menu's history target is a topic tree, adds the items of its
// history and gives true; false when no tree has that name.
bool AddTreeHistoryItems(TSkStract& engine, TSkPopMenu* menu);
