// Which record addresses may be handed to the browser. The shell's "open"
// action runs programs and opens local files as readily as web pages, so a
// record holding a path would start whatever that path names. Only web
// addresses pass: http, https and ftp (any case); a text without a scheme
// gets "http://" in front, as a browser's address bar does. Other schemes,
// local and UNC paths are refused. Blanks, quotes, <, >, ^, `, {, }, | and
// backslashes inside an address are percent-encoded, so they reach the
// browser as part of the address and never as command-line syntax.
#pragma once

#include <optional>
#include <string>

namespace commands {

// The address opened when none is given.
inline constexpr const char kDefaultHomePage[] = "http://www.example.com/";

// The address to open for a text (GBK), or nullopt when it is refused.
std::optional<std::string> WebAddressToOpen(const char* text);

}  // namespace commands
