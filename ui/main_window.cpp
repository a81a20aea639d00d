#include "main_window.h"

#include <algorithm>
#include <exception>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>

#include "design_scale.h"
#include "directory_edit.h"
#include "error_box.h"
#include "field_tidy.h"
#include "window_design.h"

namespace tarnix {
namespace {

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// In the order of CaptionedControls.
std::array<QString, frontend::kCaptionedControls.size()> EnglishCaptions() {
    std::array<QString, frontend::kCaptionedControls.size()> captions;
    std::transform(frontend::kCaptionedControls.begin(), frontend::kCaptionedControls.end(), captions.begin(),
                   [](std::string_view name) { return Text(frontend::ControlNamed(name).english); });
    return captions;
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
                          Qt::WindowCloseButtonHint) {
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
    intervalBoxes_ = {m5, m10, m15, m60, mCust};
}

// toggled rather than clicked for Rus: a tick set by restoring settings switches the captions too.
void TfMain::ConnectHandlers() {
    connect(Make, &QPushButton::clicked, this, [this] { Guarded(&TfMain::MakeClick); });
    connect(Exit, &QPushButton::clicked, this, [this] { Guarded(&TfMain::ExitClick); });
    connect(Rus, &QCheckBox::toggled, this, [this] { Guarded(&TfMain::FormActivate); });
}

void TfMain::FormCreate() {
    decimalChar_ = DetectDecimalChar();
    const auto controls = CaptionedControls();
    std::transform(controls.begin(), controls.end(), RussianCaptions.begin(), CaptionOf);
}

void TfMain::FormActivate() {
    ApplyCaptions(Rus->isChecked() ? RussianCaptions : EnglishCaptions());
}

void TfMain::MakeClick() {
    if (running_) return;
    NormaliseCustomInterval();
    NormaliseDirectory();
    RunRefusingClicks();
    if (chClose->isChecked()) ExitClick();
}

void TfMain::ExitClick() {
    close();
}

// Only the first activation applies the captions: coming back from another program must not wipe the line
// counter that a run left.
bool TfMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !activated_) {
        activated_ = true;
        Dir->setFocus(Qt::TabFocusReason);
        Guarded(&TfMain::FormActivate);
    }
    return QWidget::event(event);
}

std::array<QWidget*, TfMain::kCaptionCount> TfMain::CaptionedControls() const {
    std::array<QWidget*, kCaptionCount> controls{};
    std::transform(frontend::kCaptionedControls.begin(), frontend::kCaptionedControls.end(), controls.begin(),
                   [this](std::string_view name) { return findChild<QWidget*>(Text(name)); });
    return controls;
}

void TfMain::ApplyCaptions(const Captions& captions) {
    const auto controls = CaptionedControls();
    for (std::size_t i = 0; i < controls.size(); ++i) SetCaption(controls[i], captions[i]);
}

// The same integer syntax as the run's, so that the field shows the interval the run will use.
void TfMain::NormaliseCustomInterval() {
    Cust->setText(Text(frontend::TidyCustomInterval(Cust->text().toStdString())));
}

// The run appends entry names to the directory text as it stands.
void TfMain::NormaliseDirectory() {
    const QString programDirectory = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    const std::string resolved = ResolveDirectory(QFile::encodeName(Dir->text()).toStdString(),
                                                  QFile::encodeName(programDirectory).toStdString());
    Dir->setText(QFile::decodeName(QByteArray::fromStdString(resolved)));
}

// The run's directory search and interval slots exist once, so a click that comes through a yield must not
// start a second run inside the first.
void TfMain::RunRefusingClicks() {
    running_ = true;
    const bool makeHadFocus = Make->hasFocus();
    Make->setEnabled(false);
    const auto finish = qScopeGuard([this, makeHadFocus] {
        running_ = false;
        Make->setEnabled(true);
        if (makeHadFocus) Make->setFocus();
        ShowPendingCounter();
    });
    RunConversion(*this, *this);
}

std::string TfMain::directory() const {
    return QFile::encodeName(Dir->text()).toStdString();
}

bool TfMain::intervalEnabled(int slot) const {
    return intervalBoxes_.at(static_cast<std::size_t>(slot - 1))->isChecked();
}

std::string TfMain::customIntervalText() const {
    return Cust->text().toStdString();
}

bool TfMain::addPerField() const {
    return PER->isChecked();
}

bool TfMain::addMs7Period() const {
    return ms7->isChecked();
}

bool TfMain::addPeriodToSymbol() const {
    return Period->isChecked();
}

bool TfMain::withVolume() const {
    return Voluem->isChecked();
}

bool TfMain::russianLog() const {
    return Rus->isChecked();
}

void TfMain::AddLogLine(std::string_view line) {
    box->addItem(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    box->setCurrentRow(box->count() - 1);
    box->scrollToBottom();
}

void TfMain::ShowLineCounter(std::int64_t lineNumber) {
    feedback_.SetLineNumber(lineNumber);
}

void TfMain::YieldToWindow() {
    if (!feedback_.YieldDue()) return;
    ShowPendingCounter();
    QCoreApplication::processEvents();
}

void TfMain::ShowPendingCounter() {
    if (const auto text = feedback_.TakeCounterText()) lbs->setText(QString::fromStdString(*text));
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
