#include "i18n/translation.h"

#include <QCoreApplication>
#include <QTranslator>
#include <filesystem>
#include <stdexcept>

#include "core/resource_text.h"
#include "i18n/language.h"

namespace tintwell {
namespace {

TTranslationModule* gModule = nullptr;
std::optional<std::string> gResourceReport;
bool gResourceFailed = false;

// Qt asks it for every text of its own (the file dialog's labels and buttons, the message box's
// OK), by context; the catalogue knows the texts alone. Qt's texts keep their own line feeds.
class TCatalogueTranslator : public QTranslator {
public:
    explicit TCatalogueTranslator(TGnuGettext& domain) : FDomain(domain) {}

    QString translate(const char*, const char* sourceText, const char*, int) const override {
        if (!sourceText || !*sourceText)
            return {};
        try {
            if (const std::optional<std::string> translation = FDomain.Find(sourceText); translation)
                return QString::fromUtf8(translation->data(), static_cast<qsizetype>(translation->size()));
        } catch (...) {
            // An undecodable entry: Qt shows its English text.
        }
        return {};
    }
    bool isEmpty() const override { return false; }

private:
    TGnuGettext& FDomain;
};

} // namespace

std::string LocaleDirectoryOf(const std::string& programFile) {
    const std::filesystem::path folder = std::filesystem::path(programFile).parent_path();
    const std::filesystem::path beside = folder / "locale";
    const std::filesystem::path installed =
        (folder / ".." / "share" / "tintwell" / "locale").lexically_normal();
    std::error_code ignored;
    if (!std::filesystem::is_directory(beside, ignored) && std::filesystem::is_directory(installed, ignored))
        return installed.string();
    return beside.string();
}

TTranslationModule::TTranslationModule(const TPlatformServices& platform, const std::string& programFile)
    : FDomain(LocaleDirectoryOf(programFile), ChooseLanguage(platform)) {
    Install();
}

TTranslationModule::TTranslationModule(std::string localeDirectory, std::string languageCode)
    : FDomain(std::move(localeDirectory), std::move(languageCode)) {
    Install();
}

void TTranslationModule::Install() {
    if (gModule)
        throw std::logic_error("Only one translation module may live at a time");
    if (QCoreApplication::instance())
        FQtTranslator = std::make_unique<TCatalogueTranslator>(FDomain);
    gResourceReport.reset();
    gResourceFailed = false;
    // A resource text is looked up in each domain of the list until one gives a translation that
    // differs; the list is "default" alone. A text that cannot be translated stays English: the
    // messages are built while something else already failed, and start-up must not stop on them.
    SetResStringTranslator([this](std::string_view text) {
        try {
            return FDomain.Lookup(text);
        } catch (const EGnuGettextError& error) {
            if (!gResourceFailed) {
                gResourceFailed = true;
                gResourceReport = error.Message();
            }
            return std::string(text);
        }
    });
    if (FQtTranslator)
        QCoreApplication::installTranslator(FQtTranslator.get());
    gModule = this;
}

TTranslationModule::~TTranslationModule() {
    if (FQtTranslator && QCoreApplication::instance())
        QCoreApplication::removeTranslator(FQtTranslator.get());
    SetResStringTranslator({});
    gModule = nullptr;
}

std::string CurrentLanguage() { return gModule ? gModule->Domain().LanguageCode() : "C"; }

std::string TranslateText(std::string_view text) {
    return gModule ? gModule->Domain().Lookup(text) : WithCarriageReturns(text);
}

QString TranslateText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const std::string translation =
        TranslateText(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    return QString::fromUtf8(translation.data(), static_cast<qsizetype>(translation.size()));
}

std::optional<std::string> TakeTranslationReport() {
    if (gModule)
        if (std::optional<std::string> report = gModule->Domain().TakeReport())
            return report;
    return std::exchange(gResourceReport, std::nullopt);
}

} // namespace tintwell
