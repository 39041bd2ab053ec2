// qkdb's commands on a database and its records. Each takes the session
// (its operands already counted by the dispatcher) and returns the exit
// code, having reported any failure.
#pragma once

namespace qkdb {

class Session;

int InfoCommand(Session& session);    // info FILE
int DumpCommand(Session& session);    // dump FILE
int CheckCommand(Session& session);   // check FILE
int CreateCommand(Session& session);  // create FILE NAME:TYPE[:SIZE]...
int AddCommand(Session& session);     // add FILE VALUE...
int SetCommand(Session& session);     // set FILE N FIELD VALUE
int DeleteCommand(Session& session);  // delete FILE N
int PurgeCommand(Session& session);   // purge FILE

}  // namespace qkdb
