#include "form_storage.h"

#include <optional>

#include <QMetaProperty>
#include <QVariant>
#include <QWidget>

#include "main_window.h"

namespace tarnix {
namespace {

using namespace Qt::StringLiterals;

// Characters up to the blank count as blanks at both ends, whatever Unicode calls them.
QString TrimmedText(const QString& text) {
    const auto isBlank = [](QChar c) { return c.unicode() <= u' '; };
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isBlank(text[first])) ++first;
    while (end > first && isBlank(text[end - 1])) --end;
    return text.mid(first, end - first);
}

// The profile reader takes one pair of enclosing quotes off, so a text that has its own gets one pair more.
QString QuotedText(const QString& text) {
    const QString trimmed = TrimmedText(text);
    const bool enclosed = !trimmed.isEmpty() && (trimmed.front() == u'"' || trimmed.front() == u'\'') &&
                          trimmed.back() == trimmed.front();
    return enclosed ? u'"' + trimmed + u'"' : trimmed;
}

std::optional<bool> BooleanOf(const QString& text) {
    const QString trimmed = TrimmedText(text);
    if (trimmed.compare(u"True"_s, Qt::CaseInsensitive) == 0) return true;
    if (trimmed.compare(u"False"_s, Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

QString BooleanText(bool value) {
    return value ? u"True"_s : u"False"_s;
}

bool IsText(const QMetaProperty& property) {
    return property.metaType().id() == QMetaType::QString;
}

bool IsBoolean(const QMetaProperty& property) {
    return property.metaType().id() == QMetaType::Bool;
}

QMetaProperty FindProperty(const QObject& control, const QString& name) {
    const QMetaObject* meta = control.metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (QString::fromLatin1(property.name()).compare(name, Qt::CaseInsensitive) == 0) return property;
    }
    return {};
}

// Qt spells its properties in lower case ("text"); the file spells them as the window's design does ("Text").
QString KeyOf(const QObject& control, const QMetaProperty& property) {
    QString name = QString::fromLatin1(property.name());
    name[0] = name[0].toUpper();
    return control.objectName() + u'_' + name;
}

QObject* FindControl(const QWidget& form, const QString& name) {
    for (QWidget* control : form.findChildren<QWidget*>()) {
        if (control->objectName().compare(name, Qt::CaseInsensitive) == 0) return control;
    }
    return nullptr;
}

}  // namespace

TFormStorage::TFormStorage(QWidget& form, QString iniFileName, QString iniSection,
                           const QStringList& storedProps)
    : TFormPlacement(form, std::move(iniFileName), std::move(iniSection)) {
    for (const QString& entry : storedProps) {
        const qsizetype dot = entry.indexOf(u'.');
        const QString controlName = TrimmedText(entry.left(dot));
        const QString property = TrimmedText(entry.mid(dot + 1));
        QObject* control = dot < 0 || property.isEmpty() ? nullptr : FindControl(form, controlName);
        if (control != nullptr) storedProps_.push_back({control, property});
    }
}

// A missing key reads as the control's own value, so the control keeps it.
void TFormStorage::RestoreProperties() {
    for (const auto& [control, name] : storedProps_) {
        const QMetaProperty property = FindProperty(*control, name);
        const QVariant current = property.read(control);
        if (IsText(property)) {
            property.write(control, TrimmedText(ReadValue(KeyOf(*control, property), current.toString())));
        } else if (IsBoolean(property)) {
            const auto value = BooleanOf(ReadValue(KeyOf(*control, property), BooleanText(current.toBool())));
            if (value) property.write(control, *value);
        }
    }
}

void TFormStorage::SaveProperties() {
    for (const auto& [control, name] : storedProps_) {
        const QMetaProperty property = FindProperty(*control, name);
        const QVariant current = property.read(control);
        if (IsText(property)) {
            WriteValue(KeyOf(*control, property), QuotedText(current.toString()));
        } else if (IsBoolean(property)) {
            WriteValue(KeyOf(*control, property), BooleanText(current.toBool()));
        }
    }
}

void AttachStorage(TfMain& fMain) {
    static const QStringList kStoredProps = {
        u"Dir.Text"_s,       u"chClose.Checked"_s, u"m10.Checked"_s, u"m15.Checked"_s,   u"m5.Checked"_s,
        u"m60.Checked"_s,    u"ms7.Checked"_s,     u"Cust.Text"_s,   u"mCust.Checked"_s, u"Period.Checked"_s,
        u"Voluem.Checked"_s, u"PER.Checked"_s,     u"Rus.Checked"_s,
    };
    auto* storage = new TFormStorage(fMain, u"Tarnix.ini"_s, u"Main"_s, kStoredProps);
    storage->setObjectName(u"Storage"_s);
}

}  // namespace tarnix
