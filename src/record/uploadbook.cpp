// What has been sent of a class computer's records, kept in each record.

#include "record/uploadbook.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include "base/classroster.h"

UploadBook::UploadBook(const QString& filePath)
    : m_name(QStringLiteral("ollo-class-record-%1").arg(quintptr(this))) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(filePath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!QFileInfo(filePath).isFile() || !db.open())
        return;
    QSqlQuery query(db);
    // A record the program is still setting up is left for the next run.
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next() || query.value(0).toInt() < 1)
        return;
    m_open =
        query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS class_upload ("
                                  " single INTEGER PRIMARY KEY CHECK (single = 1),"
                                  " namespace TEXT NOT NULL,"
                                  " drill INTEGER NOT NULL DEFAULT 0,"
                                  " task INTEGER NOT NULL DEFAULT 0,"
                                  " answer INTEGER NOT NULL DEFAULT 0,"
                                  " open_drill INTEGER NOT NULL DEFAULT 0,"
                                  " set_aside INTEGER NOT NULL DEFAULT 0)")) &&
        query.prepare(QStringLiteral("INSERT OR IGNORE INTO class_upload (single, namespace) VALUES (1, ?)"));
    if (m_open) {
        query.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
        m_open = query.exec();
    }
}

UploadBook::~UploadBook() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool UploadBook::readMarks(UploadMarks& marks) const {
    QSqlQuery query(db());
    if (!query.exec(QStringLiteral(
            "SELECT namespace, drill, task, answer, open_drill, set_aside FROM class_upload")) ||
        !query.next())
        return false;
    marks = {QUuid::fromString(query.value(0).toString()),
             query.value(1).toLongLong(),
             query.value(2).toLongLong(),
             query.value(3).toLongLong(),
             query.value(4).toLongLong(),
             query.value(5).toBool()};
    return !marks.space.isNull();
}

bool UploadBook::writeMarks(const UploadMarks& marks) const {
    QSqlQuery query(db());
    query.prepare(QStringLiteral("UPDATE class_upload SET drill = ?, task = ?, answer = ?, open_drill = ?,"
                                 " set_aside = ?"));
    for (const QVariant& value : {QVariant(marks.drill), QVariant(marks.task), QVariant(marks.answer),
                                  QVariant(marks.openDrill), QVariant(int(marks.setAside))})
        query.addBindValue(value);
    return query.exec();
}

int UploadBook::waiting(const UploadMarks& marks) const {
    if (marks.setAside)
        return 0;
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT count(*) FROM answer WHERE id > ?"));
    query.addBindValue(marks.answer);
    return query.exec() && query.next() ? query.value(0).toInt() : 0;
}

std::vector<std::pair<QString, QString>> ClassRecords(const ClassRoster& roster) {
    std::vector<std::pair<QString, QString>> records;
    const QString prefix = roster.recordBaseName(QString());
    const QDir folder(ClassRoster::DataFolder());
    for (const QString& name :
         folder.entryList({prefix + QStringLiteral("*.sqlite")}, QDir::Files, QDir::Name)) {
        const QString id = name.mid(prefix.size()).chopped(int(qstrlen(".sqlite")));
        const QUuid uuid = QUuid::fromString(id);
        if (!uuid.isNull() && uuid.toString(QUuid::WithoutBraces) == id)
            records.emplace_back(folder.filePath(name), id);
    }
    return records;
}
