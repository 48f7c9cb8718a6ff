#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QUuid>

#include <utility>
#include <vector>

class ClassRoster;

// How far a record has been sent to the school's server, kept in the record
// itself in a table that only class mode makes.
struct UploadMarks {
    QUuid space; // the namespace of the record's row keys on the server
    qint64 drill = 0;
    qint64 task = 0;
    qint64 answer = 0;
    qint64 openDrill = 0;
    bool setAside = false; // the server no longer knows the child
};

// A class computer's record, opened for the uploader beside the program's
// own connection; the program's writing wins any wait for the file.
class UploadBook {
public:
    explicit UploadBook(const QString& filePath);
    ~UploadBook();
    UploadBook(const UploadBook&) = delete;
    UploadBook& operator=(const UploadBook&) = delete;

    bool isOpen() const { return m_open; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    bool readMarks(UploadMarks& marks) const;
    bool writeMarks(const UploadMarks& marks) const;
    // The answers not sent yet.
    int waiting(const UploadMarks& marks) const;

private:
    QString m_name;
    bool m_open = false;
};

// This computer's records of the class: each file with the child's id.
std::vector<std::pair<QString, QString>> ClassRecords(const ClassRoster& roster);
