// Qt's own texts in our windows: every one a user sees must be in the catalogue template, and a
// catalogue installed at start-up translates them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTranslator>
#include <QTreeView>
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
    test::TempDir folder;
    TOpenPictureDialog dialog(nullptr, {{"Bitmaps (*.bmp)", "*.bmp"}}, {});
    dialog.setDirectory(QString::fromStdString(folder.Path("")));
    dialog.show();
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

} // namespace
} // namespace tintwell
