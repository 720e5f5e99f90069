#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "i18n/translation.h"
#include "support/catalogue_files.h"
#include "support/temp_dir.h"

namespace tintwell {

// A component with a list of lines, as a list box's items or a memo's text.
class TLinesHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList lines READ Lines WRITE SetLines)
    Q_PROPERTY(QString caption READ Caption) // read-only: never written
public:
    using QObject::QObject;
    QStringList Lines() const { return FLines; }
    void SetLines(const QStringList& lines) { FLines = lines; }
    QString Caption() const { return "Matrix"; }

private:
    QStringList FLines;
};

namespace {

using test::CatalogueUnder;
using test::CompileCatalogue;
using test::PoEntry;
using test::PoHeader;

// A window shaped like the picker's: texts at several depths, an action owned elsewhere, names
// that the catalogue happens to know.
struct TPickerLikeWindow {
    QWidget Window;
    QGroupBox* Group = new QGroupBox(&Window);
    QLabel* Label = new QLabel("Matrix", Group);
    QCheckBox* Marker = new QCheckBox("&show marker", Group);
    QPushButton* Capture = new QPushButton("&Capture", &Window);
    QAction* Stop = new QAction("&Stop (Esc)", &Window);
    TLinesHolder* Lines = new TLinesHolder(&Window);
    QAction Foreign{"Color Picker"}; // not a child: reached through the window's actions
    TPickerLikeWindow() {
        Window.setWindowTitle("Color Picker");
        Label->setObjectName("Matrix");
        Capture->setObjectName("&Capture");
        Capture->setToolTip("click this preview to select a color...");
        Window.addAction(Stop);
        Window.addAction(&Foreign);
        Lines->SetLines({"Matrix", "", "unknown line", "&Capture"});
    }
};

class TranslateFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        CompileCatalogue(
            CatalogueUnder(Locale(), "de"),
            PoHeader() + PoEntry("Color Picker", "Farbpipette") + PoEntry("Matrix", "Matrix (de)") +
                PoEntry("&show marker", "&Markierung zeigen") + PoEntry("&Capture", "&Erfassen") +
                PoEntry("&Stop (Esc)", "&Anhalten (Esc)") +
                PoEntry("click this preview to select a color...", "Klicken, um eine Farbe zu wählen"));
        CompileCatalogue(CatalogueUnder(Locale(), "fr"),
                         PoHeader() + PoEntry("Color Picker", "Pipette") + PoEntry("&Capture", "&Capturer"));
    }
    std::string Locale() const { return FFolder.Path("locale"); }
    test::TempDir FFolder;
};

TEST_F(TranslateFormTest, TranslatesEveryTextReachedButNeverAName) {
    TPickerLikeWindow w;
    const TTranslationModule module(Locale(), "de_DE");
    TranslateForm(w.Window);
    EXPECT_EQ(w.Window.windowTitle(), "Farbpipette");
    EXPECT_EQ(w.Label->text(), "Matrix (de)");
    EXPECT_EQ(w.Marker->text(), "&Markierung zeigen");
    EXPECT_EQ(w.Capture->text(), "&Erfassen");
    EXPECT_EQ(w.Capture->toolTip(), "Klicken, um eine Farbe zu wählen");
    EXPECT_EQ(w.Stop->text(), "&Anhalten (Esc)");
    EXPECT_EQ(w.Foreign.text(), "Farbpipette");
    EXPECT_EQ(w.Lines->Lines(), QStringList({"Matrix (de)", "", "unknown line", "&Erfassen"}));
    EXPECT_EQ(w.Label->objectName(), "Matrix");
    EXPECT_EQ(w.Capture->objectName(), "&Capture");
}

TEST_F(TranslateFormTest, ASecondCallInTheSameLanguageChangesNothing) {
    TPickerLikeWindow w;
    const TTranslationModule module(Locale(), "de");
    TranslateForm(w.Window);
    w.Capture->setText("&Capture"); // as a running frame sets its caption
    TranslateForm(w.Window);
    EXPECT_EQ(w.Capture->text(), "&Capture");
    EXPECT_EQ(w.Window.findChildren<QObject*>("GNUgettextMarker", Qt::FindDirectChildrenOnly).size(), 1);
}

TEST_F(TranslateFormTest, AnotherLanguageRestoresTheDesignedTextsAndTranslatesThemAgain) {
    TPickerLikeWindow w;
    {
        const TTranslationModule module(Locale(), "de");
        TranslateForm(w.Window);
    }
    {
        const TTranslationModule module(Locale(), "fr");
        TranslateForm(w.Window);
        EXPECT_EQ(w.Window.windowTitle(), "Pipette");
        EXPECT_EQ(w.Capture->text(), "&Capturer");
        // No French entry: the designed text, not the German one.
        EXPECT_EQ(w.Label->text(), "Matrix");
        EXPECT_EQ(w.Capture->toolTip(), "click this preview to select a color...");
        EXPECT_EQ(w.Lines->Lines(), QStringList({"Matrix", "", "unknown line", "&Capturer"}));
    }
    TranslateForm(w.Window); // no module: the language "C"
    EXPECT_EQ(w.Window.windowTitle(), "Color Picker");
    EXPECT_EQ(w.Stop->text(), "&Stop (Esc)");
}

TEST_F(TranslateFormTest, AFontFamilyTheCatalogueKnowsChangesAndChildrenStillInherit) {
    const QString family = QApplication::font().family();
    CompileCatalogue(CatalogueUnder(Locale(), "nl"),
                     PoHeader() + PoEntry(family.toStdString(), "Fixed Family"));
    TPickerLikeWindow w;
    const TTranslationModule module(Locale(), "nl");
    TranslateForm(w.Window);
    EXPECT_EQ(w.Window.font().family(), "Fixed Family");
    EXPECT_EQ(w.Label->font().family(), "Fixed Family");
    EXPECT_FALSE(w.Label->testAttribute(Qt::WA_SetFont));
    w.Window.setFont(QFont("Another Family"));
    EXPECT_EQ(w.Marker->font().family(), "Another Family");
}

TEST_F(TranslateFormTest, AnUntranslatedFontIsNeverWrittenBack) {
    TPickerLikeWindow w;
    const TTranslationModule module(Locale(), "de");
    TranslateForm(w.Window);
    for (QWidget* widget : w.Window.findChildren<QWidget*>())
        EXPECT_FALSE(widget->testAttribute(Qt::WA_SetFont)) << widget->metaObject()->className();
    EXPECT_FALSE(w.Window.testAttribute(Qt::WA_SetFont));
    w.Window.setFont(QFont("Another Family"));
    EXPECT_EQ(w.Capture->font().family(), "Another Family");
}

TEST_F(TranslateFormTest, AFailureIsSwallowedAndWhatWasTranslatedStays) {
    // The window's own title comes first in the walk; the group's label fails to decode.
    ASSERT_TRUE(test::MakeUndecodable(CatalogueUnder(Locale(), "de"), "Matrix (d"));
    TPickerLikeWindow w;
    const TTranslationModule module(Locale(), "de");
    EXPECT_NO_THROW(TranslateForm(w.Window));
    EXPECT_EQ(w.Window.windowTitle(), "Farbpipette");
    EXPECT_EQ(w.Label->text(), "Matrix");
}

} // namespace
} // namespace tintwell

#include "translate_form_test.moc"
