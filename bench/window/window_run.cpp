// Times one run of the window over a directory, as a user starts it: the window is shown, the 5, 10, 15,
// 60 and 240 minute intervals and the volume are ticked, and "Process" is clicked. Prints the seconds that
// the click took; the window's log and counter are painted along the way as on a desktop.

#include <chrono>
#include <clocale>
#include <cstdio>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "main_window.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnix-window-run DIRECTORY\n");
        return 2;
    }
    tarnix::TfMain window;
    window.show();
    QCoreApplication::processEvents();
    window.findChild<QLineEdit*>(QStringLiteral("Dir"))->setText(QString::fromLocal8Bit(argv[1]));
    for (const char* box : {"m5", "m10", "m15", "m60", "mCust", "Voluem"}) {
        window.findChild<QCheckBox*>(QLatin1String(box))->setChecked(true);
    }

    const auto start = std::chrono::steady_clock::now();
    window.findChild<QPushButton*>(QStringLiteral("Make"))->click();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", seconds.count());
    return 0;
}
