#pragma once

// The path line of the folder dialog.

#include <QLabel>
#include <QString>

class QFontMetrics;

namespace tarnix {

// The first of ever shorter forms of the absolute `path` that is at most `width` pixels wide: the
// directories after the root give way to ".../", one more at each step, then the root goes, and at last the
// final name stands alone, however wide it is.
QString ShortenedPath(const QString& path, const QFontMetrics& metrics, int width);

// Holds a full path and shows it shortened to the label's width.
class TPathLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPathLabel)

  public:
    explicit TPathLabel(QWidget* parent = nullptr);

    void SetPath(const QString& path);
    const QString& Path() const { return path_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void ShowShortened();

    QString path_;
};

}  // namespace tarnix
