// The main window: its menus, keys, status line and backdrop, context help,
// and its restore size. What it does for its dialogs is its host's
// (kit/modulehost.cpp).

#include "shell/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QShortcut>
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <utility>

#include "base/profile.h"
#include "base/version.h"
#include "kit/announcer.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/modulehost.h"
#include "kit/moduleloader.h"
#include "kit/showhelp.h"
#include "kit/spokenname.h"
#include "shell/backdrop.h"
#include "shell/menutable.h"
#include "shell/statusline.h"

namespace {

constexpr QSize kRestoreSize(620, 440);

// Alt pressed and released alone puts the keyboard into the menu bar, in
// every widget style, and the menu it is on is drawn highlighted as when it
// is open (some styles highlight only an open one).
class MenuKeyStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuBarItem && item != nullptr && widget != nullptr && widget->hasFocus() &&
            (option->state & State_Selected)) {
            QStyleOptionMenuItem shown(*item);
            shown.state |= State_Sunken;
            QProxyStyle::drawControl(element, &shown, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

// Up to 128 pixels, the largest a task bar or window switcher shows of a
// window's own icon (the desktop's icons, dist/, go further): X11 keeps every
// size given, and a 256-pixel one alone cost the program half a megabyte.
QIcon CMainFrame::ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/ollo-%1.png").arg(size), QSize(size, size));
    return icon;
}

CMainFrame::CMainFrame(CProfile& profile, const CommandTable& appCommands, const QString& helpFile,
                       QWidget* parent)
    : QMainWindow(parent)
    , m_profile(profile)
    , m_appCommands(appCommands)
    , m_host(std::make_unique<ModuleHost>(this, helpFile, ProgramModuleFolders())) {
    SetDialogHost(this, m_host.get());
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromUtf8("Ollo für Windows 95 V" OLLO_VERSION));

    m_backdrop = new Backdrop(m_profile);
    setCentralWidget(m_backdrop);
    // Qt decodes every size of the icon at once, and X11 takes them all: the
    // icon waits until the backdrop has first been painted on screen (see
    // eventFilter).
    m_backdrop->installEventFilter(this);
    m_statusLine = new StatusLine;
    setStatusBar(m_statusLine);
    m_menuNews = new Announcer(this);

    buildMenus();
    buildMenuKeys();
    buildAccelerators();
    buildCommandTable();
    showIdlePrompt();
    resize(kRestoreSize);
}

CMainFrame::~CMainFrame() {
    leaveContextHelp();
    // Dialogs still open close with the frame, after its host.
    SetDialogHost(this, nullptr);
}

SpeechVoice* CMainFrame::speaker() const {
    return m_host->speaker();
}

QWidget* CMainFrame::helpWindow() const {
    return m_host->helpWindow();
}

void CMainFrame::setHelpHandler(std::function<bool(int data, HelpCommand command)> handler) {
    m_host->setHelpHandler(std::move(handler));
}

void CMainFrame::setSoundPlayer(std::function<void(const QString& fileName)> player) {
    m_host->setSoundPlayer(std::move(player));
}

void CMainFrame::setSpeechOutput(std::function<void(const QString& text)> speak, SpeechStatus status) {
    m_host->setSpeechOutput(std::move(speak), std::move(status));
}

void CMainFrame::buildCommandTable() {
    m_commands.add(Cmd::StatusBar, [this] { toggleStatusBar(); });
    m_commands.add(Cmd::HelpContents, [this] { ShowHelp(this, 0, HelpCommand::Finder); });
    m_commands.add(Cmd::HelpFinder, [this] { ShowHelp(this, 0, HelpCommand::Finder); });
    m_commands.add(Cmd::ContextHelp, [this] { enterContextHelp(); });
}

void CMainFrame::buildMenus() {
    for (const MenuTable::Menu& menuSpec : MenuTable::MainMenu()) {
        QMenu* menu = menuBar()->addMenu(menuSpec.title);
        for (const MenuTable::Item& item : menuSpec.items) {
            if (item.commandId == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(item.text);
            if (!item.spokenName.isEmpty())
                SetSpokenName(action, item.spokenName);
            const int id = item.commandId;
            action->setData(id);
            action->setEnabled(hasHandler(id));
            connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
            connect(action, &QAction::hovered, this,
                    [this, id] { m_statusLine->setMessage(MenuTable::Prompt(id)); });
            m_actions[id] = action;
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { menuOpening(menu); });
        connect(menu, &QMenu::aboutToHide, this, &CMainFrame::menuClosing);
    }
    m_actions.at(Cmd::StatusBar)->setCheckable(true);
    m_actions.at(Cmd::StatusBar)->setChecked(true);
}

void CMainFrame::buildMenuKeys() {
    auto* style = new MenuKeyStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(this);
    menuBar()->setStyle(style);
    // F10 opens the first menu; the arrows lead on to the others.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        const QList<QAction*> menus = menuBar()->actions();
        if (!menus.isEmpty())
            menuBar()->setActiveAction(menus.front());
    });
}

void CMainFrame::buildAccelerators() {
    for (const MenuTable::Accelerator& accelerator : MenuTable::Accelerators()) {
        auto* shortcut = new QShortcut(QKeySequence(accelerator.key), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = accelerator.commandId;
        connect(shortcut, &QShortcut::activated, this, [this, id] {
            // Keys whose command nobody handles do nothing, in either mode.
            if (hasHandler(id))
                runCommand(id);
        });
    }
}

bool CMainFrame::hasHandler(int commandId) const {
    return m_commands.has(commandId) || m_appCommands.has(commandId);
}

bool CMainFrame::runCommand(int commandId) {
    if (m_contextHelp) {
        if (commandId == Cmd::ContextHelp)
            return true;
        leaveContextHelp();
        ShowHelp(this, Help::forCommand(commandId));
        return true;
    }
    return m_commands.run(commandId) || m_appCommands.run(commandId);
}

QAction* CMainFrame::action(int commandId) const {
    const auto it = m_actions.find(commandId);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::repaintBackdrop() {
    m_backdrop->update();
}

void CMainFrame::menuOpening(QMenu* menu) {
    // Coming from the menu beside it, a screen reader would go straight to
    // the first item; it hears where it is first. Opening a menu from the bar
    // names it already.
    if (m_menuJustClosed)
        m_menuNews->announce(QString(menu->title()).remove(u'&'));
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        // In context-help mode every item can be chosen for its topic.
        action->setEnabled(m_contextHelp || hasHandler(action->data().toInt()));
    }
    m_actions.at(Cmd::StatusBar)->setChecked(m_statusLine->isVisible());
    m_statusLine->setMessage({});
    m_statusLine->setWidened(true);
    Q_EMIT menuOpened();
}

void CMainFrame::menuClosing() {
    // Moving from one menu of the bar to the next closes one popup and opens
    // another; only when no popup follows has the menu mode ended.
    m_menuJustClosed = true;
    QTimer::singleShot(0, this, [this] {
        m_menuJustClosed = false;
        if (QApplication::activePopupWidget() != nullptr)
            return;
        m_statusLine->setWidened(false);
        showIdlePrompt();
    });
}

void CMainFrame::setChildName(const QString& name) {
    m_childName = name;
    const QString title = QString::fromUtf8("Ollo für Windows 95 V" OLLO_VERSION);
    setWindowTitle(m_childName.isEmpty() ? title : title + QStringLiteral(" – ") + m_childName);
    if (!m_statusLine->isWidened())
        showIdlePrompt();
}

void CMainFrame::showIdlePrompt() {
    if (m_contextHelp)
        m_statusLine->setMessage(MenuTable::ContextHelpPrompt());
    else if (!m_childName.isEmpty())
        m_statusLine->setMessage(MenuTable::ChildIdlePrompt(m_childName));
    else
        m_statusLine->setMessage(MenuTable::IdlePrompt());
}

void CMainFrame::toggleStatusBar() {
    m_statusLine->setVisible(!m_statusLine->isVisible());
    m_actions.at(Cmd::StatusBar)->setChecked(m_statusLine->isVisible());
}

void CMainFrame::enterContextHelp() {
    if (m_contextHelp)
        return;
    m_contextHelp = true;
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    qApp->installEventFilter(this);
    showIdlePrompt();
}

void CMainFrame::leaveContextHelp() {
    if (!m_contextHelp)
        return;
    m_contextHelp = false;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    showIdlePrompt();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // The paint that the start asks for itself comes before the window is
    // mapped, and shows nothing yet.
    if (watched == m_backdrop && event->type() == QEvent::Paint && !m_iconSet && windowHandle() != nullptr &&
        windowHandle()->isExposed()) {
        m_iconSet = true;
        m_backdrop->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { setWindowIcon(ProgramIcon()); });
    }
    if (!m_contextHelp)
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        QApplication::activePopupWidget() == nullptr) {
        leaveContextHelp();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Menus open as usual; their command then opens its topic.
        if (qobject_cast<QMenuBar*>(widget) != nullptr || qobject_cast<QMenu*>(widget) != nullptr)
            return false;
        int topic = 0;
        if (widget == m_backdrop || m_backdrop->isAncestorOf(widget))
            topic = Help::forTemplate(Help::MainWindowResource);
        else if (widget == m_statusLine || m_statusLine->isAncestorOf(widget))
            topic = Help::forCommand(Cmd::StatusBar);
        leaveContextHelp();
        if (topic != 0)
            ShowHelp(this, topic);
        return true;
    }
    return false;
}

bool CMainFrame::event(QEvent* event) {
    // The message line shows the prompts itself.
    if (event->type() == QEvent::StatusTip)
        return true;
    const bool handled = QMainWindow::event(event);
    if (m_fittingRestore && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        fitRestoreSize();
    return handled;
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const Qt::WindowStates notNormal = Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen;
    if (windowState() & notNormal) {
        m_fittingRestore = false;
        return;
    }
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (m_restorePending && (change->oldState() & Qt::WindowMaximized)) {
        m_restorePending = false;
        m_fittingRestore = true;
        QTimer::singleShot(0, this, &CMainFrame::fitRestoreSize);
    }
}

// The window manager changes its frame around the window as it restores it
// (a maximised window has no borders), and reports the new one afterwards:
// the size follows each frame reported until the window is maximised or
// minimised again. A size the user drags leaves the frame as it is, so it
// stays.
void CMainFrame::fitRestoreSize() {
    const QWindow* window = windowHandle();
    if (!m_fittingRestore || window == nullptr)
        return;
    const QMargins frame = window->frameMargins();
    if (frame == m_restoreFrame)
        return;
    m_restoreFrame = frame;
    resize(kRestoreSize.shrunkBy(frame));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}
