#include "kit/showhelp.h"

#include <QApplication>
#include <QMessageBox>
#include <QShortcut>
#include <QVariant>
#include <QWidget>

#include <utility>

namespace {

// The window's host, as a plain pointer: read the same by every copy of this
// code, whatever module it is in.
constexpr char kHostProperty[] = "olloDialogHost";

// The owner of the failure message: the dialog that asked, else the main window.
QWidget* messageOwner() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// An open menu would swallow the help window's first click.
void endMenuMode() {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (!popup->close())
            break;
    }
}

} // namespace

void SetDialogHost(QWidget* window, DialogHost* host) {
    window->setProperty(kHostProperty, host ? QVariant::fromValue(static_cast<void*>(host)) : QVariant());
}

DialogHost* HostOf(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (void* host = w->property(kHostProperty).value<void*>())
            return static_cast<DialogHost*>(host);
    }
    return nullptr;
}

bool ShowHelp(const QWidget* from, int data, HelpCommand command) {
    return ShowHelp(HostOf(from), data, command);
}

bool ShowHelp(DialogHost* host, int data, HelpCommand command) {
    endMenuMode();
    if (host != nullptr)
        return host->showHelp(data, command);
    ReportHelpFailure();
    return false;
}

void AddHelpKey(QWidget* window, int data) {
    new QShortcut(QKeySequence(Qt::Key_F1), window, window, [window, data] { ShowHelp(window, data); });
}

void PlaySoundFor(const QWidget* from, const QString& fileName) {
    if (DialogHost* host = HostOf(from))
        host->playSound(fileName);
}

void PrepareSoundFor(const QWidget* from) {
    if (DialogHost* host = HostOf(from))
        host->prepareSound();
}

QString SoundUnavailableFor(const QWidget* from) {
    DialogHost* host = HostOf(from);
    return host ? host->soundUnavailable() : QString();
}

void SpeakFor(const QWidget* from, const QString& text) {
    if (DialogHost* host = HostOf(from))
        host->speak(text);
}

void StopSpeakingFor(const QWidget* from) {
    if (DialogHost* host = HostOf(from))
        host->stopSpeaking();
}

SpeechStatus FindSpeechFor(QWidget* from, std::function<void(const SpeechStatus&)> changed) {
    if (DialogHost* host = HostOf(from))
        return host->findSpeech(from, std::move(changed));
    return {SpeechStatus::State::Unavailable, QString::fromUtf8("Ohne Hauptfenster wird nichts vorgelesen.")};
}

void ReportHelpFailure() {
    QMessageBox::warning(messageOwner(), QStringLiteral("Ollo"),
                         QString::fromUtf8("Die Hilfe konnte nicht aufgerufen werden."));
}

void DialogHost::reportNotStored(QWidget* dialog, const QString& message) {
    QMessageBox::warning(dialog, QStringLiteral("Ollo"), message);
}

void ReportNotStored(QWidget* dialog, const QString& reason) {
    const QString message = QString::fromUtf8("Die Änderungen konnten nicht gespeichert werden.\n\n%1\n\n"
                                              "Die Werte bleiben im Fenster stehen.")
                                .arg(reason);
    if (DialogHost* host = HostOf(dialog)) {
        host->reportNotStored(dialog, message);
        return;
    }
    QMessageBox::warning(dialog, QStringLiteral("Ollo"), message);
}
