// Checks the built help file: every context number the program can ask for
// reaches exactly one topic (and its anchor), every link between topics
// lands, and every topic is well-formed UTF-8 HTML.

#include <QHelpEngineCore>
#include <QHelpLink>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

#include "kit/helpcontexts.h"

class TestHelpFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void contextReachesTopic_data();
    void contextReachesTopic();
    void topicIsWellFormed_data();
    void topicIsWellFormed();
    void linksLand_data();
    void linksLand();

private:
    void addTopicRows();
    QByteArray topic(const QUrl& url) const;
    static bool hasAnchor(const QByteArray& html, const QString& anchor);

    QTemporaryDir m_collectionDir;
    std::unique_ptr<QHelpEngineCore> m_engine;
};

void TestHelpFile::initTestCase() {
    const QString helpFile = QStringLiteral(OLLO_HELP_FILE);
    QVERIFY2(QFile::exists(helpFile), qPrintable(helpFile));
    QVERIFY(m_collectionDir.isValid());
    // The engine writes the registration into its collection file.
    m_engine = std::make_unique<QHelpEngineCore>(m_collectionDir.filePath("ollo.qhc"));
    m_engine->setReadOnly(false);
    QVERIFY2(m_engine->setupData(), qPrintable(m_engine->error()));
    QVERIFY2(m_engine->registerDocumentation(helpFile), qPrintable(m_engine->error()));
    QCOMPARE(QHelpEngineCore::namespaceName(helpFile), QStringLiteral("org.ollo.hilfe.1.1"));
}

QByteArray TestHelpFile::topic(const QUrl& url) const {
    QUrl file = url;
    file.setFragment(QString());
    return m_engine->fileData(file);
}

bool TestHelpFile::hasAnchor(const QByteArray& html, const QString& anchor) {
    const QRegularExpression target(
        QStringLiteral("\\b(?:name|id)=\"%1\"").arg(QRegularExpression::escape(anchor)));
    return target.match(QString::fromUtf8(html)).hasMatch();
}

void TestHelpFile::contextReachesTopic_data() {
    QTest::addColumn<int>("context");
    for (const int context : Help::AllContexts)
        QTest::addRow("ctx.%d", context) << context;
}

void TestHelpFile::contextReachesTopic() {
    QFETCH(int, context);
    const QList<QHelpLink> links = m_engine->documentsForIdentifier(QStringLiteral("ctx.%1").arg(context));
    QCOMPARE(links.size(), 1);

    const QUrl url = links.first().url;
    QVERIFY2(!links.first().title.isEmpty(), qPrintable(url.toString()));
    const QByteArray html = topic(url);
    QVERIFY2(!html.isEmpty(), qPrintable(url.toString()));
    if (url.hasFragment())
        QVERIFY2(hasAnchor(html, url.fragment()), qPrintable(url.toString()));
}

void TestHelpFile::addTopicRows() {
    QTest::addColumn<QUrl>("url");
    const QString ns = QHelpEngineCore::namespaceName(QStringLiteral(OLLO_HELP_FILE));
    const QList<QUrl> files = m_engine->files(ns, QString(), QStringLiteral("html"));
    QVERIFY(files.size() >= 20);
    for (const QUrl& url : files)
        QTest::newRow(qPrintable(url.fileName())) << url;
}

void TestHelpFile::topicIsWellFormed_data() {
    addTopicRows();
}

void TestHelpFile::topicIsWellFormed() {
    QFETCH(QUrl, url);
    const QByteArray html = topic(url);
    QVERIFY(!html.isEmpty());

    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(html);
    QVERIFY2(!utf8.hasError(), "not valid UTF-8");
    QVERIFY(text.contains(QLatin1String("charset=utf-8")));
    QVERIFY(QRegularExpression(QStringLiteral("<title>[^<]+</title>")).match(text).hasMatch());
    QVERIFY(text.contains(QLatin1String("href=\"ollo.css\"")));
    // A table says something in every cell.
    static const QRegularExpression emptyCell(QStringLiteral("<t[dh][^>]*>\\s*</t[dh]>"));
    QVERIFY2(!emptyCell.match(text).hasMatch(), qPrintable(emptyCell.match(text).captured()));
    QVERIFY(text.trimmed().endsWith(QLatin1String("</html>")));
}

void TestHelpFile::linksLand_data() {
    addTopicRows();
}

void TestHelpFile::linksLand() {
    QFETCH(QUrl, url);
    const QString text = QString::fromUtf8(topic(url));
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));

    QStringList broken;
    for (const QRegularExpressionMatch& link : href.globalMatch(text)) {
        const QUrl relative(link.captured(1));
        if (!relative.scheme().isEmpty()) // web and mail addresses leave the help
            continue;
        const QUrl target = url.resolved(relative);
        const QByteArray html = topic(target);
        if (html.isEmpty() || (target.hasFragment() && !hasAnchor(html, target.fragment())))
            broken << link.captured(1);
    }
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join(QLatin1String(", "))));
}

QTEST_GUILESS_MAIN(TestHelpFile)
#include "tst_helpfile.moc"
