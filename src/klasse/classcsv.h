#pragma once

#include <QString>

#include <vector>

class ClassServer;
class QIODevice;
struct RosterRow;

// The class's answers as one table for a spreadsheet: the columns of a
// family's export (record/answerscsv.h) with the child's name in front, one
// line per answer, child by child in the roster's order, each child's
// answers oldest first. Written the way the family's export is: the same
// separators, number format, encoding and line ends.

// False when a child's record cannot be read or the device refuses the
// bytes; error (when given) then receives a German sentence.
bool WriteClassCsv(ClassServer& server, const std::vector<RosterRow>& children, QIODevice& out,
                   QString* error = nullptr);

// Replaces the file at path whole or not at all.
bool SaveClassCsv(ClassServer& server, const std::vector<RosterRow>& children, const QString& path,
                  QString* error = nullptr);
