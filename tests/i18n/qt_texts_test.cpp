// Qt's own texts in our windows: every one a user sees must be in the catalogue template, and a
// catalogue installed at start-up translates them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "i18n/translation.h"
#include "platform/open_picture_dialog.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

constexpr char16_t kOpen = u'\u27E6';
constexpr char16_t kClose = u'\u27E7';

// Wraps every text Qt asks for in ⟦ ⟧, so that a text on screen tells whether it came from Qt's
// translation, and which source text it was.
class TMarkingTranslator : public QTranslator {
public:
    QString translate(const char*, const char* sourceText, const char*, int) const override {
        if (!sourceText || !*sourceText)
            return {};
        return QString(kOpen) + QString::fromUtf8(sourceText) + QString(kClose);
    }
    bool isEmpty() const override { return false; }
};

// The message identifiers of a .po or .pot file (continuation lines joined, escapes kept as written).
std::set<std::string> MessageIds(const std::string& fileName) {
    std::ifstream file(fileName);
    std::set<std::string> ids;
    std::string line;
    std::string current;
    bool inId = false;
    const auto quoted = [](const std::string& text) {
        const auto first = text.find('"');
        const auto last = text.rfind('"');
        return first == std::string::npos || last <= first ? std::string()
                                                           : text.substr(first + 1, last - first - 1);
    };
    while (std::getline(file, line)) {
        if (line.rfind("msgid ", 0) == 0) {
            current = quoted(line);
            inId = true;
        } else if (inId && !line.empty() && line[0] == '"') {
            current += quoted(line);
        } else if (inId) {
            ids.insert(current);
            inId = false;
        }
    }
    if (inId)
        ids.insert(current);
    return ids;
}

// Escapes a text as .po files write it, so it can be compared with their identifiers.
std::string PoEscaped(const QString& text) {
    std::string result;
    for (char c : text.toStdString()) {
        if (c == '"' || c == '\\')
            result += '\\';
        if (c == '\n') {
            result += "\\n";
            continue;
        }
        result += c;
    }
    return result;
}

void CollectMarked(const QString& shown, std::set<std::string>& texts) {
    qsizetype from = 0;
    while ((from = shown.indexOf(kOpen, from)) >= 0) {
        const qsizetype to = shown.indexOf(kClose, from);
        if (to < 0)
            return;
        texts.insert(PoEscaped(shown.mid(from + 1, to - from - 1)));
        from = to + 1;
    }
}

// Every text a user can see on a window and its visible children: titles, labels, buttons,
// tooltips, combo box items, list headers, placeholders.
std::set<std::string> MarkedTextsShown(QWidget& window) {
    std::set<std::string> texts;
    CollectMarked(window.windowTitle(), texts);
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window))
            continue;
        CollectMarked(widget->toolTip(), texts);
        if (auto* label = qobject_cast<QLabel*>(widget))
            CollectMarked(label->text(), texts);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            CollectMarked(button->text(), texts);
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            CollectMarked(edit->placeholderText(), texts);
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                CollectMarked(combo->itemText(i), texts);
        // The sidebar's places and any other list the dialog fills itself; file names carry no marks.
        if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
            const QAbstractItemModel& model = *view->model();
            for (int row = 0; row < std::min(model.rowCount(view->rootIndex()), 200); ++row)
                for (int column = 0; column < model.columnCount(view->rootIndex()); ++column) {
                    const QModelIndex index = model.index(row, column, view->rootIndex());
                    CollectMarked(index.data(Qt::DisplayRole).toString(), texts);
                    CollectMarked(index.data(Qt::ToolTipRole).toString(), texts);
                }
        }
        if (auto* header = qobject_cast<QHeaderView*>(widget); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                CollectMarked(header->model()->headerData(i, header->orientation()).toString(), texts);
    }
    return texts;
}

std::string Missing(const std::set<std::string>& shown, const std::set<std::string>& known) {
    std::ostringstream missing;
    for (const std::string& text : shown)
        if (!known.contains(text))
            missing << "msgid \"" << text << "\"\nmsgstr \"\"\n\n";
    return missing.str();
}

class QtTexts : public ::testing::Test {
protected:
    void SetUp() override { QCoreApplication::installTranslator(&FMarking); }
    void TearDown() override { QCoreApplication::removeTranslator(&FMarking); }
    const std::set<std::string> FTemplate = MessageIds(TINTWELL_SOURCE_DIR "/locale/default.pot");

private:
    TMarkingTranslator FMarking;
};

TEST_F(QtTexts, EveryTextOfTheOpenDialogIsInTheTemplate) {
    // A folder and a picture, so the list's type column has something to say.
    test::TempDir folder;
    std::filesystem::create_directory(folder.Path("pictures"));
    std::ofstream(folder.Path("plain.bmp")) << "BM";
    TOpenPictureDialog dialog(nullptr, {{"Bitmaps (*.bmp)", "*.bmp"}}, {});
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setDirectory(QString::fromStdString(folder.Path("")));
    dialog.show();
    // The file system model fills the list from a thread of its own.
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && dialog.findChild<QTreeView*>() &&
           dialog.findChild<QTreeView*>()->model()->rowCount(dialog.findChild<QTreeView*>()->rootIndex()) < 2)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
    const std::set<std::string> shown = MarkedTextsShown(dialog);
    // The dialog shows Qt's texts at all: otherwise this test would prove nothing.
    ASSERT_GE(shown.size(), 8u);
    EXPECT_EQ(Missing(shown, FTemplate), "") << "add these to locale/toolkit.pot";
}

TEST_F(QtTexts, TheErrorBoxButtonIsInTheTemplate) {
    QMessageBox box(QMessageBox::Critical, "Tintwell", "text", QMessageBox::Ok);
    box.show();
    QApplication::processEvents();
    const std::set<std::string> shown = MarkedTextsShown(box);
    ASSERT_EQ(shown, (std::set<std::string>{"OK"}));
    EXPECT_EQ(Missing(shown, FTemplate), "");
}

// Every visible label's and button's text of a window.
std::set<QString> VisibleTexts(QWidget& window) {
    std::set<QString> texts{window.windowTitle()};
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window))
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts.insert(label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            texts.insert(button->text());
            texts.insert(button->toolTip());
        }
    }
    return texts;
}

TEST(ShippedCatalogue, TranslatesTheOpenDialogIntoGerman) {
    const TTranslationModule module(TINTWELL_LOCALE_DIR, "de_DE");
    TOpenPictureDialog dialog(nullptr, {{"Bitmaps (*.bmp)", "*.bmp"}}, {});
    dialog.show();
    QApplication::processEvents();
    const std::set<QString> texts = VisibleTexts(dialog);
    for (const char* german : {"Öffnen", "Suchen in:", "Datei&name:", "Dateityp:", "Abbrechen", "Ö&ffnen",
                               "Zurück", "Übergeordnetes Verzeichnis", "Bild:", "Vorschau"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(german))) << german;
    for (const char* english : {"Open", "Look in:", "Cancel", "Picture:", "Preview"})
        EXPECT_FALSE(texts.contains(english)) << english;
}

// The message box's OK takes the same road as every standard button: the platform theme's text,
// which Qt asks the translator for. French shows it on Cancel ("OK" is "OK" in French too).
TEST(ShippedCatalogue, TranslatesStandardButtonsIntoFrench) {
    const TTranslationModule module(TINTWELL_LOCALE_DIR, "fr_FR");
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "Annuler");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text(), "OK");
}

} // namespace
} // namespace tintwell
