#include "directory_edit.h"

#include <array>
#include <functional>
#include <string_view>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "dialog_order.h"
#include "error_box.h"
#include "main_window.h"
#include "path_label.h"
#include "select_dir_dialog.h"
#include "window_controls.h"

namespace tarnix {
namespace {

using namespace Qt::StringLiterals;
using DialogSteps = std::function<void(TSelectDirDlg&)>;

// Runs `steps` in the folder dialog that `open` shows, then cancels it if the steps left it open (a failed
// check), so that no test waits on a modal dialog. Returns whether a dialog was shown.
bool InDialog(const std::function<void()>& open, const DialogSteps& steps) {
    bool shown = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&shown, &steps] {
        auto* dialog = qobject_cast<TSelectDirDlg*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        shown = true;
        steps(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    timer.start(0);
    open();
    QCoreApplication::processEvents();
    return shown;
}

QListWidgetItem* Entry(const QListWidget* list, const QString& name) {
    const QList<QListWidgetItem*> entries = list->findItems(name, Qt::MatchExactly);
    return entries.size() == 1 ? entries.first() : nullptr;
}

// A click, or a double click as the system delivers it: press, release, then the double click.
void Click(QListWidget* list, const QString& name, bool twice = false) {
    QListWidgetItem* entry = Entry(list, name);
    QVERIFY2(entry != nullptr, qPrintable(name));
    list->scrollToItem(entry);
    const QPoint centre = list->visualItemRect(entry).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    if (!twice) return;
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(list->currentItem()->text(), name);
}

void DoubleClick(QListWidget* list, const QString& name) {
    Click(list, name, true);
}

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
    return texts;
}

template <std::size_t size>
QStringList Texts(const std::array<std::string_view, size>& names) {
    QStringList texts;
    for (const std::string_view name : names) texts << QString::fromUtf8(name);
    return texts;
}

// Quotes with the entries of the dialogs' order table, hidden ones among them, and Other beside it.
struct Tree {
    Tree() {
        QDir(root.path()).mkpath(u"Other"_s);
        QDir(root.path()).mkpath(u"Quotes"_s);
        for (const test::OrderedEntry& entry : test::kOrderedEntries) {
            const QString path = root.filePath(u"Quotes/"_s + QString::fromUtf8(entry.name));
            if (entry.directory) {
                QDir().mkpath(path);
            } else {
                QFile(path).open(QIODevice::WriteOnly);
            }
        }
    }
    // `text` with %1 standing for the tree's root.
    QString Path(QString text) const { return text.replace(u"%1"_s, root.path()); }

    QTemporaryDir root;
};

}  // namespace

class TestDirectoryEdit final : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void startDirectory_data();
    void startDirectory();
    void unenterableStart_data();
    void unenterableStart();
    void browseByClicks_data();
    void browseByClicks();
    void listsSortedWithoutCaseAndHidden();
    void cancelKeepsTextAndFocusesField();
    void keysInField_data();
    void keysInField();
    void unenterableDirectoryShowsMessage();
    void dirLabelShortens_data();
    void dirLabelShortens();

  private:
    QString startDirectory_;
};

// The dialog moves the program's current directory; each test starts from the same one.
void TestDirectoryEdit::init() {
    startDirectory_ = QDir::currentPath();
}

void TestDirectoryEdit::cleanup() {
    QDir::setCurrent(startDirectory_);
}

void TestDirectoryEdit::startDirectory_data() {
    QTest::addColumn<QString>("earlierChoice");
    QTest::addColumn<bool>("choiceRemoved");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("opened");
    //                                            earlier choice        removed current  text opened
    QTest::newRow("existing, trailing separator")
        << u""_s << false << u""_s << u"%1/Quotes/"_s << u"%1/Quotes"_s;
    QTest::newRow("missing") << u""_s << false << u""_s << u"%1/missing"_s << u"/"_s;
    QTest::newRow("empty, nothing chosen yet") << u""_s << false << u""_s << u""_s << u"/"_s;
    QTest::newRow("empty, chosen before") << u"%1/Other"_s << false << u""_s << u""_s << u"%1/Other"_s;
    QTest::newRow("empty, chosen before, since removed") << u"%1/Other"_s << true << u""_s << u""_s << u"/"_s;
    QTest::newRow("relative") << u""_s << false << u"%1"_s << u"Quotes"_s << u"%1/Quotes"_s;
    QTest::newRow("root") << u""_s << false << u""_s << u"/"_s << u"/"_s;
}

// OK without moving gives the directory the dialog opened at, which is then the current directory.
void TestDirectoryEdit::startDirectory() {
    QFETCH(QString, earlierChoice);
    QFETCH(bool, choiceRemoved);
    QFETCH(QString, current);
    QFETCH(QString, text);
    QFETCH(QString, opened);
    const Tree tree;
    TDirectoryEdit field;
    const auto ok = [](TSelectDirDlg& dialog) { dialog.OKButton->click(); };
    if (!earlierChoice.isEmpty()) {
        field.setText(tree.Path(earlierChoice));
        QVERIFY(InDialog([&field] { field.Browse(); }, ok));
        QCOMPARE(field.InitialDir(), tree.Path(earlierChoice));
        if (choiceRemoved) QVERIFY(QDir(tree.Path(earlierChoice)).removeRecursively());
    }
    if (!current.isEmpty()) QVERIFY(QDir::setCurrent(tree.Path(current)));
    field.setText(tree.Path(text));
    QString shown;
    QVERIFY(InDialog([&field] { field.Browse(); },
                     [&shown](TSelectDirDlg& dialog) {
                         shown = dialog.DirLabel->Path();
                         dialog.OKButton->click();
                     }));
    QCOMPARE(shown, tree.Path(opened));
    QCOMPARE(field.text(), tree.Path(opened));
    QCOMPARE(QDir::currentPath(), tree.Path(opened));
}

void TestDirectoryEdit::unenterableStart_data() {
    QTest::addColumn<bool>("currentRemoved");
    QTest::addColumn<QString>("opened");
    QTest::newRow("current directory") << false << u"%1/Other"_s;
    QTest::newRow("current directory gone too") << true << u"/"_s;
}

// A start that went missing after the field checked it.
void TestDirectoryEdit::unenterableStart() {
    QFETCH(bool, currentRemoved);
    QFETCH(QString, opened);
    const Tree tree;
    QVERIFY(QDir::setCurrent(tree.Path(u"%1/Other"_s)));
    if (currentRemoved) QVERIFY(QDir(tree.Path(u"%1/Other"_s)).removeRecursively());
    TSelectDirDlg dialog;
    dialog.OpenStart(tree.Path(u"%1/missing"_s));
    QCOMPARE(dialog.Directory(), tree.Path(opened));
    QCOMPARE(QDir::currentPath(), tree.Path(opened));
}

void TestDirectoryEdit::browseByClicks_data() {
    QTest::addColumn<QStringList>("doubleClicked");
    QTest::addColumn<QString>("highlighted");
    QTest::addColumn<QString>("opened");
    QTest::newRow("highlight only") << QStringList() << u"beta"_s << u"%1/Quotes"_s;
    QTest::newRow("subdirectory") << QStringList{u"Alpha"_s} << u""_s << u"%1/Quotes/Alpha"_s;
    QTest::newRow("back up through a path entry")
        << QStringList{u"Alpha"_s, u"Quotes"_s} << u"Alpha"_s << u"%1/Quotes"_s;
    QTest::newRow("root") << QStringList{u"/"_s} << u""_s << u"/"_s;
}

// OK takes the open directory, never an entry that a single click only highlighted.
void TestDirectoryEdit::browseByClicks() {
    QFETCH(QStringList, doubleClicked);
    QFETCH(QString, highlighted);
    QFETCH(QString, opened);
    const Tree tree;
    TDirectoryEdit field;
    field.setText(tree.Path(u"%1/Quotes"_s));
    InDialog([&field] { field.Browse(); },
             [&](TSelectDirDlg& dialog) {
                 for (const QString& entry : doubleClicked) DoubleClick(dialog.DirList, entry);
                 QCOMPARE(dialog.DirList->currentItem()->data(TSelectDirDlg::kPathRole), dialog.Directory());
                 if (!highlighted.isEmpty()) Click(dialog.DirList, highlighted);
                 dialog.OKButton->click();
             });
    QCOMPARE(field.text(), tree.Path(opened));
    QCOMPARE(QDir::currentPath(), tree.Path(opened));
}

// The root, the path down to Quotes, Quotes itself, then its visible subdirectories one level further in.
void TestDirectoryEdit::listsSortedWithoutCaseAndHidden() {
    const Tree tree;
    TSelectDirDlg dialog;
    dialog.OpenStart(tree.Path(u"%1/Quotes"_s));
    const QStringList path = tree.Path(u"%1/Quotes"_s).split(u'/', Qt::SkipEmptyParts);
    QCOMPARE(Texts(dialog.DirList), QStringList{u"/"_s} + path + Texts(test::kListedDirectories));
    QCOMPARE(Texts(dialog.FileList), Texts(test::kListedFiles));
    const int open = static_cast<int>(path.size());
    const auto indent = [&dialog](int row) {
        return dialog.DirList->item(row)->data(TSelectDirDlg::kIndentRole).toInt();
    };
    QCOMPARE(indent(0), 2);
    QCOMPARE(indent(open), 2 + 4 * open);
    QCOMPARE(indent(open + 1), indent(open) + 4);
    QCOMPARE(dialog.DirList->currentRow(), open);
    QCOMPARE(dialog.DriveList->currentData().toString(), QStorageInfo(tree.root.path()).rootPath());
}

// Cancel leaves the text, but not the current directory; the window's captions are not applied again.
void TestDirectoryEdit::cancelKeepsTextAndFocusesField() {
    const Tree tree;
    TfMain window;
    test::Find<TDirectoryEdit>(window, "Dir")->setText(tree.Path(u"%1/Quotes"_s));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    test::Find<QLabel>(window, "lbs")->setText(u"Строка: 7"_s);
    test::Find<QPushButton>(window, "Exit")->setFocus();
    QVERIFY(InDialog(
        [&window] { QTest::mouseClick(test::Find<TDirectoryEdit>(window, "Dir")->Button(), Qt::LeftButton); },
        [](TSelectDirDlg& dialog) {
            DoubleClick(dialog.DirList, u"Alpha"_s);
            dialog.CancelButton->click();
        }));
    QCOMPARE(test::Find<TDirectoryEdit>(window, "Dir")->text(), tree.Path(u"%1/Quotes"_s));
    QTRY_COMPARE(QApplication::focusWidget(), test::Find<TDirectoryEdit>(window, "Dir"));
    QCOMPARE(test::Find<QLabel>(window, "lbs")->text(), "Строка: 7");
    QCOMPARE(QDir::currentPath(), tree.Path(u"%1/Quotes/Alpha"_s));
    QVERIFY(test::Find<TDirectoryEdit>(window, "Dir")->InitialDir().isEmpty());
}

void TestDirectoryEdit::keysInField_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("opensDialog");
    QTest::newRow("Alt+Down") << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::AltModifier) << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << false;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << false;
}

void TestDirectoryEdit::keysInField() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, opensDialog);
    TfMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    test::Find<TDirectoryEdit>(window, "Dir")->setText(u"/no such directory"_s);
    test::Find<TDirectoryEdit>(window, "Dir")->setCursorPosition(3);
    const bool shown =
        InDialog([&] { QTest::keyClick(test::Find<TDirectoryEdit>(window, "Dir"), Qt::Key(key), modifiers); },
                 [](TSelectDirDlg&) {});
    QCOMPARE(shown, opensDialog);
    QCOMPARE(test::Find<TDirectoryEdit>(window, "Dir")->text(), "/no such directory");
    QVERIFY(window.isVisible());
}

// A directory removed since it was listed stands for a drive without a medium.
void TestDirectoryEdit::unenterableDirectoryShowsMessage() {
    const Tree tree;
    QStringList messages;
    SetErrorBoxShower([&messages](QWidget*, const QString& message) { messages << message; });
    const auto restore = qScopeGuard([] { SetErrorBoxShower({}); });
    TDirectoryEdit field;
    field.setText(tree.Path(u"%1/Quotes"_s));
    InDialog([&field] { field.Browse(); },
             [&tree, &messages](TSelectDirDlg& dialog) {
                 QVERIFY(QDir(tree.Path(u"%1/Quotes/Alpha"_s)).removeRecursively());
                 DoubleClick(dialog.DirList, u"Alpha"_s);
                 QCOMPARE(messages.size(), 1);
                 QVERIFY(messages.first().startsWith(tree.Path(u"Cannot open %1/Quotes/Alpha: "_s)));
                 QVERIFY(dialog.isVisible());
                 QCOMPARE(dialog.DirLabel->Path(), tree.Path(u"%1/Quotes"_s));
                 dialog.OKButton->click();
             });
    QCOMPARE(field.text(), tree.Path(u"%1/Quotes"_s));
}

void TestDirectoryEdit::dirLabelShortens_data() {
    QTest::addColumn<QString>("widthOf");
    QTest::addColumn<QString>("shown");
    const QString full = u"/first-directory/second-directory/third-directory/last"_s;
    //                                  label as wide as                         shows
    QTest::newRow("wide enough") << full << full;
    QTest::newRow("first cut") << u"/.../second-directory/third-directory/last"_s
                               << u"/.../second-directory/third-directory/last"_s;
    QTest::newRow("all cut") << u"/.../last"_s << u"/.../last"_s;
    QTest::newRow("root dropped") << u".../last"_s << u".../last"_s;
    QTest::newRow("name alone") << u"last"_s << u"last"_s;
    QTest::newRow("narrower than the name") << u"l"_s << u"last"_s;
}

void TestDirectoryEdit::dirLabelShortens() {
    QFETCH(QString, widthOf);
    QFETCH(QString, shown);
    const QString full = u"/first-directory/second-directory/third-directory/last"_s;
    TPathLabel label;
    label.resize(label.fontMetrics().horizontalAdvance(widthOf), 20);
    label.SetPath(full);
    QCOMPARE(label.text(), shown);
    QCOMPARE(label.Path(), full);
}

}  // namespace tarnix

QTEST_MAIN(tarnix::TestDirectoryEdit)
#include "directory_edit_test.moc"
