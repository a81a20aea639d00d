#pragma once

// The directory field of the main window.

#include <QLineEdit>
#include <QString>

#include "directory_field.h"

class QToolButton;

namespace tarnix {

// A line edit for the directory a run converts, with a folder button inside its right end: the button, or
// Alt+Down, lets the user choose the directory in the folder dialog. Its whole text is selected whenever it
// gets the focus other than by a mouse click. Enter and Escape go on to the window; nothing can be dropped
// on it.
class TDirectoryEdit final : public QLineEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDirectoryEdit)

  public:
    explicit TDirectoryEdit(QWidget* parent = nullptr);

    // Shows the folder dialog at the directory of the text; on OK the chosen directory replaces the text.
    // The field has the focus afterwards.
    void Browse();

    // The directory last chosen in the dialog, if it existed then; where the dialog starts while the text
    // is empty. Empty until the first choice.
    QString InitialDir() const { return QString::fromStdString(memory_.InitialDir()); }

    QToolButton* Button() const { return button_; }

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QToolButton* button_ = nullptr;
    frontend::FolderMemory memory_;
};

}  // namespace tarnix
