#include <clocale>

#include <QApplication>

#include "form_storage.h"
#include "main_window.h"

int main(int argc, char** argv) {
    // The decimal separator of prices comes from the user's number format, which the window reads as it is
    // created.
    std::setlocale(LC_ALL, "");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnix"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tarnix"));
    tarnix::TfMain fMain;
    tarnix::AttachStorage(fMain);
    fMain.show();
    return QApplication::exec();
}
