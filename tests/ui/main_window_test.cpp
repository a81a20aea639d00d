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
    return {window.GroupBox1->title(), window.Label1->text(), window.ms7->text(),     window.PER->text(),
            window.Period->text(),     window.Voluem->text(), window.chClose->text(), window.lbs->text(),
            window.Make->text(),       window.Exit->text(),   window.windowTitle(),   window.m5->text(),
            window.m10->text(),        window.m15->text(),    window.m60->text(),     window.mCust->text(),
            window.Rus->text()};
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
    for (int row = 0; row < window.box->count(); ++row) lines << window.box->item(row)->text();
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
        window.Dir->setText(dir.path());
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
    void customIntervalIsNormalised_data();
    void customIntervalIsNormalised();
    void directoryIsNormalised_data();
    void directoryIsNormalised();
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
    QCOMPARE(window.Dir->text(), "/");
    QCOMPARE(window.Cust->text(), "240");
    for (const QCheckBox* box : window.findChildren<QCheckBox*>()) QVERIFY(!box->isChecked());
    QCOMPARE(window.box->count(), 0);
}

void TestMainWindow::tabOrderFollowsTheDesign() {
    const TfMain window;
    QStringList chain;
    for (QWidget* widget = window.Dir; chain.size() < 16; widget = widget->nextInFocusChain()) {
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
    QCOMPARE(QApplication::focusWidget(), window.Dir);
    QCOMPARE(window.Dir->selectedText(), "/");

    // Coming back from another window keeps what a run left in the counter.
    window.ShowLineCounter(7);
    window.YieldToWindow();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(window.lbs->text(), "Строка: 7");
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
    window.ShowLineCounter(12);
    window.YieldToWindow();
    for (const bool ticked : clicks) window.Rus->setChecked(ticked);
    QCOMPARE(Captions(window), WithFixedCaptions(captions));
}

void TestMainWindow::customIntervalIsNormalised_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("leading blank, zero") << u" 015"_s << u"15"_s;
    QTest::newRow("dollar hex") << u"$F0"_s << u"240"_s;
    QTest::newRow("x hex") << u"x10"_s << u"16"_s;
    QTest::newRow("0x hex") << u"0x10"_s << u"16"_s;
    QTest::newRow("all ones") << u"$FFFFFFFF"_s << u"-1"_s;
    QTest::newRow("negative") << u"-5"_s << u"-5"_s;
    QTest::newRow("zero") << u"0"_s << u"0"_s;
    QTest::newRow("empty") << u""_s << u"240"_s;
    QTest::newRow("letters") << u"abc"_s << u"240"_s;
    QTest::newRow("trailing blank") << u"15 "_s << u"240"_s;
    QTest::newRow("sign before hex") << u"-$F"_s << u"240"_s;
    QTest::newRow("beyond 32 bits") << u"99999999999"_s << u"240"_s;
    QTest::newRow("non-ASCII digits") << u"１５"_s << u"240"_s;
}

void TestMainWindow::customIntervalIsNormalised() {
    QFETCH(QString, typed);
    QFETCH(QString, normalised);
    const QTemporaryDir empty;
    TfMain window;
    window.Dir->setText(empty.path() + "/");
    window.Cust->setText(typed);
    window.MakeClick();
    QCOMPARE(window.Cust->text(), normalised);
}

void TestMainWindow::directoryIsNormalised_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("empty: the program's directory")
        << QString() << QCoreApplication::applicationDirPath() + "/";
    QTest::newRow("no trailing separator") << u"/nonexistent/data"_s << u"/nonexistent/data/"_s;
    QTest::newRow("trailing separator") << u"/nonexistent/data/"_s << u"/nonexistent/data/"_s;
    QTest::newRow("blank is text") << u" "_s << u" /"_s;
}

void TestMainWindow::directoryIsNormalised() {
    QFETCH(QString, typed);
    QFETCH(QString, normalised);
    TfMain window;
    window.Dir->setText(typed);
    window.MakeClick();
    QCOMPARE(window.Dir->text(), normalised);
    QCOMPARE(window.box->count(), 0);
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
    run.window.Cust->setText(custom);
    run.window.Make->click();

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
        run.window.Make->click();
        QCOMPARE(run.window.box->count(), lines);
        QCOMPARE(run.window.box->currentRow(), lines - 1);
        QCOMPARE(run.window.box->selectedItems(), QList{run.window.box->item(lines - 1)});
    }
    QCOMPARE(run.window.box->item(8)->text(), "Skip (-m): AFLT-m5.txt");
    QVERIFY(run.window.lbs->text().startsWith("Строка: "));
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
    window.Dir->setText(empty.path());
    window.chClose->setChecked(exitAfterProcessing);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Make->click();
    QCOMPARE(window.isVisible(), !exitAfterProcessing);
}

void TestMainWindow::secondClickDuringRunIsRefused() {
    ExampleRun run({"m5"});
    bool refusedWhileRunning = false;
    QTimer::singleShot(0, &run.window, [&run, &refusedWhileRunning] {
        refusedWhileRunning = run.window.running() && !run.window.Make->isEnabled();
        run.window.Make->click();
        run.window.MakeClick();
    });
    run.window.Make->click();
    QVERIFY(refusedWhileRunning);
    QCOMPARE(LogOf(run.window).count("Ok"), 4);
    QCOMPARE(run.window.box->count(), 8);
    QVERIFY(run.window.Make->isEnabled());
    QVERIFY(!run.window.running());
}

void TestMainWindow::closeDuringRunLetsRunFinish() {
    ExampleRun run({"m5", "m60"});
    run.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&run.window));
    QTimer::singleShot(0, &run.window, &TfMain::close);
    run.window.Make->click();
    QVERIFY(!run.window.isVisible());
    QCOMPARE(LogOf(run.window).count("Ok"), 4);
    QVERIFY(QFile::exists(run.dir.filePath("VTBR_ticks-m60.txt")));
}

}  // namespace tarnix

QTEST_MAIN(tarnix::TestMainWindow)
#include "main_window_test.moc"
