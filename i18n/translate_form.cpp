#include <QFont>
#include <QMetaProperty>
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <vector>

#include "i18n/translation.h"

namespace tintwell {
namespace {

constexpr const char* kMarkerName = "GNUgettextMarker";

// The properties that are names, not texts: never translated, wherever they occur.
bool IsIgnoredProperty(const char* name) { return qstrcmp(name, "objectName") == 0; }

struct TUntranslated {
    enum class TKind { Text, Lines, FontFamily };
    QPointer<QObject> Object;
    QByteArray Property;
    TKind Kind;
    QVariant Value;
    // A widget that inherited its font before translation gets the inheritance back on restore.
    bool InheritedFont = false;
};

// Owned by the translated component: the language it is in and every text as it was designed.
class TGnuGettextMarker : public QObject {
public:
    explicit TGnuGettextMarker(QObject* owner) : QObject(owner) { setObjectName(kMarkerName); }
    std::string Language;
    std::vector<TUntranslated> Untranslated;
};

QString Translated(const QString& text) { return TranslateText(text); }

void TranslateProperty(QObject& object, const QMetaProperty& property, std::vector<TUntranslated>& records) {
    const QVariant value = property.read(&object);
    switch (property.metaType().id()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        if (text.isEmpty())
            return;
        records.push_back({&object, property.name(), TUntranslated::TKind::Text, value});
        if (const QString translation = Translated(text); translation != text)
            property.write(&object, translation);
        return;
    }
    case QMetaType::QStringList: {
        const QStringList lines = value.toStringList();
        if (lines.isEmpty())
            return;
        records.push_back({&object, property.name(), TUntranslated::TKind::Lines, value});
        QStringList translated = lines;
        for (QString& line : translated)
            if (!line.isEmpty())
                line = Translated(line);
        if (translated != lines)
            property.write(&object, translated);
        return;
    }
    case QMetaType::QFont: {
        const QFont font = value.value<QFont>();
        const QString family = font.family();
        if (family.isEmpty())
            return;
        const QString translation = Translated(family);
        // A font is a value: writing it back, even unchanged, would stop a widget inheriting its
        // parent's font. Only a family the catalogue really changes is written.
        if (translation == family)
            return;
        auto* widget = qobject_cast<QWidget*>(&object);
        const bool inherited = widget && !widget->testAttribute(Qt::WA_SetFont);
        records.push_back({&object, property.name(), TUntranslated::TKind::FontFamily, value, inherited});
        QFont changed = inherited ? QFont() : font;
        changed.setFamily(translation);
        property.write(&object, changed);
        return;
    }
    default: return;
    }
}

void TranslateObject(QObject& object, std::vector<TUntranslated>& records) {
    const QMetaObject* meta = object.metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (property.isReadable() && property.isWritable() && !IsIgnoredProperty(property.name()))
            TranslateProperty(object, property, records);
    }
}

void TranslateTree(QObject& root, std::vector<TUntranslated>& records) {
    std::vector<QObject*> work{&root};
    QSet<QObject*> visited{&root};
    const auto join = [&](QObject* object) {
        if (object && !dynamic_cast<TGnuGettextMarker*>(object) && !visited.contains(object)) {
            visited.insert(object);
            work.push_back(object);
        }
    };
    for (std::size_t next = 0; next < work.size(); ++next) {
        QObject* object = work[next];
        TranslateObject(*object, records);
        for (QObject* child : object->children())
            join(child);
        if (auto* widget = qobject_cast<QWidget*>(object))
            for (QAction* action : widget->actions())
                join(action);
    }
}

void Restore(const std::vector<TUntranslated>& records) {
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (!it->Object)
            continue;
        auto* widget = qobject_cast<QWidget*>(it->Object.data());
        if (it->Kind == TUntranslated::TKind::FontFamily && it->InheritedFont && widget)
            widget->setFont(QFont()); // an empty resolve mask: inherit again
        else
            it->Object->setProperty(it->Property.constData(), it->Value);
    }
}

} // namespace

void TranslateForm(QObject& component) {
    TGnuGettextMarker* marker = nullptr;
    for (QObject* child : component.children())
        if (auto* candidate = dynamic_cast<TGnuGettextMarker*>(child);
            candidate && child->objectName() == kMarkerName)
            marker = candidate;
    const std::string language = CurrentLanguage();
    if (marker && marker->Language == language)
        return;
    try {
        if (marker) {
            Restore(marker->Untranslated);
            marker->Untranslated.clear();
        } else {
            marker = new TGnuGettextMarker(nullptr);
        }
        marker->Language = language;
        TranslateTree(component, marker->Untranslated);
    } catch (...) {
        // Never fails: whatever was translated before the error stays translated.
    }
    if (marker && !marker->parent())
        marker->setParent(&component);
}

} // namespace tintwell
