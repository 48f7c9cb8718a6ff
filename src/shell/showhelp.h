#pragma once

#include <functional>

// Every help request of the program goes through ShowHelp: a context number
// (kCommandHelpBase + command id, kDialogHelpBase + template id) opens its
// topic, Finder opens contents and index. When the help cannot be opened the
// user sees "Die Hilfe konnte nicht aufgerufen werden." and nothing else changes.

enum class HelpCommand { Context = 1, Finder = 11 };

bool ShowHelp(int data, HelpCommand command = HelpCommand::Context);

// Tests (and the application while it starts) may take the requests over; an
// empty handler restores the help window.
using HelpHandler = std::function<bool(int data, HelpCommand command)>;
void SetHelpHandler(HelpHandler handler);
