#pragma once

#include <QTextBrowser>

class QHelpEngineCore;

// Shows the help file's topics: qthelp:// addresses are read from the help
// engine, links to the web open in the desktop's browser. A topic opened at
// a section shows that section's heading at the top, the page's last one too.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    explicit HelpBrowser(QHelpEngineCore& engine, QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    void followLink(const QUrl& link);

    QHelpEngineCore& m_engine;
};
