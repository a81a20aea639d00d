#include "profile_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace tarnix {

using namespace Qt::StringLiterals;

// Each row runs one call on a file that holds `before` (no file at all when null); how the text within is
// read and edited is frontend's, tested there.
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
    // clang-format off
    //                                    before                                         value
    QTest::newRow("no file")           << QByteArray()                                << u"dflt"_s;
    QTest::newRow("LF")                << "[Main]\nA=1\n"_ba                          << u"1"_s;
    QTest::newRow("UTF-8")             << "[Main]\nA=Котировки\n"_ba                  << u"Котировки"_s;
    QTest::newRow("no key")            << "[Main]\nB=1\n"_ba                          << u"dflt"_s;
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
    QTest::newRow("no file: made with its directory")
        << QByteArray() << false << u"A"_s << u"1"_s << true << "[Main]\nA=1\n"_ba;
    QTest::newRow("existing key keeps its line")
        << "; x\n[Main]\nA=1\nz=9\n"_ba << false << u"A"_s << u"Котировки"_s << true
        << "; x\n[Main]\nA=Котировки\nz=9\n"_ba;
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
