// qkdb's commands that move records in and out of a notebook database as
// CSV. Both work on the notebook's seven-field layout only.
#pragma once

namespace qkdb {

class Session;

// export FILE [--format quillkeep|keepassxc] [--encoding utf-8|gbk] -o OUT|- [--force]
int ExportCommand(Session& session);
// import FILE CSV [--format ...] [--encoding auto|utf-8|gbk] [--dry-run] [--skip-invalid] [--cut-remarks]
int ImportCommand(Session& session);

}  // namespace qkdb
