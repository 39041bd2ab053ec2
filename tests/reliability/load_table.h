// The multi-process load: the notebook's table (id, site, account,
// password, added), writers adding records, readers loading the list as
// the notebook does, and a rewriter changing passwords, all in share mode 1.
#pragma once

#include <string>

namespace reltest {

// Creates the notebook-shaped table with `originals` records.
int CreateLoadTable(const std::string& path, int originals);

// Runs one role in this process (the worker's load-* modes):
//   load-add: `arg` is "COUNT:TAG", adds COUNT records named TAG-n.
//   load-list: loads the whole list, field by field, until the file `arg`
//     exists; exits 1 when it ever reads a password that is half written.
//   load-rewrite: rewrites the password of record after record until the
//     file `arg` exists.
// Returns the process's exit code.
int RunLoadRole(const std::string& role, const std::string& path, const std::string& arg);

// Checks the table after the load: the originals, then every writer's
// records once each, unique serial numbers. Empty when sound.
std::string CheckLoadTable(const std::string& path, int originals, int writers, int per_writer);

}  // namespace reltest
