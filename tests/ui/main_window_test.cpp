#include "main_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "directory_edit.h"
#include "window_controls.h"

namespace tarnix {
namespace {

using namespace Qt::StringLiterals;

const QStringList kEnglish = {"Create file with an interval:",
                              "Directory:",
                              "Add period for MetaStock 7",
                              "Add field <PER>=I for MetaStock 6.52",
                              "Add period to the symbol name",
                              "Calculate Volume",
                              "Exit after processing",
                              "Line:",
                              "Process",
                              "Exit"};
const QStringList kRussian = {"Создавать файл с интервалом:",
                              "Каталог:",
                              "Указывать период для MetaStock 7",
                              "Добавлять поле <PER>=I для MetaStock 6.52",
                              "Добавлять период к имени символа",
                              "Считать объем",
                              "Закрыть после обработки",
                              "Строка:",
                              "Обработать",
                              "Закрыть"};

// The captions that follow the language, and those that never change, in one list.
QStringList Captions(const TfMain& window) {
    return {test::Find<QGroupBox>(window, "GroupBox1")->title(),
            test::Find<QLabel>(window, "Label1")->text(),
            test::Find<QCheckBox>(window, "ms7")->text(),
            test::Find<QCheckBox>(window, "PER")->text(),
            test::Find<QCheckBox>(window, "Period")->text(),
            test::Find<QCheckBox>(window, "Voluem")->text(),
            test::Find<QCheckBox>(window, "chClose")->text(),
            test::Find<QLabel>(window, "lbs")->text(),
            test::Find<QPushButton>(window, "Make")->text(),
            test::Find<QPushButton>(window, "Exit")->text(),
            window.windowTitle(),
            test::Find<QCheckBox>(window, "m5")->text(),
            test::Find<QCheckBox>(window, "m10")->text(),
            test::Find<QCheckBox>(window, "m15")->text(),
            test::Find<QCheckBox>(window, "m60")->text(),
            test::Find<QCheckBox>(window, "mCust")->text(),
            test::Find<QCheckBox>(window, "Rus")->text()};
}

// A language's captions followed by those that no language switch changes: the designed window title (its
// "1.12" belongs to the design, it is not the program's version), the interval boxes and "Russian".
QStringList WithFixedCaptions(const QStringList& captions) {
    return captions +
           QStringList{
               "Tarnix 1.12 - https://tarnix.example", "5 min", "10 min", "15 min", "60 min", "", "Russian"};
}

QStringList LogOf(const TfMain& window) {
    QStringList lines;
    for (int row = 0; row < test::Find<QListWidget>(window, "box")->count(); ++row)
        lines << test::Find<QListWidget>(window, "box")->item(row)->text();
    return lines;
}

void CopyExamples(const QString& target) {
    const QDir examples(QStringLiteral(TARNIX_EXAMPLES_DIR));
    for (const QString& name : examples.entryList(QDir::Files)) {
        QVERIFY(QFile::copy(examples.filePath(name), target + "/" + name));
    }
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void Tick(TfMain& window, const QStringList& names) {
    for (const QString& name : names) window.findChild<QCheckBox*>(name)->setChecked(true);
}

// A window over a fresh directory that holds the example quotes, with the given boxes ticked.
struct ExampleRun {
    explicit ExampleRun(const QStringList& ticked) {
        CopyExamples(dir.path());
        test::Find<TDirectoryEdit>(window, "Dir")->setText(dir.path());
        Tick(window, ticked);
    }
    QTemporaryDir dir;
    TfMain window;
};

}  // namespace

class TestMainWindow final : public QObject {
    Q_OBJECT

  private slots:
    void startsWithDesignValuesAndRussianCaptions();
    void tabOrderFollowsTheDesign();
    void firstActivationAppliesLanguageAndSelectsDirectory();
    void rusSwitchesCaptions_data();
    void rusSwitchesCaptions();
    void processTidiesTheFields();
    void runMatchesHeadlessConverter_data();
    void runMatchesHeadlessConverter();
    void logGrowsOverRunsWithNewestSelected();
    void chCloseClosesAfterRun_data();
    void chCloseClosesAfterRun();
    void secondClickDuringRunIsRefused();
    void closeDuringRunLetsRunFinish();
};

void TestMainWindow::startsWithDesignValuesAndRussianCaptions() {
    const TfMain window;
    QCOMPARE(Captions(window), WithFixedCaptions(kRussian));
    QCOMPARE(test::Find<TDirectoryEdit>(window, "Dir")->text(), "/");
    QCOMPARE(test::Find<QLineEdit>(window, "Cust")->text(), "240");
    for (const QCheckBox* box : window.findChildren<QCheckBox*>()) QVERIFY(!box->isChecked());
    QCOMPARE(test::Find<QListWidget>(window, "box")->count(), 0);
}

void TestMainWindow::tabOrderFollowsTheDesign() {
    const TfMain window;
    QStringList chain;
    for (QWidget* widget = test::Find<TDirectoryEdit>(window, "Dir"); chain.size() < 16;
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus) chain << widget->objectName();
    }
    QCOMPARE(chain, QStringList({"Dir", "m5", "m10", "m15", "m60", "mCust", "Cust", "ms7", "PER", "Period",
                                 "Voluem", "chClose", "Rus", "Make", "Exit", "box"}));
}

void TestMainWindow::firstActivationAppliesLanguageAndSelectsDirectory() {
    TfMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(Captions(window), WithFixedCaptions(kEnglish));
    QCOMPARE(QApplication::focusWidget(), test::Find<TDirectoryEdit>(window, "Dir"));
    QCOMPARE(test::Find<TDirectoryEdit>(window, "Dir")->selectedText(), "/");

    // Coming back from another window keeps what a run left in the counter.
    test::Find<QLabel>(window, "lbs")->setText(u"Строка: 7"_s);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(test::Find<QLabel>(window, "lbs")->text(), "Строка: 7");
}

void TestMainWindow::rusSwitchesCaptions_data() {
    QTest::addColumn<QList<bool>>("clicks");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("ticked") << QList<bool>{true} << kRussian;
    QTest::newRow("ticked, then unticked") << QList<bool>{true, false} << kEnglish;
}

void TestMainWindow::rusSwitchesCaptions() {
    QFETCH(QList<bool>, clicks);
    QFETCH(QStringList, captions);
    TfMain window;
    test::Find<QLabel>(window, "lbs")->setText(u"Строка: 12"_s);
    for (const bool ticked : clicks) test::Find<QCheckBox>(window, "Rus")->setChecked(ticked);
    QCOMPARE(Captions(window), WithFixedCaptions(captions));
}

// The tidy-up itself is frontend's; the window shows what it made of both fields.
void TestMainWindow::processTidiesTheFields() {
    TfMain window;
    test::Find<TDirectoryEdit>(window, "Dir")->clear();
    test::Find<QLineEdit>(window, "Cust")->setText(u" $1E"_s);
    test::Find<QPushButton>(window, "Make")->click();
    QCOMPARE(test::Find<TDirectoryEdit>(window, "Dir")->text(), QCoreApplication::applicationDirPath() + "/");
    QCOMPARE(test::Find<QLineEdit>(window, "Cust")->text(), "30");
}

void TestMainWindow::runMatchesHeadlessConverter_data() {
    QTest::addColumn<QStringList>("ticked");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<QStringList>("arguments");
    // Every box in one row only, so that any two boxes swapped show.
    QTest::newRow("5 and 15 minutes, volume")
        << QStringList{"m5", "m15", "Voluem"} << u"240"_s << QStringList{"-i", "5,15", "--volume"};
    QTest::newRow("10 minutes and custom $1E, MetaStock 7 period")
        << QStringList{"m10", "mCust", "ms7"} << u" $1E"_s << QStringList{"-i", "10,30", "--ms7-period"};
    QTest::newRow("60 minutes, per field, symbol period, Russian log")
        << QStringList{"m60", "PER", "Period", "Rus"} << u"240"_s
        << QStringList{"-i", "60", "--per-field", "--symbol-period", "--russian"};
}

void TestMainWindow::runMatchesHeadlessConverter() {
    QFETCH(QStringList, ticked);
    QFETCH(QString, custom);
    QFETCH(QStringList, arguments);
    ExampleRun run(ticked);
    test::Find<QLineEdit>(run.window, "Cust")->setText(custom);
    test::Find<QPushButton>(run.window, "Make")->click();

    const QTemporaryDir expected;
    CopyExamples(expected.path());
    QProcess convert;
    convert.start(QStringLiteral(TARNIX_CONVERT_PATH), arguments << expected.path());
    QVERIFY(convert.waitForFinished(60000));
    QCOMPARE(LogOf(run.window),
             QString::fromUtf8(convert.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts));

    const QStringList names = QDir(expected.path()).entryList(QDir::Files);
    QCOMPARE(QDir(run.dir.path()).entryList(QDir::Files), names);
    for (const QString& name : names) {
        QCOMPARE(ReadFile(run.dir.filePath(name)), ReadFile(expected.filePath(name)));
    }
}

void TestMainWindow::logGrowsOverRunsWithNewestSelected() {
    ExampleRun run({"m5"});
    for (const int lines : {8, 20}) {
        test::Find<QPushButton>(run.window, "Make")->click();
        QCOMPARE(test::Find<QListWidget>(run.window, "box")->count(), lines);
        QCOMPARE(test::Find<QListWidget>(run.window, "box")->currentRow(), lines - 1);
        QCOMPARE(test::Find<QListWidget>(run.window, "box")->selectedItems(),
                 QList{test::Find<QListWidget>(run.window, "box")->item(lines - 1)});
    }
    QCOMPARE(test::Find<QListWidget>(run.window, "box")->item(8)->text(), "Skip (-m): AFLT-m5.txt");
    QVERIFY(test::Find<QLabel>(run.window, "lbs")->text().startsWith("Строка: "));
}

void TestMainWindow::chCloseClosesAfterRun_data() {
    QTest::addColumn<bool>("exitAfterProcessing");
    QTest::newRow("ticked") << true;
    QTest::newRow("unticked") << false;
}

void TestMainWindow::chCloseClosesAfterRun() {
    QFETCH(bool, exitAfterProcessing);
    const QTemporaryDir empty;
    TfMain window;
    test::Find<TDirectoryEdit>(window, "Dir")->setText(empty.path());
    test::Find<QCheckBox>(window, "chClose")->setChecked(exitAfterProcessing);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    test::Find<QPushButton>(window, "Make")->click();
    QCOMPARE(window.isVisible(), !exitAfterProcessing);
}

void TestMainWindow::secondClickDuringRunIsRefused() {
    ExampleRun run({"m5"});
    auto* process = test::Find<QPushButton>(run.window, "Make");
    bool greyedWhileRunning = false;
    QTimer::singleShot(0, &run.window, [process, &greyedWhileRunning] {
        greyedWhileRunning = !process->isEnabled();
        process->click();
    });
    process->click();
    QVERIFY(greyedWhileRunning);
    QCOMPARE(LogOf(run.window).count("Ok"), 4);
    QCOMPARE(test::Find<QListWidget>(run.window, "box")->count(), 8);
    QVERIFY(process->isEnabled());
}

void TestMainWindow::closeDuringRunLetsRunFinish() {
    ExampleRun run({"m5", "m60"});
    run.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&run.window));
    QTimer::singleShot(0, &run.window, &TfMain::close);
    test::Find<QPushButton>(run.window, "Make")->click();
    QVERIFY(!run.window.isVisible());
    QCOMPARE(LogOf(run.window).count("Ok"), 4);
    QVERIFY(QFile::exists(run.dir.filePath("VTBR_ticks-m60.txt")));
}

}  // namespace tarnix

QTEST_MAIN(tarnix::TestMainWindow)
#include "main_window_test.moc"
