#pragma once

// The main window's menu bar, accelerators and status-bar prompts as data.
// The main frame builds its menus and shortcuts from these tables and looks
// every item's command up in the command tables when a menu opens, so an item
// without a handler is greyed by construction.

#include <QKeyCombination>
#include <QString>

#include <vector>

namespace MenuTable {

// A command id of 0 marks a separator. A screen reader says spokenName
// instead of the text where the text alone sounds like another menu's item.
struct Item {
    int commandId = 0;
    QString text;
    QString spokenName = {};
};

struct Menu {
    QString title;
    std::vector<Item> items;
};

struct Accelerator {
    QKeyCombination key;
    int commandId = 0;
};

// Menu 128, in the order the menu bar shows it.
const std::vector<Menu>& MainMenu();

// Accelerator table 128.
const std::vector<Accelerator>& Accelerators();

// The status-bar prompt of a command: the first line of its string, empty
// when it has none.
QString Prompt(int commandId);

// The message line while no menu is open, and in context-help mode.
QString IdlePrompt();
QString ContextHelpPrompt();
// The message line while no menu is open and the program runs for a child.
QString ChildIdlePrompt(const QString& childName);

} // namespace MenuTable
