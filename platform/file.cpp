#include "platform/file.h"

namespace platform {
namespace {
FileSystem* g_installed = nullptr;
}

const char* FileErrorName(FileError e) {
  switch (e) {
    case FileError::kNone: return "no error";
    case FileError::kGeneric: return "failure";
    case FileError::kNotFound: return "file not found";
    case FileError::kBadPath: return "bad path";
    case FileError::kTooManyOpen: return "too many open files";
    case FileError::kAccessDenied: return "access denied";
    case FileError::kInvalidHandle: return "invalid handle";
    case FileError::kRemoveCurrentDir: return "current directory";
    case FileError::kDirectoryFull: return "directory full";
    case FileError::kSeek: return "seek error";
    case FileError::kHardware: return "input/output error";
    case FileError::kSharingViolation: return "sharing violation";
    case FileError::kLockViolation: return "lock violation";
    case FileError::kDiskFull: return "disk full";
    case FileError::kEndOfFile: return "end of file";
  }
  return "failure";
}

FileSystem& CurrentFileSystem() { return g_installed != nullptr ? *g_installed : NativeFileSystem(); }

FileSystem* InstallFileSystem(FileSystem* files) {
  FileSystem* previous = g_installed;
  g_installed = files;
  return previous;
}

FileError OpenFile(const std::string& path_gbk, FileAccess access, unsigned share_flags,
                   FileDisposition disposition, std::unique_ptr<File>* out) {
  return CurrentFileSystem().Open(path_gbk, access, share_flags, disposition, out);
}
FileError FullPathName(const std::string& path_gbk, std::string* out) {
  return CurrentFileSystem().FullPath(path_gbk, out);
}
FileError RemoveFile(const std::string& path_gbk) { return CurrentFileSystem().Delete(path_gbk); }
PathKind QueryPath(const std::string& path_gbk) { return CurrentFileSystem().Query(path_gbk); }

}  // namespace platform
