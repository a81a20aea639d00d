#pragma once

// The directory field of the main window.

#include <QLineEdit>

namespace tarnix {

// A line edit for the directory a run converts; its own class, so that the folder button and its dialog
// belong to the field and not to the window.
class TDirectoryEdit : public QLineEdit {
    Q_OBJECT

  public:
    using QLineEdit::QLineEdit;
};

}  // namespace tarnix
