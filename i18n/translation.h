#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "i18n/gnu_gettext.h"

class QObject;
class QTranslator;

namespace tintwell {

class TPlatformServices;

// The translation module. Start-up makes one, before the graphic formats and any window, and
// keeps it until the end of the run; its destructor undoes what the constructor did.
//
// It chooses the language, binds the domain "default" to <program's folder>/locale, routes the
// resource texts (ResString) through the catalogue, and installs a translator in the application
// (when there is one) so Qt's own texts (the file dialog, the message box's OK) use the same
// catalogue. Only one module may live at a time.
class TTranslationModule {
public:
    TTranslationModule(const TPlatformServices& platform, const std::string& programFile);
    // For tests: a locale directory and a language given directly.
    TTranslationModule(std::string localeDirectory, std::string languageCode);
    ~TTranslationModule();
    TTranslationModule(const TTranslationModule&) = delete;
    TTranslationModule& operator=(const TTranslationModule&) = delete;

    TGnuGettext& Domain() { return FDomain; }

private:
    void Install();

    TGnuGettext FDomain;
    std::unique_ptr<QTranslator> FQtTranslator;
};

// Where the catalogues of a program file are: the "locale" folder beside it, else (an installed
// program) "../share/tintwell/locale" when that exists, else the one beside it all the same.
std::string LocaleDirectoryOf(const std::string& programFile);

// The language the current module translates into; "C" without a module.
std::string CurrentLanguage();

// The translation of text in the domain "default", with carriage return and line feed line breaks
// (the text itself when the catalogue has none). Raises EGnuGettextError when a non-empty text
// comes out empty; callers report that through the error box.
std::string TranslateText(std::string_view text);
inline std::string TranslateText(const char* text) { return TranslateText(std::string_view(text)); }
QString TranslateText(const QString& text);

// Translates every writable, non-empty text property of component and of every object reached
// from it (owned children, a widget's actions, string lists line by line, the font's family),
// never objectName. A child named "GNUgettextMarker" remembers the language and the untranslated
// texts, so a second call in another language restores them and translates again; in the same
// language it does nothing. Never fails: an error ends the walk and what was translated stays.
void TranslateForm(QObject& component);

// Why translations were turned off in this run (a catalogue not valid or not UTF-8, or a resource
// text that could not be translated), once; nothing when they were not.
std::optional<std::string> TakeTranslationReport();

} // namespace tintwell
