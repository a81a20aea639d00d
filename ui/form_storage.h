#pragma once

// The settings storage of a window: its placement and the values of chosen controls in a settings file.

#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

#include "form_placement.h"

namespace tarnix {

class TfMain;

// Stores control properties besides the placement, each under the key "<control>_<Property>", in the order
// of its list. Text properties are stored trimmed, Boolean ones as "True" or "False"; a stored Boolean other
// than those two, in any case, leaves its control as it is, and so does a missing key.
class TFormStorage final : public TFormPlacement {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFormStorage)

  public:
    // Entries are "Control.Property", both looked up without regard to case. Entries that do not split, or
    // whose control the form lacks, are dropped; those whose property the control lacks are passed over.
    TFormStorage(QWidget& form, QString iniFileName, QString iniSection, const QStringList& storedProps);

    // A key that is read as the settings are restored, and handed to `take`, but never written: a value that
    // a user sets by hand. A missing key reads as an empty text.
    void AddReadOnlyKey(QString key, std::function<void(const QString&)> take);

  protected:
    void RestoreProperties() override;
    void SaveProperties() override;

  private:
    struct StoredProp {
        QObject* control;
        QString property;
    };

    struct ReadOnlyKey {
        QString key;
        std::function<void(const QString&)> take;
    };

    std::vector<StoredProp> storedProps_;
    std::vector<ReadOnlyKey> readOnlyKeys_;
};

// Attaches the main window's storage `Storage`: Tarnix.ini, section "Main", the directory, the custom
// interval and the eleven check boxes.
void AttachStorage(TfMain& fMain);

}  // namespace tarnix
