// The small fixed database the index fuzz target opens its index files
// with; the seed maker builds the seed index files over the same records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qkfuzz {

// The database file's bytes (made once per process, with the host's fixed
// test clock, so every process makes the same bytes).
const std::vector<std::uint8_t>& IndexFixtureImage();
// Writes the image as "fixture.VDB" in the scratch folder; returns its path.
std::string WriteIndexFixture();

// Field names of the fixture (GBK), in order: a text, an integer, a double
// and a date.
extern const char* const kFixtureFieldNames[4];

}  // namespace qkfuzz
