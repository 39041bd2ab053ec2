#include "tools/qkdb/secrets.h"

#include "commands/key_derivation.h"
#include "runtime/memory.h"

namespace qkdb {

void WipeString(std::string* text) {
  text->resize(text->capacity());
  rt::WipeMemory(text->data(), text->size());
  text->clear();
}

void SecretText::Wipe() { WipeString(&text_); }

void SecretText::Append(char c) {
  if (text_.size() == text_.capacity()) {
    std::string bigger;
    bigger.reserve(text_.capacity() < 64 ? 128 : text_.capacity() * 2);
    bigger.append(text_);
    WipeString(&text_);
    text_.swap(bigger);
  }
  text_.push_back(c);
}

SecretText DeriveNotebookKey(const std::string& password_gbk) {
  char* key = commands::DeriveDatabaseKey(password_gbk.c_str());
  SecretText derived{std::string(key)};
  rt::WipeMemory(key, derived.text().size());
  rt::FreeMemory(key);
  return derived;
}

bool LooksLikeNotebookKey(std::string_view text) {
  if (text.size() != 32) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace qkdb
