#include "shell/menutable.h"

#include <map>

#include "kit/commandids.h"

namespace MenuTable {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// spoken: what a screen reader adds to each series item, so that the items
// of "Division" do not sound like those of "Kleines 1X1".
Menu seriesMenu(const char* title, int firstId, int firstNumber, int anyId, const char* spoken = nullptr) {
    const auto said = [spoken](const QString& text) {
        return spoken ? text + QStringLiteral(", ") + u8(spoken) : QString();
    };
    Menu menu{u8(title), {}};
    for (int i = 0; i < 10; ++i) {
        const QString text = QStringLiteral("%1-er Reihe").arg(firstNumber + i);
        menu.items.push_back({firstId + i, text, said(text)});
    }
    menu.items.push_back({});
    const QString any = u8(anyId == Cmd::Exit ? "&Beenden" : "Beliebige Reihe");
    menu.items.push_back({anyId, any, anyId == Cmd::Exit ? QString() : said(any)});
    return menu;
}

std::vector<Menu> buildMainMenu() {
    std::vector<Menu> menus;
    menus.push_back(seriesMenu("&Kleines 1X1", Cmd::SeriesSmallFirst, 1, Cmd::Exit));
    menus.push_back(seriesMenu("&Großes 1X1", Cmd::SeriesLargeFirst, 11, Cmd::AnyMultiplication));
    menus.push_back(seriesMenu("Division", Cmd::DivisionFirst, 1, Cmd::AnyDivision, "teilen"));
    // The headings are greyed, so a screen reader passes them by; each item
    // carries its heading instead.
    menus.push_back({u8("&Sonderreihen"),
                     {{Cmd::HeadingMultiplication, u8("Multiplikation")},
                      {},
                      {Cmd::Multiply100, u8("100-er Reihe"), u8("100-er Reihe, Multiplikation")},
                      {Cmd::Multiply1000, u8("1000-er Reihe"), u8("1000-er Reihe, Multiplikation")},
                      {},
                      {Cmd::HeadingDivision, u8("Division")},
                      {},
                      {Cmd::Divide100, u8("100-er Reihe"), u8("100-er Reihe, Division")},
                      {Cmd::Divide1000, u8("1000-er Reihe"), u8("1000-er Reihe, Division")},
                      {},
                      {Cmd::HardFacts, u8("Schwierige Aufgaben")}}});
    menus.push_back({u8("Optionen"),
                     {{Cmd::StatusBar, u8("S&tatusleiste")},
                      {},
                      {Cmd::Options, u8("Einstellungen")},
                      {Cmd::PraiseList, u8("Eigene Lobe")},
                      {Cmd::Sound, u8("Sound")},
                      {},
                      {Cmd::BigFont, u8("Großer Zeichensatz")},
                      {Cmd::SmallFont, u8("Kleiner Zeichensatz")},
                      {},
                      {Cmd::Progress, u8("&Lernfortschritt...")},
                      {},
                      {Cmd::SwitchChild, u8("Kind &wechseln...")}}});
    menus.push_back({u8("&Hilfe"),
                     {{Cmd::HelpContents, u8("&Hilfethemen")},
                      {},
                      {Cmd::Internet, u8("Internet")},
                      {},
                      {Cmd::OwnExercises, u8("Eigene Übungen")},
                      {},
                      {Cmd::Publisher, u8("Über das Ollo-Projekt")},
                      {},
                      {Cmd::Contact, u8("Fragen und Probleme")},
                      {Cmd::About, u8("Inf&o über Ollo...")}}});
    return menus;
}

// The string table: prompt, then after "\n" the short name a tooltip would use.
const std::map<int, const char*>& strings() {
    static const std::map<int, const char*> table = {
        {Cmd::Exit, "Verläßt die Anwendung; fragt, ob Dokumente gespeichert werden sollen.\nBeenden"},
        {Cmd::StatusBar, "Blendet die Statusleiste ein oder aus.\nStatusleiste ein/aus"},
        // The two texts the string table holds for the settings and the
        // praise list, shown with the items they describe.
        {Cmd::Options, "Grundlegende Programmeinstellungen setzen"},
        {Cmd::PraiseList, "Hier können Sie Ihre eigenen Sprüche eingeben."},
        {Cmd::Sound, "Soundausgabe einschalten bzw. abschalten"},
        {Cmd::HardFacts, "Übt die Aufgaben aus allen Reihen, die Ihrem Kind noch schwerfallen.\nSchwierige "
                         "Aufgaben"},
        {Cmd::Progress,
         "Zeigt, was Ihr Kind geübt hat und welche Aufgaben schon sicher sitzen.\nLernfortschritt"},
        {Cmd::SwitchChild, "Wechselt zu einem anderen Kind, mit dessen Einstellungen und Lernverlauf.\nKind "
                           "wechseln"},
        {Cmd::HelpContents, "Listet die Hilfethemen auf.\nHilfethemen"},
        {Cmd::Internet, "Besuchen Sie unsere WEB-Page im Internet !"},
        {Cmd::OwnExercises, "Informationen zu dem Menü \"Eigene\""},
        {Cmd::Publisher, "Wer hinter Ollo steht und wie Sie mitmachen können"},
        {Cmd::Contact, "Kontaktadresse und Hotline"},
        {Cmd::About, "Zeigt Programm-Informationen, Versionsnummer und Copyright an.\nInfo"},
    };
    return table;
}

} // namespace

const std::vector<Menu>& MainMenu() {
    static const std::vector<Menu> menus = buildMainMenu();
    return menus;
}

const std::vector<Accelerator>& Accelerators() {
    static const std::vector<Accelerator> table = {
        {QKeyCombination(Qt::Key_F1), Cmd::HelpContents},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_F1), Cmd::ContextHelp},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_C), Cmd::EditCopy},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_Insert), Cmd::EditCopy},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_V), Cmd::EditPaste},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert), Cmd::EditPaste},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_X), Cmd::EditCut},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Delete), Cmd::EditCut},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_Z), Cmd::EditUndo},
        {QKeyCombination(Qt::AltModifier, Qt::Key_Backspace), Cmd::EditUndo},
    };
    return table;
}

QString Prompt(int commandId) {
    const auto it = strings().find(commandId);
    if (it == strings().end())
        return {};
    const QString text = QString::fromUtf8(it->second);
    return text.section(u'\n', 0, 0);
}

QString IdlePrompt() {
    return u8("Drücken Sie F1, um Hilfe zu erhalten.");
}

QString ChildIdlePrompt(const QString& childName) {
    return u8("%1 rechnet. Drücken Sie F1, um Hilfe zu erhalten.").arg(childName);
}

QString ContextHelpPrompt() {
    return u8("Wählen Sie das Objekt, zu dem Sie Hilfe wünschen.");
}

} // namespace MenuTable
