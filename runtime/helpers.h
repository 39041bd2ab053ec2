// Text and value helpers shared by the application's code, the runtime and
// the commands. Texts are GBK, NUL-terminated; null means empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "runtime/value.h"

namespace rt {

// -1, 0 or +1, comparing bytes as unsigned; null equals empty.
int CompareTexts(const char* a, const char* b);
std::size_t TextByteLength(const char* text);
// A new heap text holding every text in order; never null.
char* ConcatTexts(std::initializer_list<const char*> texts);
char* ConcatTexts(const std::vector<const char*>& texts);
// Appends `count` omitted argument cells (three zero words each).
void PushOmitted(std::vector<Value>& arguments, std::size_t count);
// The runtime's do-nothing callback.
int NullProcedure();

// Null for null or empty input; else a new text block.
char* CopyText(const char* text);
// Null when n < 1; else a new block of the n bytes plus NUL.
char* CopyTextN(const void* data, std::int64_t n);
// Null when n == 0; else a new byte block {1, n, data}.
void* MakeBytes(const void* data, std::int64_t n);

struct DataView {
  const void* data = nullptr;
  std::size_t size = 0;
};
// The datum's bytes: inline payload for numeric, Bool, DateTime, SubPtr;
// the string with its NUL for Text; the data part for Bytes; none otherwise.
DataView ValueData(const Value& value);

struct ArrayView {
  void* elements = nullptr;
  std::size_t count = 0;
};
ArrayView ArrayElements(const void* array_block);

// Fills `out` from stored bytes; returns the bytes consumed.
std::size_t ValueFromRaw(TypeCode type, const void* data, std::int64_t n, Value* out);

// Frees the elements (for Text and Bytes element types), then the block.
void FreeArrayValue(TypeCode element_type, void* array_block);

// A Bool argument's payload, or the Bool a statement argument yields;
// anything else is a runtime error.
bool EvaluateCondition(const Value& value);

// Frees the block a Text or Bytes value owns (nothing for other types).
void FreeValue(Value& value);

}  // namespace rt
