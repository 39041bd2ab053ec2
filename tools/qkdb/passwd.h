// qkdb passwd FILE: changes a database's password. By default passwords
// are the notebook's, turned into the access key as the notebook does, so
// the notebook still opens the file afterwards, even with the empty
// password. Only --key-stdin takes access keys as they stand, and only it
// can remove the protection (with a warning: the notebook then no longer
// opens the file).
#pragma once

namespace qkdb {

class Session;

// The old and the new password come from the first two lines of standard
// input (--password-stdin, --key-stdin), or are asked at the terminal with
// echo off (the new one twice). Returns the exit code.
int PasswdCommand(Session& session);

}  // namespace qkdb
