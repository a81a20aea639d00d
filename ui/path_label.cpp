#include "path_label.h"

#include <QEvent>
#include <QFontMetrics>
#include <QStringList>

namespace tarnix {
namespace {

QStringList ShorterForms(const QString& path) {
    QStringList directories = path.split(u'/', Qt::SkipEmptyParts);
    if (directories.isEmpty()) return {path};
    const QString name = directories.takeLast();
    QStringList forms{path};
    if (!directories.isEmpty()) {
        for (qsizetype cut = 1; cut <= directories.size(); ++cut) {
            forms << QStringLiteral("/.../") + (directories.mid(cut) << name).join(u'/');
        }
        forms << QStringLiteral(".../") + name;
    }
    forms << name;
    return forms;
}

}  // namespace

QString ShortenedPath(const QString& path, const QFontMetrics& metrics, int width) {
    const QStringList forms = ShorterForms(path);
    for (const QString& form : forms) {
        if (metrics.horizontalAdvance(form) <= width) return form;
    }
    return forms.last();
}

// Plain text: a directory name may look like markup.
TPathLabel::TPathLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void TPathLabel::SetPath(const QString& path) {
    path_ = path;
    ShowShortened();
}

void TPathLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    ShowShortened();
}

void TPathLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) ShowShortened();
}

void TPathLabel::ShowShortened() {
    setText(ShortenedPath(path_, fontMetrics(), contentsRect().width()));
}

}  // namespace tarnix
