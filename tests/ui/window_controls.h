#pragma once

// The main window's controls as the tests reach them: by their design names, as a user's script would.

#include <QTest>
#include <QWidget>

namespace tarnix::test {

// The control of the window with that design name; a missing control fails the test at once.
template <typename Widget>
Widget* Find(const QWidget& window, const char* name) {
    auto* control = window.findChild<Widget*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("the window has no control %s of the kind asked for", name);
    return control;
}

}  // namespace tarnix::test
