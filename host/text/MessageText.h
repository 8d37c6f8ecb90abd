// Words and paths as messages print them. A file name or a script's word may hold anything: an
// escape sequence that would retitle the terminal or move its cursor, a NUL that would cut the
// message, bytes that are not UTF-8, or a hundred megabytes. Every message that prints a path
// or a word the user gave goes through these, so what reaches the terminal is readable text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

// Words the user wrote (script words, option values) are cut to this many characters in
// messages, with "…" after them.
constexpr size_t kMessageWordChars = 64;

// `text` with control characters written as escapes (\n, \t, \r, \e for ESC, \xNN for the
// others, the C1 controls of UTF-8 included), bytes that are not UTF-8 as \xNN, and a backslash
// doubled so an escape cannot be mistaken for the name's own text. At most `maxChars`
// characters of `text` are kept, then "…".
std::string printable(std::string_view text, size_t maxChars = std::string_view::npos);

// Each line of `text` printable, the line breaks kept: for a message made elsewhere (the
// command-line parser's) that may quote what the user typed.
std::string printableLines(std::string_view text);

// A path between double quotes, printable.
std::string quotedPath(std::string_view path);
// A word between double quotes, printable and cut to kMessageWordChars.
std::string quotedWord(std::string_view word);

}  // namespace host
