// The array of field descriptions the database is created with: an array
// block of pointers to FieldInf records, one per field of the record layout.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace app {

// A FieldInf record as the array holds it.
struct FieldInfRecord {
  const char* name;
  std::int32_t type;
  std::int32_t size;
};

class FieldList {
 public:
  FieldList();
  ~FieldList();
  FieldList(const FieldList&) = delete;
  FieldList& operator=(const FieldList&) = delete;

  // The argument cell: the array block with the element type FieldInf.
  rt::Value argument() const;

 private:
  void* block_ = nullptr;
};

}  // namespace app
