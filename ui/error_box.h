#pragma once

// Error message boxes of the window and its dialogs.

#include <functional>

#include <QString>

class QWidget;

namespace tarnix {

// Shows a message in place of an error message box.
using ErrorBoxShower = std::function<void(QWidget* parent, const QString& message)>;

// Shows `message` in a modal error message box captioned with the application title, "Tarnix", or hands it
// to the shower put in place by SetErrorBoxShower.
void ShowErrorBox(QWidget* parent, const QString& message);

// Puts `shower` in place of the message box, so that tests on the offscreen platform see the message
// instead of blocking in a modal box; an empty shower brings the box back. Returns the previous shower.
ErrorBoxShower SetErrorBoxShower(ErrorBoxShower shower);

}  // namespace tarnix
