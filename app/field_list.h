// The array of field descriptions the database is created with: an array
// block of pointers to FieldInf records, one per field of the record layout.
#pragma once

#include <cstdint>

#include "db/commands.h"
#include "runtime/value.h"

namespace app {

using db::FieldInfRecord;

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
