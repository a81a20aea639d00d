#include "path_label.h"

#include <string_view>

#include <QEvent>
#include <QFontMetrics>

#include "directory_field.h"

namespace tarnix {

QString ShortenedPath(const QString& path, const QFontMetrics& metrics, int width) {
    const auto textWidth = [&metrics](std::string_view form) {
        return metrics.horizontalAdvance(QString::fromUtf8(form.data(), static_cast<qsizetype>(form.size())));
    };
    return QString::fromStdString(frontend::ShortenedPath(path.toStdString(), '/', width, textWidth));
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
