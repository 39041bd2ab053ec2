// The permission bits of a file, for the tests of what other users of a
// POSIX system may read.
#pragma once
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

namespace qktest {

inline mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

}  // namespace qktest
#endif
