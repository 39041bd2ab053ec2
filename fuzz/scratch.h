// A private folder for the files a fuzz input becomes, on a memory-backed
// file system where there is one, removed when the process ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qkfuzz {

// The folder (with a trailing "/"), made on first use.
const std::string& ScratchFolder();
// Writes the bytes as the file `name` in the scratch folder; returns its
// path. Aborts when the file cannot be written (the harness is broken then).
std::string WriteScratchFile(const std::string& name, const void* data, std::size_t size);
// Removes the file if present.
void RemoveScratchFile(const std::string& name);

// Makes sure the process has a host (the engine and the runtime ask it for
// boxes and the clock); a test host that records boxes and never waits.
void EnsureHost();

}  // namespace qkfuzz
