#pragma once

class QAction;
class QString;

// A menu item that a screen reader names otherwise than it reads: "7-er
// Reihe, teilen" for the "7-er Reihe" of the menu "Division", which would
// otherwise sound like the one of "Kleines 1X1". The visible text stays. For
// an item of one menu, without a submenu; an empty name is the text again.
void SetSpokenName(QAction* action, const QString& name);
