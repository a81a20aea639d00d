#include "directory_edit.h"

#include <optional>
#include <string>

#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>

#include "directory_field.h"
#include "select_dir_dialog.h"

namespace tarnix {
namespace {

constexpr QSize kDesignImage(frontend::kFolderImageWidth, frontend::kFolderImageHeight);

bool IsDirectory(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).isDir();
}

}  // namespace

TDirectoryEdit::TDirectoryEdit(QWidget* parent)
    : QLineEdit(parent),
      button_(new QToolButton(this)),
      memory_(QDir::rootPath().toStdString(), IsDirectory) {
    setAcceptDrops(false);
    button_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::ArrowCursor);
    // A press gives the field the focus before the click opens the dialog, as a press on the text would.
    connect(button_, &QToolButton::pressed, this, [this] {
        if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    });
    connect(button_, &QToolButton::clicked, this, &TDirectoryEdit::Browse);
}

void TDirectoryEdit::Browse() {
    const std::optional<QString> chosen =
        TSelectDirDlg::Execute(QString::fromStdString(memory_.StartFor(text().toStdString())), window());
    // Not every platform hands the activation back to the window the dialog was opened from.
    activateWindow();
    setFocus(Qt::OtherFocusReason);
    if (!chosen) return;
    setText(*chosen);
    memory_.Chose(chosen->toStdString());
}

// A context menu that closes hands the focus back too, and must leave the user's selection alone.
void TDirectoryEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason) selectAll();
}

void TDirectoryEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier) {
        Browse();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// The button fills the field inside its border and is as wide as the field is high; it and its image keep
// their designed proportions to the field.
void TDirectoryEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const double scale = height() / static_cast<double>(frontend::kFolderButtonWidth);
    const int border = qRound(frontend::kFieldBorder * scale);
    button_->setGeometry(width() - border - height(), border, height(), height() - 2 * border);
    button_->setIconSize(kDesignImage * scale);
    setTextMargins(0, 0, height() + qRound(frontend::kFolderTextGap * scale), 0);
}

}  // namespace tarnix
