#pragma once

#include <QString>

#include <vector>

class ClassServer;
struct RosterRow;

// The class's answers as one workbook for a spreadsheet: the family's
// export (progress/answersworkbook.h), the same columns and cell types, each
// row with its child's name; child by child in the roster's order, each
// child's answers oldest first. Replaces the file at path whole or not at
// all; false, with a German sentence in error (when given), when a child's
// record cannot be read or the file not written.
bool SaveClassWorkbook(ClassServer& server, const std::vector<RosterRow>& children, const QString& path,
                       QString* error = nullptr);
