#include "profile_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace tarnix {

using namespace Qt::StringLiterals;

// Each row runs one call on a file that holds `before` (no file at all when null).
class TestProfileFile final : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void readString_data();
    void readString();
    void writeString_data();
    void writeString();

  private:
    void Prepare(const QByteArray& before, bool readOnly = false);
    QByteArray Content() const;

    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

void TestProfileFile::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    path_ = dir_->filePath(u"config/Tarnix.ini"_s);
}

void TestProfileFile::Prepare(const QByteArray& before, bool readOnly) {
    if (before.isNull()) return;
    QVERIFY(QDir().mkpath(QFileInfo(path_).absolutePath()));
    QFile file(path_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(before);
    file.close();
    if (readOnly) QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup));
}

QByteArray TestProfileFile::Content() const {
    QFile file(path_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestProfileFile::readString_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("value");
    const QByteArray a3000(3000, 'a');
    // clang-format off
    //                                    before                                         value
    QTest::newRow("no file")           << QByteArray()                                << u"dflt"_s;
    QTest::newRow("LF")                << "[Main]\nA=1\n"_ba                          << u"1"_s;
    QTest::newRow("CR LF")             << "[Main]\r\nA=1\r\n"_ba                      << u"1"_s;
    QTest::newRow("no last newline")   << "[Main]\nA=1"_ba                            << u"1"_s;
    QTest::newRow("other case")        << "[mAIN]\na=1\n"_ba                          << u"1"_s;
    QTest::newRow("blanks, comments")  << "A=0\n\n[ Main ]\n;A=2\n\n  A =  x y \n"_ba << u"x y"_s;
    QTest::newRow("duplicate section") << "[Main]\nB=1\n[Main]\nA=2\n"_ba             << u"dflt"_s;
    QTest::newRow("double quotes")     << "[Main]\nA= \"x \" \n"_ba                   << u"x "_s;
    QTest::newRow("one pair only")     << "[Main]\nA=\"\"x\"\"\n"_ba                  << u"\"x\""_s;
    QTest::newRow("3000 characters")   << "[Main]\nA=" + a3000                        << QString(2047, 'a');
    QTest::newRow("cut before UTF-8")  << "[Main]\nA=" + a3000.left(2046) + "жж"      << QString(2046, 'a');
    // clang-format on
}

void TestProfileFile::readString() {
    QFETCH(QByteArray, before);
    QFETCH(QString, value);
    Prepare(before);
    QCOMPARE(ProfileFile(path_).ReadString(u"Main"_s, u"A"_s, u"dflt"_s), value);
}

void TestProfileFile::writeString_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QByteArray>("after");
    const QString long3000(3000, 'a');
    QTest::newRow("no file") << QByteArray() << false << u"A"_s << u"1"_s << true << "[Main]\nA=1\n"_ba;
    QTest::newRow("existing key keeps its line")
        << "; x\n[Main]\nA=1\nz=9\n"_ba << false << u"A"_s << u"2"_s << true << "; x\n[Main]\nA=2\nz=9\n"_ba;
    QTest::newRow("CR LF: new key at end of section, above blank lines")
        << "[Main]\r\nA=1\r\n;c\r\n\r\n[O]\r\nB=2\r\n"_ba << false << u"C"_s << u"3"_s << true
        << "[Main]\r\nA=1\r\n;c\r\nC=3\r\n\r\n[O]\r\nB=2\r\n"_ba;
    QTest::newRow("key in another case keeps its spelling")
        << "[main]\r\n rus_checked = TRUE \r\n"_ba << false << u"Rus_Checked"_s << u"False"_s << true
        << "[main]\r\nrus_checked=False\r\n"_ba;
    QTest::newRow("duplicate section: the first one")
        << "[Main]\nA=1\n[O]\n[Main]\nB=2\n"_ba << false << u"B"_s << u"3"_s << true
        << "[Main]\nA=1\nB=3\n[O]\n[Main]\nB=2\n"_ba;
    QTest::newRow("no last newline, new key")
        << "[Main]\nA=1"_ba << false << u"B"_s << u"2"_s << true << "[Main]\nA=1\nB=2\n"_ba;
    QTest::newRow("no last newline, existing key")
        << "[Main]\nA=1"_ba << false << u"A"_s << u"2"_s << true << "[Main]\nA=2"_ba;
    QTest::newRow("new section at the end")
        << "[O]\r\nB=2"_ba << false << u"A"_s << u"1"_s << true << "[O]\r\nB=2\r\n[Main]\r\nA=1\r\n"_ba;
    QTest::newRow("3000 characters written whole")
        << "[Main]\n"_ba << false << u"A"_s << long3000 << true << "[Main]\nA=" + long3000.toUtf8() + "\n";
    QTest::newRow("line break refused")
        << "[Main]\nA=1\n"_ba << false << u"A"_s << u"x\nB=2"_s << false << "[Main]\nA=1\n"_ba;
    QTest::newRow("read-only file refused")
        << "[Main]\nA=1\n"_ba << true << u"A"_s << u"2"_s << false << "[Main]\nA=1\n"_ba;
}

void TestProfileFile::writeString() {
    QFETCH(QByteArray, before);
    QFETCH(bool, readOnly);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, written);
    QFETCH(QByteArray, after);
    Prepare(before, readOnly);
    QCOMPARE(ProfileFile(path_).WriteString(u"Main"_s, key, value), written);
    QCOMPARE(Content(), after);
    QCOMPARE(QDir(QFileInfo(path_).absolutePath()).entryList(QDir::Files), QStringList{u"Tarnix.ini"_s});
}

}  // namespace tarnix

QTEST_APPLESS_MAIN(tarnix::TestProfileFile)
#include "profile_file_test.moc"
