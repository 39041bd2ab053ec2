// Bases for the tests' file systems that watch or fail some operations:
// every call a subclass does not override goes to the native file system, or
// to the file opened there.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/file.h"

namespace qktest {

class ForwardingFile : public platform::File {
 public:
  explicit ForwardingFile(std::unique_ptr<platform::File> inner) : inner_(std::move(inner)) {}
  platform::FileError Read(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) override {
    return inner_->Read(pos, buffer, n, got);
  }
  platform::FileError Write(std::uint64_t pos, const void* data, std::size_t n) override {
    return inner_->Write(pos, data, n);
  }
  platform::FileError Size(std::uint64_t* size) override { return inner_->Size(size); }
  platform::FileError Truncate(std::uint64_t size) override { return inner_->Truncate(size); }
  platform::FileError Flush() override { return inner_->Flush(); }
  platform::FileError Lock(std::uint64_t pos, std::uint64_t length) override { return inner_->Lock(pos, length); }
  platform::FileError Unlock(std::uint64_t pos, std::uint64_t length) override { return inner_->Unlock(pos, length); }

 private:
  std::unique_ptr<platform::File> inner_;
};

class ForwardingFileSystem : public platform::FileSystem {
 public:
  platform::FileError Open(const std::string& path, platform::FileAccess access, unsigned share,
                           platform::FileDisposition disposition, std::unique_ptr<platform::File>* out) override {
    return platform::NativeFileSystem().Open(path, access, share, disposition, out);
  }
  platform::FileError FullPath(const std::string& path, std::string* out) override {
    return platform::NativeFileSystem().FullPath(path, out);
  }
  platform::FileError Delete(const std::string& path) override { return platform::NativeFileSystem().Delete(path); }
  platform::PathKind Query(const std::string& path) override { return platform::NativeFileSystem().Query(path); }
};

}  // namespace qktest
