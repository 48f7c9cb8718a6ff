#pragma once

// Command ids of the menus and buttons. They are part of the program's outside
// face: help topics are addressed as Help::CommandBase + command id.

namespace Cmd {

// Series of "&Kleines 1X1" (1 to 10), "&Großes 1X1" (11 to 20) and their kin.
inline constexpr int SeriesSmallFirst = 32771; // "1-er Reihe" .. 32780 "10-er Reihe"
inline constexpr int SeriesLargeFirst = 32781; // "11-er Reihe" .. 32790 "20-er Reihe"
inline constexpr int AnyMultiplication = 32791;
inline constexpr int Multiply100 = 32792;
inline constexpr int Multiply1000 = 32793;
inline constexpr int DivisionFirst = 32794; // "1-er Reihe" .. 32803 "10-er Reihe"
inline constexpr int AnyDivision = 32804;
inline constexpr int HeadingMultiplication = 32805; // greyed, never handled
inline constexpr int HeadingDivision = 32806;       // greyed, never handled
inline constexpr int Divide100 = 32807;
inline constexpr int Divide1000 = 32810;
inline constexpr int HardFacts = 32871; // "Schwierige Aufgaben": the facts still hard, from every series

// "Optionen"
inline constexpr int BigFont = 32808;
inline constexpr int SmallFont = 32809;
inline constexpr int Options = 32811;
inline constexpr int PraiseList = 32812;
inline constexpr int Sound = 32860;
inline constexpr int StatusBar = 59393;
inline constexpr int Progress = 32870;    // "&Lernfortschritt..."
inline constexpr int SwitchChild = 32872; // "Kind &wechseln..."
// The teacher's "Klassenübersicht" (ollo --klasse), a window of its own
inline constexpr int ClassView = 32873;

// "&Hilfe"
inline constexpr int Contact = 32819;
inline constexpr int Internet = 32821;
inline constexpr int OwnExercises = 32823;
inline constexpr int Publisher = 32826;
inline constexpr int About = 57664;
inline constexpr int HelpContents = 57667;
inline constexpr int ContextHelp = 57669;
inline constexpr int HelpFinder = 57671;

inline constexpr int Exit = 57665;

// Accelerators without a handler: copy, paste, cut, undo.
inline constexpr int EditCopy = 57634;
inline constexpr int EditCut = 57635;
inline constexpr int EditPaste = 57637;
inline constexpr int EditUndo = 57643;

// Dialog results and the buttons that give them.
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;
inline constexpr int IdHelp = 9;

} // namespace Cmd
