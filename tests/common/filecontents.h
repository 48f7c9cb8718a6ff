#pragma once

// Whole-file reads and writes, to lay out a settings or content file before a
// test and to check byte for byte what the program stored.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}
