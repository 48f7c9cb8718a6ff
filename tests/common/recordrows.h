#pragma once

// Reads a learning record's file the way an outsider would, through a
// connection of its own: each row of a query as its values joined by '|'.
// Empty when the file cannot be read.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

inline QStringList RecordRows(const QString& path, const QString& sql) {
    const QString name = QStringLiteral("record-rows");
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql))
                while (query.next()) {
                    QStringList values;
                    for (int i = 0; i < query.record().count(); ++i)
                        values << (query.isNull(i) ? QStringLiteral("-") : query.value(i).toString());
                    rows << values.join(u'|');
                }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}
