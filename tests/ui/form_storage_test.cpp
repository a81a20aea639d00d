#include "form_storage.h"

#include <memory>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "directory_edit.h"
#include "error_box.h"
#include "main_window.h"
#include "profile_file.h"
#include "window_controls.h"

namespace tarnix {
namespace {

using namespace Qt::StringLiterals;

// The file after the first close of a window that was neither moved nor minimised, at the placement
// numbers of the offscreen platform: an 800 x 800 screen at 96 pixels per inch, a frame of 2 pixels.
const QByteArray kFirstClose =
    "[Main]\nFormVersion=0\nFlags=0\nShowCmd=1\nPixelsPerInch=96\nMinMaxPos(800x800)=-1,-1,-2,-2\n"
    "MinMaxPos=-1,-1,-2,-2\nNormPos(800x800)=521,213,840,614\nNormPos=521,213,840,614\nVisible=0\n"
    "Dir_Text=/\nchClose_Checked=False\nm10_Checked=False\nm15_Checked=False\nm5_Checked=False\n"
    "m60_Checked=False\nms7_Checked=False\nCust_Text=240\nmCust_Checked=False\nPeriod_Checked=False\n"
    "Voluem_Checked=False\nPER_Checked=False\nRus_Checked=False\n";

QByteArray Replaced(QByteArray text, const QList<std::pair<QByteArray, QByteArray>>& changes) {
    for (const auto& [before, after] : changes) text.replace(before, after);
    return text;
}

}  // namespace

class TestFormStorage final : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void firstCloseWritesEveryKeyInOrder();
    void nextCloseChangesItsLinesOnly();
    void otherScreenSizeAddsItsKeysAtTheEnd();
    void rusCheckedSwitchesBeforeVisible_data();
    void rusCheckedSwitchesBeforeVisible();
    void dirTextComesBackAsTyped_data();
    void dirTextComesBackAsTyped();
    void restoreIsSkippedInPart_data();
    void restoreIsSkippedInPart();
    void showCmdGivesState_data();
    void showCmdGivesState();
    void destroySavesOnlyWithoutCompletedSave_data();
    void destroySavesOnlyWithoutCompletedSave();
    void writeFailureIsShownAtCloseAndDestroy();
    void closeDuringRunSavesAtOnce();

  private:
    // A window with its storage, as the program starts it.
    std::unique_ptr<TfMain> Start(bool show = true);
    QString IniPath() const { return config_->filePath(u"Tarnix.ini"_s); }
    QByteArray Ini() const;
    void SetIni(const QByteArray& content) const;
    QString Value(const QString& key) const {
        return ProfileFile(IniPath()).ReadString(u"Main"_s, key, u"<none>"_s);
    }

    std::unique_ptr<QTemporaryDir> config_;
    // The messages of the error boxes.
    QStringList failures_;
};

void TestFormStorage::init() {
    config_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", config_->path().toUtf8());
    failures_.clear();
    SetErrorBoxShower([this](QWidget*, const QString& message) { failures_ << message; });
}

void TestFormStorage::cleanup() {
    SetErrorBoxShower({});
}

std::unique_ptr<TfMain> TestFormStorage::Start(bool show) {
    auto window = std::make_unique<TfMain>();
    AttachStorage(*window);
    if (show) window->show();
    return window;
}

QByteArray TestFormStorage::Ini() const {
    QFile file(IniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestFormStorage::SetIni(const QByteArray& content) const {
    QFile file(IniPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void TestFormStorage::firstCloseWritesEveryKeyInOrder() {
    const auto window = Start();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(!QFile::exists(IniPath()));
    window->close();
    QCOMPARE(Ini(), kFirstClose);
    QVERIFY(failures_.isEmpty());
}

void TestFormStorage::nextCloseChangesItsLinesOnly() {
    // "Decimals" is read, never written: a value set by hand stays as it is.
    const QByteArray before = kFirstClose + "Unknown=kept\nDecimals= 6\n\n[Other]\nRus_Checked=False\n";
    SetIni(before);
    auto window = Start();
    test::Find<QCheckBox>(*window, "m5")->setChecked(true);
    test::Find<QCheckBox>(*window, "Rus")->setChecked(true);
    test::Find<QLineEdit>(*window, "Cust")->setText(u"30"_s);
    test::Find<TDirectoryEdit>(*window, "Dir")->setText(u"/quotes/"_s);
    window->move(100, 50);
    window->close();
    QCOMPARE(Ini(), Replaced(before, {{"521,213,840,614", "100,50,419,451"},
                                      {"m5_Checked=False", "m5_Checked=True"},
                                      {"Cust_Text=240", "Cust_Text=30"},
                                      {"Dir_Text=/", "Dir_Text=/quotes/"},
                                      {"Rus_Checked=False\nUnknown", "Rus_Checked=True\nUnknown"}}));
    window = Start();
    QCOMPARE(window->pos(), QPoint(100, 50));
    QVERIFY(test::Find<QCheckBox>(*window, "Rus")->isChecked());
    QCOMPARE(test::Find<QPushButton>(*window, "Make")->text(), u"Обработать"_s);
}

void TestFormStorage::otherScreenSizeAddsItsKeysAtTheEnd() {
    const QByteArray before = Replaced(kFirstClose, {{"(800x800)=-1,-1,-2,-2", "(1024x768)=-1,-1,-1,-1"},
                                                     {"(800x800)=521,213,840,614", "(1024x768)=5,5,326,409"},
                                                     {"NormPos=521,213", "NormPos=100,50"}});
    SetIni(before);
    const auto window = Start();
    QCOMPARE(window->pos(), QPoint(100, 50));
    window->close();
    QCOMPARE(Ini(), Replaced(before, {{"MinMaxPos=-1,-1,-1,-1", "MinMaxPos=-1,-1,-2,-2"},
                                      {"NormPos=100,50,840,614", "NormPos=100,50,419,451"}}) +
                        "MinMaxPos(800x800)=-1,-1,-2,-2\nNormPos(800x800)=100,50,419,451\n");
}

void TestFormStorage::rusCheckedSwitchesBeforeVisible_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("russian");
    QTest::newRow("True") << "Rus_Checked=True"_ba << true;
    QTest::newRow("any case") << "rus_checked= TRUE "_ba << true;
    QTest::newRow("1 is ignored") << "Rus_Checked=1"_ba << false;
    QTest::newRow("yes is ignored") << "Rus_Checked=yes"_ba << false;
}

// The caption switch puts the bare caption back into the line counter; that it has done so when show()
// returns, before any event is handled, shows that it ran inside the show.
void TestFormStorage::rusCheckedSwitchesBeforeVisible() {
    QFETCH(QByteArray, line);
    QFETCH(bool, russian);
    SetIni("[Main]\n" + line + "\n");
    const auto window = Start(false);
    test::Find<QLabel>(*window, "lbs")->setText(u"Строка: 7"_s);
    window->show();
    QCOMPARE(test::Find<QCheckBox>(*window, "Rus")->isChecked(), russian);
    QCOMPARE(test::Find<QLabel>(*window, "lbs")->text(), russian ? u"Строка:"_s : u"Строка: 7"_s);
    window->close();
    QCOMPARE(Value(u"Rus_Checked"_s), russian ? u"True"_s : u"False"_s);
}

void TestFormStorage::dirTextComesBackAsTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("restored");
    QTest::newRow("blanks around") << u"  /my dir/ "_s << "Dir_Text=/my dir/\n"_ba << u"/my dir/"_s;
    QTest::newRow("double quotes") << u"\"/q/\""_s << "Dir_Text=\"\"/q/\"\"\n"_ba << u"\"/q/\""_s;
    QTest::newRow("single quotes") << u"'/q/'"_s << "Dir_Text=\"'/q/'\"\n"_ba << u"'/q/'"_s;
    QTest::newRow("empty") << u""_s << "Dir_Text=\n"_ba << u""_s;
}

void TestFormStorage::dirTextComesBackAsTyped() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, line);
    QFETCH(QString, restored);
    auto window = Start();
    test::Find<TDirectoryEdit>(*window, "Dir")->setText(typed);
    window->close();
    QVERIFY(Ini().contains("\n" + line));
    window = Start();
    QCOMPARE(test::Find<TDirectoryEdit>(*window, "Dir")->text(), restored);
}

void TestFormStorage::restoreIsSkippedInPart_data() {
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<bool>("placeRestored");
    QTest::addColumn<bool>("valuesRestored");
    QTest::newRow("FormVersion -1") << "FormVersion=-1\n"_ba << false << false;
    QTest::newRow("FormVersion abc") << "FormVersion=abc\n"_ba << true << true;
    QTest::newRow("PixelsPerInch 120") << "PixelsPerInch=120\n"_ba << false << true;
    QTest::newRow("no PixelsPerInch") << ""_ba << true << true;
}

void TestFormStorage::restoreIsSkippedInPart() {
    QFETCH(QByteArray, lines);
    QFETCH(bool, placeRestored);
    QFETCH(bool, valuesRestored);
    SetIni("[Main]\n" + lines + "NormPos=100,50,1,1\nCust_Text=30\n");
    const auto window = Start();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->pos(), placeRestored ? QPoint(100, 50) : QPoint(521, 213));
    QCOMPARE(test::Find<QLineEdit>(*window, "Cust")->text(), valuesRestored ? u"30"_s : u"240"_s);
    window->close();
    QCOMPARE(Value(u"FormVersion"_s), u"0"_s);
}

void TestFormStorage::showCmdGivesState_data() {
    QTest::addColumn<QString>("showCmd");
    QTest::addColumn<Qt::WindowState>("state");
    QTest::addColumn<QString>("written");
    QTest::newRow("0: normal") << u"0"_s << Qt::WindowNoState << u"1"_s;
    QTest::newRow("2: minimised") << u"2"_s << Qt::WindowMinimized << u"2"_s;
    QTest::newRow("3: maximised") << u"3"_s << Qt::WindowMaximized << u"3"_s;
}

void TestFormStorage::showCmdGivesState() {
    QFETCH(QString, showCmd);
    QFETCH(Qt::WindowState, state);
    QFETCH(QString, written);
    SetIni("[Main]\nShowCmd=" + showCmd.toUtf8() + "\n");
    const auto window = Start();
    QTRY_COMPARE(window->windowState(), state);
    window->close();
    QCOMPARE(Value(u"ShowCmd"_s), written);
    QCOMPARE(Value(u"NormPos"_s), u"521,213,840,614"_s);
}

void TestFormStorage::destroySavesOnlyWithoutCompletedSave_data() {
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("never shown: nothing written") << false << false << QByteArray();
    QTest::newRow("shown: written with Visible 1")
        << true << false << Replaced(kFirstClose, {{"Visible=0", "Visible=1"}});
    QTest::newRow("closed: the close's save stands") << true << true << "after the close"_ba;
}

void TestFormStorage::destroySavesOnlyWithoutCompletedSave() {
    QFETCH(bool, shown);
    QFETCH(bool, closed);
    QFETCH(QByteArray, file);
    auto window = Start(shown);
    if (closed) {
        window->close();
        SetIni("after the close");
    }
    window.reset();
    QCOMPARE(Ini(), file);
}

void TestFormStorage::writeFailureIsShownAtCloseAndDestroy() {
    SetIni(kFirstClose);
    QVERIFY(QFile::setPermissions(IniPath(), QFileDevice::ReadOwner));
    auto window = Start();
    test::Find<QCheckBox>(*window, "m5")->setChecked(true);
    window->close();
    QCOMPARE(failures_, QStringList{u"Unable to write to Tarnix.ini."_s});
    window.reset();
    QCOMPARE(failures_, QStringList(2, u"Unable to write to Tarnix.ini."_s));
    QCOMPARE(Ini(), kFirstClose);
}

void TestFormStorage::closeDuringRunSavesAtOnce() {
    const QTemporaryDir quotes;
    const QDir examples(QStringLiteral(TARNIX_EXAMPLES_DIR));
    for (const QString& name : examples.entryList(QDir::Files)) {
        QVERIFY(QFile::copy(examples.filePath(name), quotes.filePath(name)));
    }
    const auto window = Start();
    test::Find<TDirectoryEdit>(*window, "Dir")->setText(quotes.path());
    test::Find<QCheckBox>(*window, "m5")->setChecked(true);
    bool savedDuringRun = false;
    QTimer::singleShot(0, window.get(), [&] {
        window->close();
        savedDuringRun =
            !test::Find<QPushButton>(*window, "Make")->isEnabled() && Value(u"m5_Checked"_s) == u"True"_s;
    });
    test::Find<QPushButton>(*window, "Make")->click();
    QVERIFY(savedDuringRun);
    QVERIFY(QFile::exists(quotes.filePath(u"VTBR_ticks-m5.txt"_s)));
}

}  // namespace tarnix

QTEST_MAIN(tarnix::TestFormStorage)
#include "form_storage_test.moc"
