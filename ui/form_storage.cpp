#include "form_storage.h"

#include <optional>

#include <QMetaProperty>
#include <QVariant>
#include <QWidget>

#include "main_window.h"
#include "settings_keys.h"
#include "tarnix/text_case.h"

namespace tarnix {
namespace {

using namespace Qt::StringLiterals;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString TrimmedText(const QString& text) {
    return FromUtf8(TrimSpaceAndControls(text.toStdString()));
}

QString QuotedText(const QString& text) {
    return FromUtf8(frontend::QuotedText(text.toStdString()));
}

std::optional<bool> BooleanOf(const QString& text) {
    return frontend::BooleanOf(text.toStdString());
}

QString BooleanText(bool value) {
    return FromUtf8(frontend::BooleanText(value));
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

void TFormStorage::AddReadOnlyKey(QString key, std::function<void(const QString&)> take) {
    readOnlyKeys_.push_back({std::move(key), std::move(take)});
}

// A missing key reads as the control's own value, so the control keeps it.
void TFormStorage::RestoreProperties() {
    for (const auto& [key, take] : readOnlyKeys_) take(ReadValue(key, QString()));
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
    QStringList storedProps;
    for (const frontend::StoredProperty& stored : frontend::kStoredProperties) {
        storedProps.append(FromUtf8(stored.control) + u'.' + FromUtf8(stored.property));
    }
    auto* storage = new TFormStorage(fMain, FromUtf8(frontend::kIniFileName), FromUtf8(frontend::kIniSection),
                                     storedProps);
    storage->setObjectName(u"Storage"_s);
    storage->AddReadOnlyKey(FromUtf8(frontend::kDecimalsKey), [&fMain](const QString& value) {
        fMain.SetPriceDecimals(frontend::PriceDecimalsOf(value.toStdString()));
    });
}

}  // namespace tarnix
