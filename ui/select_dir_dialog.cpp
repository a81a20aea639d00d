#include "select_dir_dialog.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

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

#include "directory_field.h"
#include "error_box.h"
#include "path_label.h"
#include "tarnix/text_case.h"

namespace tarnix {
namespace {

using frontend::DialogControlKind;

// Between an entry's image and its name.
constexpr int kImageGap = 4;

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
    const frontend::DriveKind kind = IsOneOf(volume.fileSystemType(), kNetworkFileSystems)
                                         ? frontend::DriveKind::kNetwork
                                         : frontend::DriveKind::kFixed;
    const QString label = volume.name().isEmpty() ? device : volume.name().toLower();
    return QString::fromStdString(frontend::DriveEntryText(volume.rootPath().toStdString(), kind,
                                                           label.toStdString(), device.toStdString()));
}

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
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

// Names in the program's one name order, as a run takes the quote files.
QStringList SortedEntries(const QString& directory, QDir::Filters kind) {
    QStringList names = QDir(directory).entryList(kind | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return NameOrderLess(a.toStdString(), b.toStdString());
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
    setWindowTitle(QString::fromUtf8(frontend::kSelectDirCaption.data(),
                                     static_cast<qsizetype>(frontend::kSelectDirCaption.size())));
    setFixedSize(Scaled(frontend::kSelectDirClientWidth), Scaled(frontend::kSelectDirClientHeight));
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

// Created in tab order, which Qt takes as the focus chain; each label comes right before its buddy.
void TSelectDirDlg::CreateControls() {
    QLabel* label = nullptr;
    for (const frontend::DialogControlDesign& design : frontend::kDialogControls) {
        QWidget* control = CreateControl(design);
        control->setObjectName(Text(design.name));
        control->setGeometry(design_.Rect(design.bounds));
        if (!design.visible) control->hide();
        if (label != nullptr) label->setBuddy(control);
        label = design.kind == DialogControlKind::kLabel ? static_cast<QLabel*>(control) : nullptr;
        // A label grows to show its whole caption in the system font, which is wider than the designed one.
        if (label != nullptr)
            label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    }
    // Whole entries only: the list ends with its last whole entry.
    const int frame = 2 * DirList->frameWidth();
    const int entryHeight = Scaled(frontend::kDirEntryHeight);
    DirList->resize(DirList->width(), frame + (DirList->height() - frame) / entryHeight * entryHeight);
    // The style's drop-down box needs more height than the designed one.
    DriveList->setMinimumHeight(DriveList->sizeHint().height());
    DirList->setFocus();
}

QWidget* TSelectDirDlg::CreateControl(const frontend::DialogControlDesign& design) {
    switch (design.kind) {
        case DialogControlKind::kLabel:
            return new QLabel(Text(design.caption), this);
        case DialogControlKind::kEdit:
            return DirEdit = new QLineEdit(this);
        case DialogControlKind::kPathLabel:
            return DirLabel = new TPathLabel(this);
        case DialogControlKind::kDirectoryList:
            return DirList = CreateDirList();
        case DialogControlKind::kFileList:
            return FileList = CreateFileList();
        case DialogControlKind::kDriveList:
            return DriveList = new QComboBox(this);
        case DialogControlKind::kButton:
            break;
    }
    auto* button = new QPushButton(Text(design.caption), this);
    if (design.name == "OKButton") {
        OKButton = button;
        OKButton->setDefault(true);
    } else if (design.name == "CancelButton") {
        CancelButton = button;
    }
    return button;
}

QListWidget* TSelectDirDlg::CreateDirList() {
    auto* list = new QListWidget(this);
    list->setItemDelegate(new DirEntryDelegate(Scaled(frontend::kDirEntryHeight), Scaled(kImageGap), list));
    list->setUniformItemSizes(true);
    list->setIconSize(QSize(Scaled(16), Scaled(16)));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

QListWidget* TSelectDirDlg::CreateFileList() {
    auto* list = new QListWidget(this);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette grey = list->palette();
    grey.setColor(QPalette::Text, grey.color(QPalette::Disabled, QPalette::Text));
    list->setPalette(grey);
    return list;
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
        ShowErrorBox(this, QString::fromStdString(
                               frontend::CannotOpenMessage(directory.toStdString(), error.message())));
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
// one level further in. The style has no image of its own for the open directory.
void TSelectDirDlg::FillDirList() {
    const QIcon opened = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    std::vector<std::string> subdirectories;
    for (const QString& name : SortedEntries(directory_, QDir::Dirs))
        subdirectories.push_back(name.toStdString());
    DirList->clear();
    for (const frontend::DirEntry& entry :
         frontend::DirListEntries(directory_.toStdString(), '/', subdirectories)) {
        const bool isClosed = entry.image == frontend::FolderImage::kClosed;
        auto* item =
            new QListWidgetItem(isClosed ? closed : opened, QString::fromStdString(entry.name), DirList);
        item->setData(kPathRole, QString::fromStdString(entry.path));
        item->setData(kIndentRole, Scaled(entry.indent));
        if (entry.image == frontend::FolderImage::kCurrent) DirList->setCurrentItem(item);
    }
}

void TSelectDirDlg::FillFileList() {
    FileList->clear();
    for (const QString& name : SortedEntries(directory_, QDir::Files)) {
        auto* entry = new QListWidgetItem(name, FileList);
        entry->setSizeHint(QSize(0, Scaled(frontend::kFileEntryHeight)));
    }
}

void TSelectDirDlg::SelectDriveOf(const QString& directory) {
    std::vector<std::string> mountPoints;
    mountPoints.reserve(static_cast<std::size_t>(DriveList->count()));
    for (int drive = 0; drive < DriveList->count(); ++drive)
        mountPoints.push_back(DriveList->itemData(drive).toString().toStdString());
    const auto drive = frontend::DriveOfDirectory(mountPoints, directory.toStdString(), '/');
    DriveList->setCurrentIndex(drive ? static_cast<int>(*drive) : -1);
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
