#include "commands/web_address.h"

#include <cstring>

namespace commands {
namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  std::size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of a leading "scheme:" (RFC 3986 letters), or 0. A host with a
// port ("example.com:8080") is no scheme: digits follow its colon.
std::size_t SchemeLength(const std::string& text) {
  if (text.empty() || !IsAsciiLetter(text[0])) return 0;
  std::size_t i = 1;
  while (i < text.size() &&
         (IsAsciiLetter(text[i]) || IsDigit(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.'))
    ++i;
  if (i >= text.size() || text[i] != ':') return 0;
  std::size_t after = i + 1;
  if (after < text.size() && IsDigit(text[after])) {
    std::size_t j = after;
    while (j < text.size() && IsDigit(text[j])) ++j;
    if (j == text.size() || text[j] == '/' || text[j] == '?' || text[j] == '#') return 0;
  }
  return i + 1;
}

// Characters that have no place in an address (RFC 3986) and that a
// command line gives meaning to: a browser registered as "%1" would take a
// quote or a blank as the end of its argument. Written as %XX, they reach
// the browser as part of the address.
std::string PercentEncodeUnsafe(const std::string& address) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(address.size());
  for (std::size_t i = 0; i < address.size(); ++i) {
    const auto byte = static_cast<unsigned char>(address[i]);
    if (byte >= 0x81 && i + 1 < address.size()) {
      // A GBK character: its second byte may be 0x5C or 0x7C and is no
      // backslash or bar.
      out += address.substr(i, 2);
      ++i;
    } else if (std::strchr(" \"<>^`{}|\\", address[i]) != nullptr) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += address[i];
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> WebAddressToOpen(const char* text) {
  std::string address = text != nullptr ? text : "";
  // Blanks around a pasted address are no part of it.
  std::size_t begin = 0;
  std::size_t end = address.size();
  while (begin < end && static_cast<unsigned char>(address[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(address[end - 1]) <= 0x20) --end;
  address = address.substr(begin, end - begin);
  if (address.empty()) return std::nullopt;
  // Control characters have no place in an address a person typed.
  for (char c : address)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;

  if (StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://") ||
      StartsWithNoCase(address, "ftp://"))
    return PercentEncodeUnsafe(address);
  if (SchemeLength(address) > 0) return std::nullopt;  // mailto:, file:, javascript:, C: ...
  // Local, relative and UNC paths.
  if (address[0] == '\\' || address[0] == '/' || address[0] == '.' || address.find('\\') != std::string::npos)
    return std::nullopt;
  if (address.size() >= 2 && IsAsciiLetter(address[0]) && address[1] == ':') return std::nullopt;
  return "http://" + PercentEncodeUnsafe(address);
}

}  // namespace commands
