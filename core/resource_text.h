#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tintwell {

// The program's messages, the graphic formats' names and the open dialog's own captions pass
// through ResString, so that translation is switched on in one place at start-up without touching
// the places that raise or show the texts. Without a translator (tintwell-cli, tests) it is the
// identity. Window captions take other roads: the main window's are never translated, the
// picker's are translated by TranslateForm, and Qt's own texts by the translation module's
// QTranslator.
std::string ResString(std::string_view text);

// Marks a resource text that is looked up later, through a variable, so that the extraction of the
// catalogue template finds it. Nothing more: the text comes back as it is.
constexpr std::string_view N_(std::string_view text) { return text; }

// Replaces the translation; an empty function restores the identity. Called at start-up only.
void SetResStringTranslator(std::function<std::string(std::string_view)> translator);

// Fills each "%s" or "%d" of format, in order, with the next argument ("%%" is a percent sign).
// Missing arguments leave the rest of the format as written; spare arguments are dropped.
std::string FormatText(std::string_view format, std::initializer_list<std::string_view> args);

} // namespace tintwell
