#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The fixed texts that the core shows the user (errors, notes, questions), in the user's
// language. The core names each text with a context, as the windows do; the editor installs a
// translator at start-up. Without one (the command-line programs, the tests) every text is the
// English text itself, so that what scripts read never changes with the locale.

// Turns a context and an English text into the text to show, UTF-8.
using TUiTranslator = std::string (*)(const char* context, const char* text);

// Installs the translator for the rest of the run (before any other thread starts); nullptr
// goes back to English.
void setUiTranslator(TUiTranslator translator);

// `text` in the user's language.
std::string uiText(const char* context, const char* text);

// `pattern` with %1 to %9 replaced by `args` in one pass, so that an argument that itself holds
// "%2" stays as it is; a number without an argument stays too.
std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> args);

// Marks a text for translation where it is written (a table of texts) while the text itself is
// looked up later with uiText and the same context.
#define UI_TEXT_NOOP(context, text) text
