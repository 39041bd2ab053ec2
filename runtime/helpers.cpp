#include "runtime/helpers.h"

#include <algorithm>
#include <cstring>

#include "runtime/errors.h"
#include "runtime/memory.h"

namespace rt {

int CompareTexts(const char* a, const char* b) {
  if (a == nullptr) return (b == nullptr || b[0] == '\0') ? 0 : -1;
  if (b == nullptr) return a[0] == '\0' ? 0 : 1;
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  while (*x != 0 && *x == *y) {
    ++x;
    ++y;
  }
  if (*x == *y) return 0;
  return *x < *y ? -1 : 1;
}

std::size_t TextByteLength(const char* text) { return text == nullptr ? 0 : std::strlen(text); }

char* ConcatTexts(const std::vector<const char*>& texts) {
  std::vector<std::size_t> lengths;
  lengths.reserve(texts.size());
  std::size_t total = 1;
  for (const char* t : texts) {
    lengths.push_back(TextByteLength(t));
    total += lengths.back();
  }
  char* out = static_cast<char*>(AllocMemory(total));
  char* cursor = out;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (lengths[i] > 0) std::memcpy(cursor, texts[i], lengths[i]);
    cursor += lengths[i];
  }
  *cursor = '\0';
  return out;
}

char* ConcatTexts(std::initializer_list<const char*> texts) {
  return ConcatTexts(std::vector<const char*>(texts));
}

void PushOmitted(std::vector<Value>& arguments, std::size_t count) {
  arguments.insert(arguments.end(), count, Value{});
}

int NullProcedure() { return 0; }

char* CopyText(const char* text) {
  if (text == nullptr || text[0] == '\0') return nullptr;
  return CopyTextN(text, static_cast<std::int64_t>(std::strlen(text)));
}

char* CopyTextN(const void* data, std::int64_t n) {
  if (n < 1) return nullptr;
  auto size = static_cast<std::size_t>(n);
  char* out = static_cast<char*>(AllocMemory(size + 1));
  std::memcpy(out, data, size);
  out[size] = '\0';
  return out;
}

void* MakeBytes(const void* data, std::int64_t n) {
  if (n <= 0) return nullptr;
  auto size = static_cast<std::size_t>(n);
  auto* block = static_cast<unsigned char*>(AllocMemory(kBytesHeader + size));
  std::int32_t header[2] = {1, static_cast<std::int32_t>(n)};
  std::memcpy(block, header, sizeof header);
  if (data != nullptr) std::memcpy(block + kBytesHeader, data, size);
  return block;
}

DataView ValueData(const Value& value) {
  int inline_size = InlineSize(value.type);
  if (inline_size > 0) return DataView{&value.lo, static_cast<std::size_t>(inline_size)};
  if (value.type == type::kText) {
    const char* text = value.text();
    if (text == nullptr) return DataView{"", 1};
    return DataView{text, std::strlen(text) + 1};
  }
  if (value.type == type::kBytes) {
    const void* block = value.pointer();
    if (block == nullptr) return DataView{};
    std::int32_t n = BytesLength(block);
    return DataView{BytesData(block), n > 0 ? static_cast<std::size_t>(n) : 0};
  }
  return DataView{};
}

ArrayView ArrayElements(const void* array_block) {
  if (array_block == nullptr) return ArrayView{};
  const auto* words = static_cast<const std::int32_t*>(array_block);
  std::int32_t dimensions = words[0];
  std::size_t count = 1;
  for (std::int32_t i = 0; i < dimensions; ++i) count *= static_cast<std::size_t>(std::max(words[1 + i], 0));
  auto* base = const_cast<unsigned char*>(static_cast<const unsigned char*>(array_block));
  return ArrayView{base + 4 * (1 + static_cast<std::size_t>(std::max(dimensions, 0))), count};
}

std::size_t ValueFromRaw(TypeCode type, const void* data, std::int64_t n, Value* out) {
  *out = Value{};
  switch (type) {
    case type::kBool: {
      std::uint32_t word = 0;
      std::memcpy(&word, data, std::min<std::int64_t>(std::max<std::int64_t>(n, 0), 4));
      *out = Value::Bool(word != 0);
      return 4;
    }
    case type::kDateTime: {
      double d = 0;
      std::memcpy(&d, data, static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, 8)));
      if (!(d >= kMinDateTime)) d = kMinDateTime;  // also catches NaN
      if (d > kMaxDateTime) d = kMaxDateTime;
      *out = Value::DateTime(d);
      return 8;
    }
    case type::kText: {
      if (n <= 0) {
        *out = Value::Text(nullptr);
        return 0;
      }
      const void* zero = std::memchr(data, 0, static_cast<std::size_t>(n));
      std::int64_t length = zero == nullptr ? n : static_cast<const char*>(zero) - static_cast<const char*>(data);
      *out = Value::Text(CopyTextN(data, length));
      return static_cast<std::size_t>(zero == nullptr ? n : length + 1);
    }
    case type::kBytes:
      *out = Value::Pointer(MakeBytes(data, n), type::kBytes);
      return n > 0 ? static_cast<std::size_t>(n) : 0;
    default: {
      int size = InlineSize(type);
      if (size == 0) return 0;
      std::uint32_t words[2] = {0, 0};
      std::memcpy(words, data, static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, size)));
      *out = Value{words[0], words[1], type};
      return static_cast<std::size_t>(size);
    }
  }
}

void FreeArrayValue(TypeCode element_type, void* array_block) {
  if (array_block == nullptr) return;
  TypeCode base = element_type & ~type::kArrayFlag;
  if ((base == type::kText || base == type::kBytes) && !InConstantSegment(array_block)) {
    ArrayView view = ArrayElements(array_block);
    auto** elements = static_cast<void**>(view.elements);
    for (std::size_t i = 0; i < view.count; ++i) FreeMemory(elements[i]);
  }
  FreeMemory(array_block);
}

void FreeValue(Value& value) {
  if (value.type == type::kText || value.type == type::kBytes) FreeMemory(value.pointer());
  value = Value{};
}

bool EvaluateCondition(const Value& value) {
  static const char kMessage[] = "用作进行条件判断的子语句参数只能接受逻辑型数据";
  if (value.type == type::kBool) return value.lo != 0;
  if (value.type == type::kStatement) {
    const auto* statement = static_cast<const Statement*>(value.pointer());
    Value result = statement != nullptr && statement->code != nullptr ? statement->code(statement->word) : Value{};
    if (result.type == type::kBool) return result.lo != 0;
    FreeValue(result);
  }
  RuntimeError(kMessage, 0);
}

}  // namespace rt
