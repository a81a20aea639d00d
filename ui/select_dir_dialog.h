#pragma once

// The folder dialog of the directory field.

#include <optional>

#include <QDialog>
#include <QString>

#include "design_scale.h"
#include "directory_field.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tarnix {

class TPathLabel;

// Browses the directory tree by mounted file systems (the "drives") and folders, and returns the directory
// that is open. Each directory it opens becomes the program's current directory and stays so after OK and
// Cancel alike, so a relative directory typed later is taken against it.
class TSelectDirDlg final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSelectDirDlg)

  public:
    // The data of a DirList entry besides its name.
    enum EntryRole { kPathRole = Qt::UserRole, kIndentRole };

    explicit TSelectDirDlg(QWidget* parent = nullptr);

    // Shows a dialog opened at `start` modally; the chosen directory after OK, nothing after Cancel.
    static std::optional<QString> Execute(const QString& start, QWidget* parent);

    // Opens `start`, taken against the program's current directory; opens the current directory instead
    // when `start` cannot be entered.
    void OpenStart(const QString& start);
    // The open directory, without a trailing "/" unless it is the root.
    const QString& Directory() const { return directory_; }

    // The controls under their design names, in tab order.
    QListWidget* DirList = nullptr;
    QLineEdit* DirEdit = nullptr;
    QComboBox* DriveList = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QListWidget* FileList = nullptr;
    TPathLabel* DirLabel = nullptr;

  private:
    void CreateControls();
    QWidget* CreateControl(const frontend::DialogControlDesign& design);
    QListWidget* CreateDirList();
    QListWidget* CreateFileList();
    void ConnectHandlers();
    void FillDriveList();
    // Opens a directory the user picked; when it cannot be entered, says why and keeps the open one.
    void OpenBrowsed(const QString& directory);
    void Show(const QString& directory);
    void FillDirList();
    void FillFileList();
    void SelectDriveOf(const QString& directory);
    void CentreOnScreen();
    int Scaled(int pixels) const;

    DesignScale design_;
    QString directory_;
};

}  // namespace tarnix
