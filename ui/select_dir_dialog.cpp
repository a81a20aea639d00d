#include "select_dir_dialog.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <string_view>
#include <system_error>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include "error_box.h"
#include "path_label.h"

namespace tarnix {
namespace {

constexpr int kDirEntryHeight = 17;
constexpr int kFileEntryHeight = 13;
// Between an entry's image and its name, and from one level of the tree to the next.
constexpr int kDirEntryGap = 4;
constexpr int kRootIndent = 2;

// Kernel interfaces that hold no files of the user.
constexpr std::string_view kPseudoFileSystems[] = {
    "autofs", "binfmt_misc", "bpf",        "cgroup",     "cgroup2",   "configfs", "debugfs",
    "devpts", "devtmpfs",    "efivarfs",   "fusectl",    "hugetlbfs", "mqueue",   "nsfs",
    "proc",   "pstore",      "rpc_pipefs", "securityfs", "selinuxfs", "sysfs",    "tracefs"};
constexpr std::string_view kNetworkFileSystems[] = {"afs", "cifs", "fuse.sshfs", "ncpfs",
                                                    "nfs", "nfs4", "smb3",       "smbfs"};
constexpr std::string_view kOpticalFileSystems[] = {"iso9660", "udf"};

bool IsOneOf(const QByteArray& type, std::span<const std::string_view> types) {
    return std::find(types.begin(), types.end(), std::string_view(type.constData(), type.size())) !=
           types.end();
}

QStyle::StandardPixmap DriveImage(const QByteArray& type) {
    if (IsOneOf(type, kNetworkFileSystems)) return QStyle::SP_DriveNetIcon;
    if (IsOneOf(type, kOpticalFileSystems)) return QStyle::SP_DriveCDIcon;
    return QStyle::SP_DriveHDIcon;
}

// A network file system shows where it comes from; any other its label, or its device when it has none.
QString DriveCaption(const QStorageInfo& volume) {
    const QString device = QString::fromLocal8Bit(volume.device()).toLower();
    if (IsOneOf(volume.fileSystemType(), kNetworkFileSystems)) return volume.rootPath() + u' ' + device;
    const QString label = volume.name().isEmpty() ? device : volume.name().toLower();
    return volume.rootPath() + QStringLiteral(" [") + label + u']';
}

// Bind mounts of single files (as in containers) are no place to browse.
QList<QStorageInfo> BrowsableVolumes() {
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    volumes.removeIf([](const QStorageInfo& volume) {
        return IsOneOf(volume.fileSystemType(), kPseudoFileSystems) || !QFileInfo(volume.rootPath()).isDir();
    });
    std::sort(volumes.begin(), volumes.end(),
              [](const QStorageInfo& a, const QStorageInfo& b) { return a.rootPath() < b.rootPath(); });
    return volumes;
}

bool Contains(const QString& mountPoint, const QString& directory) {
    return mountPoint == QDir::rootPath() || directory == mountPoint ||
           directory.startsWith(mountPoint + u'/');
}

// Names in order without regard to case; names that differ only in case keep a fixed order among them.
QStringList SortedEntries(const QString& directory, QDir::Filters kind) {
    QStringList names = QDir(directory).entryList(kind | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

// Makes `directory` the program's current directory; the error tells why it cannot be entered.
std::error_code EnterDirectory(const QString& directory) {
    std::error_code error;
    std::filesystem::current_path(QFile::encodeName(directory).toStdString(), error);
    return error;
}

// Draws an entry's image indented by its level in the tree, and its name beside it.
class DirEntryDelegate final : public QStyledItemDelegate {
  public:
    DirEntryDelegate(int entryHeight, int gap, QObject* parent)
        : QStyledItemDelegate(parent), entryHeight_(entryHeight), gap_(gap) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem entry(option);
        initStyleOption(&entry, index);
        const QIcon image = entry.icon;
        const QString name = entry.text;
        // The row with its highlight and focus frame, but without the style's own image and text.
        entry.icon = QIcon();
        entry.text.clear();
        entry.features &= ~(QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasDisplay);
        QStyle* style = entry.widget->style();
        style->drawControl(QStyle::CE_ItemViewItem, &entry, painter, entry.widget);

        const QSize imageSize = entry.decorationSize;
        const QRect imageRect(entry.rect.left() + index.data(TSelectDirDlg::kIndentRole).toInt(),
                              entry.rect.top() + (entry.rect.height() - imageSize.height()) / 2,
                              imageSize.width(), imageSize.height());
        image.paint(painter, imageRect);
        const QRect nameRect = entry.rect.adjusted(imageRect.right() + 1 + gap_ - entry.rect.left(), 0, 0, 0);
        const bool selected = entry.state & QStyle::State_Selected;
        style->drawItemText(painter, nameRect, Qt::AlignLeft | Qt::AlignVCenter, entry.palette, true, name,
                            selected ? QPalette::HighlightedText : QPalette::Text);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), entryHeight_};
    }

  private:
    int entryHeight_;
    int gap_;
};

}  // namespace

TSelectDirDlg::TSelectDirDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), design_(*this) {
    // The window's font, as its other controls have.
    setAttribute(Qt::WA_WindowPropagation);
    setWindowTitle(QStringLiteral("Select Directory"));
    setFixedSize(Scaled(424), Scaled(255));
    CreateControls();
    ConnectHandlers();
    FillDriveList();
    CentreOnScreen();
}

std::optional<QString> TSelectDirDlg::Execute(const QString& start, QWidget* parent) {
    TSelectDirDlg dialog(parent);
    dialog.OpenStart(start);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Directory();
}

// The current directory may have gone since the program entered it; the root is always there.
void TSelectDirDlg::OpenStart(const QString& start) {
    const QString full = QDir::cleanPath(QDir::current().absoluteFilePath(start));
    for (const QString& directory : {full, QDir::currentPath(), QDir::rootPath()}) {
        if (!directory.isEmpty() && !EnterDirectory(directory)) {
            Show(directory);
            return;
        }
    }
}

// Created in tab order, which Qt takes as the focus chain. The directory line lies where the name edit
// would be, which stays hidden: this dialog never creates directories.
void TSelectDirDlg::CreateControls() {
    const auto place = [this](QWidget* control, const char* name, Bounds bounds) {
        control->setObjectName(QLatin1String(name));
        control->setGeometry(design_.Rect(bounds));
    };
    // A label grows to show its whole caption in the system font, which is wider than the designed one.
    const auto label = [this](const QString& caption, QWidget* buddy, Bounds bounds) {
        auto* control = new QLabel(caption, this);
        control->setBuddy(buddy);
        QRect geometry = design_.Rect(bounds);
        geometry.setWidth(std::max(geometry.width(), control->sizeHint().width()));
        control->setGeometry(geometry);
    };

    DirList = new QListWidget(this);
    place(DirList, "DirList", {8, 72, 213, 138});
    DirList->setItemDelegate(new DirEntryDelegate(Scaled(kDirEntryHeight), Scaled(kDirEntryGap), DirList));
    DirList->setUniformItemSizes(true);
    DirList->setIconSize(QSize(Scaled(16), Scaled(16)));
    DirList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Whole entries only: the list ends with its last whole entry.
    const int frame = 2 * DirList->frameWidth();
    DirList->resize(DirList->width(),
                    frame + (DirList->height() - frame) / Scaled(kDirEntryHeight) * Scaled(kDirEntryHeight));
    DirEdit = new QLineEdit(this);
    place(DirEdit, "DirEdit", {8, 24, 313, 20});
    DirEdit->hide();
    DriveList = new QComboBox(this);
    place(DriveList, "DriveList", {232, 192, 185, 19});
    // The style's drop-down box needs more height than the designed one.
    DriveList->setMinimumHeight(DriveList->sizeHint().height());
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    place(OKButton, "OKButton", {256, 224, 77, 27});
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    place(CancelButton, "CancelButton", {340, 224, 77, 27});
    FileList = new QListWidget(this);
    place(FileList, "FileList", {232, 72, 185, 93});
    FileList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette grey = FileList->palette();
    grey.setColor(QPalette::Text, grey.color(QPalette::Disabled, QPalette::Text));
    FileList->setPalette(grey);
    DirLabel = new TPathLabel(this);
    place(DirLabel, "DirLabel", {8, 24, 313, 20});

    label(QStringLiteral("Directory &Name:"), DirEdit, {8, 8, 92, 13});
    label(QStringLiteral("&Directories:"), DirList, {8, 56, 66, 13});
    label(QStringLiteral("&Files: (*.*)"), FileList, {232, 56, 57, 13});
    label(QStringLiteral("D&rives:"), DriveList, {232, 176, 41, 13});
    DirList->setFocus();
}

// A single click only highlights an entry; a double click opens it.
void TSelectDirDlg::ConnectHandlers() {
    connect(DirList, &QListWidget::itemDoubleClicked, this,
            [this](const QListWidgetItem* entry) { OpenBrowsed(entry->data(kPathRole).toString()); });
    connect(DriveList, &QComboBox::activated, this,
            [this](int drive) { OpenBrowsed(DriveList->itemData(drive).toString()); });
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TSelectDirDlg::FillDriveList() {
    DriveList->setIconSize(QSize(Scaled(16), Scaled(16)));
    for (const QStorageInfo& volume : BrowsableVolumes()) {
        DriveList->addItem(style()->standardIcon(DriveImage(volume.fileSystemType())), DriveCaption(volume),
                           volume.rootPath());
    }
}

// A drive without a medium, or a directory removed or locked since it was listed.
void TSelectDirDlg::OpenBrowsed(const QString& directory) {
    if (const std::error_code error = EnterDirectory(directory)) {
        ShowErrorBox(this, QStringLiteral("Cannot open %1: %2")
                               .arg(directory, QString::fromLocal8Bit(error.message().c_str())));
        SelectDriveOf(directory_);
        return;
    }
    Show(directory);
}

void TSelectDirDlg::Show(const QString& directory) {
    directory_ = directory;
    DirEdit->setText(directory);
    DirLabel->SetPath(directory);
    FillDirList();
    FillFileList();
    SelectDriveOf(directory);
}

// The root, each directory on the path down to the open one, the open one itself, then its subdirectories
// one level further in.
void TSelectDirDlg::FillDirList() {
    const QIcon opened = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [this](const QIcon& image, const QString& name, const QString& path, int indent) {
        auto* entry = new QListWidgetItem(image, name, DirList);
        entry->setData(kPathRole, path);
        entry->setData(kIndentRole, indent);
    };
    DirList->clear();
    QString path = QDir::rootPath();
    int indent = Scaled(kRootIndent);
    add(opened, path, path, indent);
    for (const QString& name : directory_.split(u'/', Qt::SkipEmptyParts)) {
        path = QDir(path).filePath(name);
        indent += Scaled(kDirEntryGap);
        add(opened, name, path, indent);
    }
    DirList->setCurrentRow(DirList->count() - 1);
    for (const QString& name : SortedEntries(directory_, QDir::Dirs)) {
        add(closed, name, QDir(directory_).filePath(name), indent + Scaled(kDirEntryGap));
    }
}

void TSelectDirDlg::FillFileList() {
    FileList->clear();
    for (const QString& name : SortedEntries(directory_, QDir::Files)) {
        auto* entry = new QListWidgetItem(name, FileList);
        entry->setSizeHint(QSize(0, Scaled(kFileEntryHeight)));
    }
}

// The innermost mount point holding the directory.
void TSelectDirDlg::SelectDriveOf(const QString& directory) {
    int innermost = -1;
    for (int drive = 0; drive < DriveList->count(); ++drive) {
        const QString mountPoint = DriveList->itemData(drive).toString();
        if (Contains(mountPoint, directory) &&
            (innermost < 0 || mountPoint.size() > DriveList->itemData(innermost).toString().size())) {
            innermost = drive;
        }
    }
    DriveList->setCurrentIndex(innermost);
}

void TSelectDirDlg::CentreOnScreen() {
    const QScreen* screen =
        parentWidget() != nullptr ? parentWidget()->screen() : QApplication::primaryScreen();
    move(screen->availableGeometry().center() - rect().center());
}

int TSelectDirDlg::Scaled(int pixels) const {
    return design_.Scaled(pixels);
}

}  // namespace tarnix
