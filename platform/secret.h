// Secret bytes that leave no copies behind: passwords, keys, and the texts
// of the boxes they are typed into.
//
// WipeBytes is the one wiping primitive of the program: memset behind a
// compiler barrier, so the stores survive even when the memory dies right
// after. Everything else builds on it:
// - WipingAllocator wipes every block it hands back, so a container that
//   grows or is destroyed never leaves its old contents on the heap;
// - BasicSecret (Secret for GBK text, WideSecret for UTF-16 at the Win32
//   seam) owns a string on that allocator and also wipes its inline buffer
//   (short strings live inside the object) when it is destroyed, assigned,
//   moved from or cleared. Copies are only ever made on purpose.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

inline void WipeBytes(void* p, std::size_t bytes) {
  if (p == nullptr || bytes == 0) return;
  std::memset(p, 0, bytes);
  // The empty statement claims to read the block, so the compiler cannot drop
  // the memset as a store to memory that dies right after it.
  __asm__ __volatile__("" : : "r"(p) : "memory");
}

// Observes every block a WipingAllocator hands back, after the wipe and
// before the release; for tests, which check that nothing is left.
using WipeObserver = void (*)(const void* block, std::size_t bytes);
inline WipeObserver& WipingAllocatorObserver() {
  static WipeObserver observer = nullptr;
  return observer;
}

// Wipes a standard string that an interface handed over (a pasted text, a
// line from a stream), spare capacity included, and empties it. Secrets the
// program keeps itself live in BasicSecret instead.
template <typename Char, typename Traits, typename Alloc>
void WipeString(std::basic_string<Char, Traits, Alloc>* text) noexcept {
  text->resize(text->capacity());
  WipeBytes(text->data(), text->size() * sizeof(Char));
  text->clear();
}

template <typename T>
struct WipingAllocator {
  using value_type = T;
  WipingAllocator() = default;
  template <typename U>
  WipingAllocator(const WipingAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept {
    WipeBytes(p, n * sizeof(T));
    if (WipeObserver observer = WipingAllocatorObserver()) observer(p, n * sizeof(T));
    ::operator delete(p);
  }
  template <typename U>
  bool operator==(const WipingAllocator<U>&) const noexcept {
    return true;
  }
};

// Bytes that may hold plain records or keys (engine buffers).
using SecretBuffer = std::vector<unsigned char, WipingAllocator<unsigned char>>;

template <typename Char>
class BasicSecret {
 public:
  using String = std::basic_string<Char, std::char_traits<Char>, WipingAllocator<Char>>;
  using View = std::basic_string_view<Char>;

  BasicSecret() = default;
  explicit BasicSecret(View text) : text_(text) {}
  ~BasicSecret() { Clear(); }
  BasicSecret(BasicSecret&& other) noexcept : text_(std::move(other.text_)) { other.Clear(); }
  BasicSecret& operator=(BasicSecret&& other) noexcept {
    if (this != &other) {
      Clear();
      text_ = std::move(other.text_);
      other.Clear();
    }
    return *this;
  }
  BasicSecret(const BasicSecret&) = delete;
  BasicSecret& operator=(const BasicSecret&) = delete;

  void Assign(View text) {
    Clear();
    text_.assign(text.data(), text.size());
  }
  // Wipes the whole buffer, spare capacity included (a longer secret may
  // have stood there), and leaves the text empty.
  void Clear() noexcept { WipeString(&text_); }
  // n characters of zeros to write into through data() (a text an API
  // writes into a buffer); growing wipes the old buffer.
  void Resize(std::size_t n) { text_.resize(n); }
  void Append(Char c) { text_.push_back(c); }
  void PopBack() { text_.pop_back(); }

  const Char* c_str() const { return text_.c_str(); }
  Char* data() { return text_.data(); }
  const Char* data() const { return text_.data(); }
  std::size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  Char back() const { return text_.back(); }
  View view() const { return View(text_.data(), text_.size()); }
  bool operator==(View other) const { return view() == other; }

 private:
  String text_;
};

using Secret = BasicSecret<char>;
using WideSecret = BasicSecret<wchar_t>;

}  // namespace platform
