#include "main_window.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include "design_scale.h"
#include "directory_edit.h"
#include "error_box.h"
#include "guarded.h"
#include "window_design.h"

namespace tarnix {
namespace {

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The show commands of the settings file.
constexpr int kShowNormal = 1;
constexpr int kShowMinimised = 2;
constexpr int kShowMaximised = 3;

QMargins FrameMargins(const QWidget& form) {
    const QRect frame = form.frameGeometry();
    const QRect client = form.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// Where a maximised window's frame would stand: its thin border off the screen. The top margin holds the
// title bar, so the bottom one gives the border's height. -1 where the window system tells no frame.
QPoint MaximisedPosition(const QWidget& form) {
    const QMargins margins = FrameMargins(form);
    return {margins.left() > 0 ? -margins.left() : -1, margins.bottom() > 0 ? -margins.bottom() : -1};
}

QString CaptionOf(const QWidget* control) {
    if (const auto* group = qobject_cast<const QGroupBox*>(control)) return group->title();
    if (const auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    return qobject_cast<const QAbstractButton*>(control)->text();
}

// The width a control needs to show its whole caption. A push button's size hint holds the style's minimum
// button width, which has nothing to do with its caption.
int CaptionWidth(const QWidget* control) {
    const auto* button = qobject_cast<const QPushButton*>(control);
    if (button == nullptr) return control->sizeHint().width();
    const int margins = 2 * (button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                             button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    return button->fontMetrics().horizontalAdvance(button->text()) + margins;
}

// The system font is wider than the one the layout was drawn for, so a control grows to show its whole
// caption; it never shrinks, so that switching languages does not move anything.
void SetCaption(QWidget* control, const QString& caption) {
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(caption);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(caption);
    } else {
        qobject_cast<QAbstractButton*>(control)->setText(caption);
    }
    control->resize(std::max(control->width(), CaptionWidth(control)), control->height());
}

// A control of the design's kind, before its place and caption.
QWidget* NewControl(frontend::ControlKind kind, QWidget* parent) {
    switch (kind) {
        case frontend::ControlKind::kLabel:
            return new QLabel(parent);
        case frontend::ControlKind::kDirectoryField:
            return new TDirectoryEdit(parent);
        case frontend::ControlKind::kGroupBox:
            return new QGroupBox(parent);
        case frontend::ControlKind::kCheckBox:
            return new QCheckBox(parent);
        case frontend::ControlKind::kEdit:
            return new QLineEdit(parent);
        case frontend::ControlKind::kListBox: {
            auto* list = new QListWidget(parent);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setUniformItemSizes(true);
            return list;
        }
        case frontend::ControlKind::kSeparator: {
            auto* line = new QFrame(parent);
            line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
            return line;
        }
        case frontend::ControlKind::kButton:
            break;
    }
    return new QPushButton(parent);
}

}  // namespace

TfMain::TfMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      controller_(
          *this,
          QFile::encodeName(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())).toStdString()) {
    setWindowTitle(Text(frontend::kWindowCaption));
    setWindowIcon(QIcon(QStringLiteral(":/tarnix/tarnix.svg")));
    CreateControls();
    ConnectHandlers();
    controller_.FormCreate();
}

// Created in the design's order, which Qt takes as the focus chain; a group box comes before its controls.
void TfMain::CreateControls() {
    const DesignScale design(*this);
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(design.Scaled(frontend::kFontPixels));
    setFont(font);
    setFixedSize(design.Scaled(frontend::kClientWidth), design.Scaled(frontend::kClientHeight));
    move(frontend::kDesignLeft, frontend::kDesignTop);

    for (const frontend::ControlDesign& control : frontend::kControls) {
        QWidget* widget = NewControl(control.kind, control.parent.empty() ? this : Control(control.parent));
        widget->setObjectName(Text(control.name));
        widget->setGeometry(design.Rect(control.bounds));
        if (!control.russian.empty()) tarnix::SetCaption(widget, Text(control.russian));
    }
    SetText("Dir", QDir::rootPath().toStdString());
    SetText("Cust", kDefaultCustomInterval);
    QWidget* counter = Control("lbs");
    counter->resize(design.Scaled(frontend::kLineCounterWidth), counter->height());
}

// toggled rather than clicked for a check box: a tick set by restoring settings switches the captions too.
void TfMain::ConnectHandlers() {
    for (const frontend::ControlDesign& control : frontend::kControls) {
        const auto click = [this, name = control.name] {
            Guarded([this, name] { controller_.Click(name); });
        };
        if (control.kind == frontend::ControlKind::kButton) {
            connect(Control<QPushButton>(control.name), &QPushButton::clicked, this, click);
        } else if (control.kind == frontend::ControlKind::kCheckBox) {
            connect(Control<QCheckBox>(control.name), &QCheckBox::toggled, this, click);
        }
    }
}

bool TfMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Guarded([this] { controller_.Activated(); });
    return QWidget::event(event);
}

TfMain::~TfMain() {
    if (onDestroy) onDestroy();
}

// A close asked for during a run waits for the run's end; the storage has saved the settings already.
void TfMain::closeEvent(QCloseEvent* event) {
    if (!controller_.MayClose()) event->ignore();
}

std::string TfMain::CaptionOf(std::string_view control) const {
    return tarnix::CaptionOf(Control(control)).toStdString();
}

void TfMain::SetCaption(std::string_view control, std::string_view caption) {
    tarnix::SetCaption(Control(control), Text(caption));
}

void TfMain::FocusDirectory() {
    Control("Dir")->setFocus(Qt::TabFocusReason);
}

std::string TfMain::TextOf(std::string_view control) const {
    const QWidget* widget = Control(control);
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text().toStdString();
    return qobject_cast<const QLineEdit*>(widget)->text().toStdString();
}

void TfMain::SetText(std::string_view control, std::string_view text) {
    QWidget* widget = Control(control);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(Text(text));
    } else {
        qobject_cast<QLineEdit*>(widget)->setText(Text(text));
    }
}

bool TfMain::Checked(std::string_view control) const {
    return qobject_cast<const QCheckBox*>(Control(control))->isChecked();
}

void TfMain::SetChecked(std::string_view control, bool checked) {
    qobject_cast<QCheckBox*>(Control(control))->setChecked(checked);
}

void TfMain::AddLogLine(std::string_view line) {
    auto* log = Control<QListWidget>("box");
    log->addItem(Text(line));
    log->setCurrentRow(log->count() - 1);
    log->scrollToBottom();
}

// "Process" keeps the focus over a run that it started.
void TfMain::EnableProcess(bool enabled) {
    QWidget* process = Control("Make");
    if (!enabled) processHadFocus_ = process->hasFocus();
    process->setEnabled(enabled);
    if (enabled && processHadFocus_) process->setFocus();
}

void TfMain::PumpEvents() {
    QCoreApplication::processEvents();
}

frontend::WindowPlacement TfMain::Placement() const {
    const QRect frame = normalGeometry().marginsAdded(FrameMargins(*this));
    const QPoint maximised = MaximisedPosition(*this);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    frontend::WindowPlacement placement;
    placement.showCmd = isMinimized() ? kShowMinimised : isMaximized() ? kShowMaximised : kShowNormal;
    placement.minMax = {-1, -1, maximised.x(), maximised.y()};
    placement.normal = {frame.left(), frame.top(), frame.left() + frame.width(),
                        frame.top() + frame.height()};
    placement.pixelsPerInch = logicalDpiY();
    placement.screenWidth = screen.width();
    placement.screenHeight = screen.height();
    return placement;
}

// The state is applied once the window is on screen: a window that is not there yet cannot be minimised,
// and the normal place that a maximised window keeps for the next save is settled only then.
void TfMain::Place(const frontend::StoredPlacement& placement) {
    if (placement.normal) {
        const QPoint place((*placement.normal)[0], (*placement.normal)[1]);
        // move() alone would put the client area there once the window is created, and a window manager's
        // frame would make the window creep up and left by the frame's size from one run to the next: the
        // window handle takes the place as the frame's, as it is saved.
        move(place);
        if (QWindow* window = windowHandle()) window->setFramePosition(place);
    }
    if (placement.state == frontend::WindowState::kNormal) return;
    const auto show = placement.state == frontend::WindowState::kMinimised ? &QWidget::showMinimized
                                                                           : &QWidget::showMaximized;
    QMetaObject::invokeMethod(this, show, Qt::QueuedConnection);
}

// The box has no parent window: at the window's end it is partly gone.
void TfMain::ShowFailure(const std::string& message) {
    ShowErrorBox(nullptr, QString::fromStdString(message));
}

void TfMain::Guarded(const std::function<void()>& handler) {
    if (const auto failure = frontend::FailureOf(handler))
        ShowErrorBox(this, QString::fromStdString(*failure));
}

}  // namespace tarnix
