#include "app/field_list.h"

#include <cstring>

#include "app/state.h"
#include "runtime/services.h"

namespace app {
namespace {

struct ArrayHeader {
  std::int32_t dimensions;
  std::int32_t size;
};

FieldInfRecord** Elements(void* block) {
  return reinterpret_cast<FieldInfRecord**>(static_cast<char*>(block) + sizeof(ArrayHeader));
}

}  // namespace

FieldList::FieldList() {
  const rt::ServiceTable& services = rt::Services();
  const std::size_t count = kRecordLayout.size();
  block_ = services.AllocMemory(sizeof(ArrayHeader) + count * sizeof(FieldInfRecord*));
  ArrayHeader header{1, static_cast<std::int32_t>(count)};
  std::memcpy(block_, &header, sizeof header);
  FieldInfRecord** elements = Elements(block_);
  for (std::size_t i = 0; i < count; ++i) {
    auto* record = static_cast<FieldInfRecord*>(services.AllocMemory(sizeof(FieldInfRecord)));
    *record = FieldInfRecord{const_cast<char*>(kRecordLayout[i].name), kRecordLayout[i].type, kRecordLayout[i].size};
    elements[i] = record;
  }
}

FieldList::~FieldList() {
  const rt::ServiceTable& services = rt::Services();
  FieldInfRecord** elements = Elements(block_);
  for (std::size_t i = 0; i < kRecordLayout.size(); ++i) services.FreeMemory(elements[i]);
  services.FreeMemory(block_);
}

rt::Value FieldList::argument() const { return rt::Value::Pointer(block_, rt::type::kFieldInf); }

}  // namespace app
