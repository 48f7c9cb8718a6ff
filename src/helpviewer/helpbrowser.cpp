#include "helpviewer/helpbrowser.h"

#include <QDesktopServices>
#include <QHelpEngineCore>
#include <QUrl>

HelpBrowser::HelpBrowser(QHelpEngineCore& engine, QWidget* parent)
    : QTextBrowser(parent)
    , m_engine(engine) {
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::followLink);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (name.scheme() == QLatin1String("qthelp")) {
        QUrl file = name;
        file.setFragment({});
        return m_engine.fileData(file);
    }
    return QTextBrowser::loadResource(type, name);
}

void HelpBrowser::followLink(const QUrl& link) {
    if (link.scheme() == QLatin1String("qthelp") || link.isRelative())
        setSource(source().resolved(link));
    else
        QDesktopServices::openUrl(link);
}
