#pragma once

// Opens a workbook in Gnumeric's converter, ssconvert, under German settings
// (de_DE.UTF-8, made for the test in a folder of its own where the system has
// not got it) and reads back each cell as a German user sees it and the type
// Gnumeric gave it: "text", "number" or "yes/no" (or "other"), keyed by
// "row,column" from 0. Empty, with why in *error, when a step fails.

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QXmlStreamReader>

struct SpreadsheetCell {
    QString type;
    QString shown;
};

namespace SpreadsheetDetail {

inline bool run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                QByteArray* output, QString* error) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *error =
            program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    if (output != nullptr)
        *output = process.readAllStandardOutput();
    return true;
}

} // namespace SpreadsheetDetail

inline QHash<QString, SpreadsheetCell> ReadSpreadsheet(const QString& path, QString* error) {
    using SpreadsheetDetail::run;
    QHash<QString, SpreadsheetCell> cells;
    for (const char* tool : {"ssconvert", "localedef", "gzip"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            *error =
                QStringLiteral("%1 is missing (packages gnumeric, locales, gzip)").arg(QLatin1String(tool));
            return {};
        }
    QTemporaryDir work;
    // The German locale, compiled into the test's own folder; glibc finds it there through LOCPATH.
    const QString locales = work.filePath(QStringLiteral("locales"));
    QDir().mkpath(locales);
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"),
                    {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                     QStringLiteral("UTF-8"), locales + QStringLiteral("/de_DE.UTF-8")});
    localedef.waitForFinished(120000);
    if (!QFile::exists(locales + QStringLiteral("/de_DE.UTF-8/LC_NUMERIC"))) {
        *error = QStringLiteral("localedef made no de_DE.UTF-8: ") +
                 QString::fromLocal8Bit(localedef.readAllStandardError());
        return {};
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LANG", "LANGUAGE"})
        environment.insert(QLatin1String(name), QStringLiteral("de_DE.UTF-8"));
    environment.insert(QStringLiteral("LOCPATH"), locales);
    environment.insert(QStringLiteral("HOME"), work.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));

    // What a German user sees in each cell, as ssconvert writes it out.
    const QString shownFile = work.filePath(QStringLiteral("shown.txt"));
    if (!run(QStringLiteral("ssconvert"),
             {QStringLiteral("--export-type=Gnumeric_stf:stf_assistant"),
              QStringLiteral("--export-options=separator=| format=preserve quoting-mode=never"), path,
              shownFile},
             environment, nullptr, error))
        return {};
    QFile shown(shownFile);
    if (!shown.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("ssconvert wrote nothing");
        return {};
    }
    const QStringList lines = QString::fromUtf8(shown.readAll()).split(u'\n');
    for (qsizetype row = 0; row < lines.size(); ++row) {
        const QStringList values = QString(lines[row]).remove(u'\r').split(u'|');
        for (qsizetype column = 0; column < values.size(); ++column)
            if (!values[column].isEmpty())
                cells[QStringLiteral("%1,%2").arg(row).arg(column)].shown = values[column];
    }

    // The type Gnumeric gave each cell, from its own file format.
    const QString nativeFile = work.filePath(QStringLiteral("native.gnumeric"));
    QByteArray xml;
    if (!run(QStringLiteral("ssconvert"), {path, nativeFile}, environment, nullptr, error) ||
        !run(QStringLiteral("gzip"), {QStringLiteral("-dc"), nativeFile}, environment, &xml, error))
        return {};
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.name() != QLatin1String("Cell"))
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        const QString key = attributes.value(QLatin1String("Row")).toString() + u',' +
                            attributes.value(QLatin1String("Col")).toString();
        const int type = attributes.value(QLatin1String("ValueType")).toInt();
        cells[key].type = type == 60   ? QStringLiteral("text")
                          : type == 40 ? QStringLiteral("number")
                          : type == 20 ? QStringLiteral("yes/no")
                                       : QStringLiteral("other");
    }
    return cells;
}
