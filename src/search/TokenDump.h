#pragma once
// The tokenizer's events as text lines, for the disc author's "tokens" command and the tests that
// compare a document's events with a written-down expectation.

#include <string>
#include <string_view>

// A Windows-1251 text as UTF-8, with backslash, TAB, CR and LF written "\\", "\t", "\r", "\n",
// so that a token always fits one line.
std::string EscapeToken(std::string_view text);

// One line per event of the parser over the document's bytes (loaded as Content is loaded from a
// stream): the event's name, then a TAB before each field. A tag's fields are its name and each
// attribute line; an error's are its code and position; any other event's is its text. OnBlock
// lines come only when blocks is set.
std::string DumpTokens(std::string_view document, bool blocks);
