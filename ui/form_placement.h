#pragma once

// Keeps a window's place on the screen and its state between runs of the program, in one section of a
// settings file.

#include <QObject>
#include <QString>

class QWidget;

namespace tarnix {

// Attaches itself to a window as its child: restores the settings when the window is shown, before it is on
// screen, and saves them when the window is asked to close and, when no save completed, when it is
// destroyed. Only the place of the window is taken from the file, never its size, as the window has a fixed
// size. Subclasses store more values through RestoreProperties and SaveProperties.
class TFormPlacement : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFormPlacement)

  public:
    // The file name is resolved by ProfileFile::PathOf at every read and write.
    TFormPlacement(QWidget& form, QString iniFileName, QString iniSection);

    // Reads position, state and the subclass's values; a "FormVersion" below 0 skips all of them.
    void RestoreSettings();
    // Writes every key, unless the window was never restored. Stops at the first key that cannot be written
    // and shows "Unable to write to <file name>." in an error box; the next save tries again.
    void SaveSettings();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    virtual void RestoreProperties() {}
    virtual void SaveProperties() {}

    QString ReadValue(const QString& key, const QString& fallback) const;
    // Once a write has failed, later writes of the same save are not tried.
    void WriteValue(const QString& key, const QString& value);

  private:
    int ReadInteger(const QString& key, int fallback) const;
    void RestorePosition();
    void RestoreState();
    void SavePlacement();
    void SaveWhenDestroyed();
    // Shows a failure that escapes a restore or save in an error box, so that the show or the close goes on.
    void Guarded(void (TFormPlacement::*operation)());

    QWidget& form_;
    QString iniFileName_;
    QString iniSection_;
    bool restored_ = false;
    bool saved_ = false;
    bool destroying_ = false;
    bool writeFailed_ = false;
};

}  // namespace tarnix
