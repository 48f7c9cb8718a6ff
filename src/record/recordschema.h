#pragma once

#include <vector>

// The learning record's tables in SQLite, as statements: the steps from each
// schema version to the next, and the word tables and views that explain
// their codes. recordfile.cpp runs them.
namespace RecordSchema {

// Entry i brings a file from version i to version i + 1.
const std::vector<std::vector<const char*>>& Migrations();
// Made where missing at every open.
const std::vector<const char*>& Keys();

} // namespace RecordSchema
