#include "shell/startupguard.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler g_previous = nullptr;
QList<HeldMessage> g_held;
QString g_program;

// The cause in Qt's words: what its platform plugin reported first ("could
// not connect to display"; what follows are consequences), else the first
// sentence of the fatal message.
QString causeOf(const QString& fatal) {
    for (const HeldMessage& message : std::as_const(g_held))
        if (message.type == QtWarningMsg && message.category.startsWith("qt.qpa") &&
            !message.text.trimmed().isEmpty())
            return message.text.trimmed();
    const QString first = fatal.section(u'\n', 0, 0).trimmed();
    return first.section(QStringLiteral(". "), 0, 0).remove(QRegularExpression(QStringLiteral("\\.$")));
}

void hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(StartupGuard::FailureLine(g_program, causeOf(text)).toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
        // Nothing of the half-made application object is worth tearing down.
        std::_Exit(1);
    }
    g_held.append({type, QByteArray(context.category ? context.category : ""), text});
}

} // namespace

StartupGuard::StartupGuard(const QString& program) {
    g_program = program;
    g_held.clear();
    g_previous = qInstallMessageHandler(&hold);
}

StartupGuard::~StartupGuard() {
    qInstallMessageHandler(g_previous);
    const QList<HeldMessage> held = std::exchange(g_held, {});
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
}

QString StartupGuard::FailureLine(const QString& program, const QString& cause) {
    return QString::fromUtf8("%1: Ollo kann kein Fenster öffnen (%2).\n").arg(program, cause);
}
