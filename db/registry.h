// The process's open databases, in the order opened, and the current one.
// Meant for the thread that runs the program's windows; not guarded.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/database.h"

namespace db {

// The current database, or null.
Database* CurrentDatabase();
// An open database with this full path (case-insensitive), or null.
Database* FindOpenByPath(const std::string& full_path);
// Appends a newly opened database and makes it current.
void AddOpenDatabase(std::unique_ptr<Database> database);
// Closes by alias, then short name, then full path (newest first for each);
// an empty name closes the current database. No match: nothing happens.
void CloseDatabaseNamed(const std::string& name);
// Closes every open database (tests, tool exit).
void CloseAllDatabases();
std::size_t OpenDatabaseCount();

}  // namespace db
