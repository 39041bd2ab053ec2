// qkdb passwd FILE: changes a database's access password.
#pragma once

#include <string>

namespace qkdb {

// The old and the new password come from the first two lines of standard
// input (with --key-stdin or --password-stdin) or are asked on the terminal
// without echo (access passwords as the engine takes them). An empty new
// password removes the protection. Returns the exit code.
int ChangePassword(const std::string& path_gbk);

}  // namespace qkdb
