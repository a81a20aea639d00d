#include "main_window.h"

#include <algorithm>
#include <exception>

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

// Places controls by their design bounds, scaled to the screen's logical DPI, with their design captions.
class ControlPlacer : public DesignScale {
  public:
    using DesignScale::DesignScale;

    template <typename Control>
    Control* Add(QWidget* parent, const char* name) const {
        const frontend::ControlDesign& design = frontend::ControlNamed(name);
        auto* control = new Control(parent);
        control->setObjectName(QLatin1String(name));
        control->setGeometry(Rect(design.bounds));
        if (!design.russian.empty()) SetCaption(control, Text(design.russian));
        return control;
    }
};

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
    FormCreate();
}

// Created in tab order, which Qt takes as the focus chain.
void TfMain::CreateControls() {
    const ControlPlacer design(*this);
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(design.Scaled(frontend::kFontPixels));
    setFont(font);
    setFixedSize(design.Scaled(frontend::kClientWidth), design.Scaled(frontend::kClientHeight));
    move(frontend::kDesignLeft, frontend::kDesignTop);

    Label1 = design.Add<QLabel>(this, "Label1");
    Dir = design.Add<TDirectoryEdit>(this, "Dir");
    Dir->setText(QDir::rootPath());
    GroupBox1 = design.Add<QGroupBox>(this, "GroupBox1");
    m5 = design.Add<QCheckBox>(GroupBox1, "m5");
    m10 = design.Add<QCheckBox>(GroupBox1, "m10");
    m15 = design.Add<QCheckBox>(GroupBox1, "m15");
    m60 = design.Add<QCheckBox>(GroupBox1, "m60");
    mCust = design.Add<QCheckBox>(GroupBox1, "mCust");
    Cust = design.Add<QLineEdit>(GroupBox1, "Cust");
    Cust->setText(Text(kDefaultCustomInterval));
    ms7 = design.Add<QCheckBox>(this, "ms7");
    PER = design.Add<QCheckBox>(this, "PER");
    Period = design.Add<QCheckBox>(this, "Period");
    Voluem = design.Add<QCheckBox>(this, "Voluem");
    chClose = design.Add<QCheckBox>(this, "chClose");
    Rus = design.Add<QCheckBox>(this, "Rus");
    Make = design.Add<QPushButton>(this, "Make");
    Exit = design.Add<QPushButton>(this, "Exit");
    box = design.Add<QListWidget>(this, "box");
    box->setSelectionMode(QAbstractItemView::SingleSelection);
    box->setUniformItemSizes(true);
    Bevel3 = design.Add<QFrame>(this, "Bevel3");
    Bevel3->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    lbs = design.Add<QLabel>(this, "lbs");
    lbs->resize(design.Scaled(frontend::kLineCounterWidth), lbs->height());
}

// toggled rather than clicked for Rus: a tick set by restoring settings switches the captions too.
void TfMain::ConnectHandlers() {
    connect(Make, &QPushButton::clicked, this, [this] { Guarded(&TfMain::MakeClick); });
    connect(Exit, &QPushButton::clicked, this, [this] { Guarded(&TfMain::ExitClick); });
    connect(Rus, &QCheckBox::toggled, this, [this] { Guarded(&TfMain::FormActivate); });
}

bool TfMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Guarded(&TfMain::Activated);
    return QWidget::event(event);
}

void TfMain::Activated() {
    controller_.Activated();
}

TfMain::~TfMain() {
    if (onDestroy) onDestroy();
}

// A close asked for during a run waits for the run's end; the storage has saved the settings already.
void TfMain::closeEvent(QCloseEvent* event) {
    if (!controller_.MayClose()) event->ignore();
}

QWidget* TfMain::Control(std::string_view name) const {
    return findChild<QWidget*>(Text(name));
}

std::string TfMain::CaptionOf(std::string_view control) const {
    return tarnix::CaptionOf(Control(control)).toStdString();
}

void TfMain::SetCaption(std::string_view control, std::string_view caption) {
    tarnix::SetCaption(Control(control), Text(caption));
}

void TfMain::FocusDirectory() {
    Dir->setFocus(Qt::TabFocusReason);
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
    box->addItem(Text(line));
    box->setCurrentRow(box->count() - 1);
    box->scrollToBottom();
}

// "Process" keeps the focus over a run that it started.
void TfMain::EnableProcess(bool enabled) {
    if (!enabled) processHadFocus_ = Make->hasFocus();
    Make->setEnabled(enabled);
    if (enabled && processHadFocus_) Make->setFocus();
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

void TfMain::Guarded(void (TfMain::*handler)()) {
    QString failure;
    try {
        (this->*handler)();
        return;
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    } catch (...) {
        failure = QStringLiteral("Unknown failure");
    }
    ShowErrorBox(this, failure);
}

}  // namespace tarnix
