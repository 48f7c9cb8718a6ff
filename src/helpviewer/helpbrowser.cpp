#include "helpviewer/helpbrowser.h"

#include <QDesktopServices>
#include <QHelpEngineCore>
#include <QScrollBar>
#include <QTextFrame>
#include <QTextFrameFormat>
#include <QUrl>

#include <algorithm>

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

void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    QTextBrowser::doSetSource(name, type);
    if (!name.hasFragment())
        return;
    // Room under the last section, so that it can scroll up to the top
    // rather than leave the one before it in view.
    QTextFrame* root = document()->rootFrame();
    QTextFrameFormat format = root->frameFormat();
    format.setBottomMargin(std::max(0, viewport()->height() - 2 * fontMetrics().height()));
    root->setFrameFormat(format);
    scrollToAnchor(name.fragment());
}

void HelpBrowser::followLink(const QUrl& link) {
    if (link.scheme() == QLatin1String("qthelp") || link.isRelative())
        setSource(source().resolved(link));
    else
        QDesktopServices::openUrl(link);
}
