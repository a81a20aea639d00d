#include "error_box.h"

#include <utility>

#include <QMessageBox>

namespace tarnix {
namespace {

ErrorBoxShower& CurrentShower() {
    static ErrorBoxShower shower;
    return shower;
}

}  // namespace

void ShowErrorBox(QWidget* parent, const QString& message) {
    if (const ErrorBoxShower& shower = CurrentShower()) {
        shower(parent, message);
        return;
    }
    QMessageBox::critical(parent, QStringLiteral("Tarnix"), message);
}

ErrorBoxShower SetErrorBoxShower(ErrorBoxShower shower) {
    return std::exchange(CurrentShower(), std::move(shower));
}

}  // namespace tarnix
