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

namespace tarnix {
namespace {

// The title is part of the window's design, kept word for word; its "1.12" is not the program's version,
// which --version and the package take from project(VERSION ...).
const QString kWindowCaption = QStringLiteral("Tarnix 1.12 - https://tarnix.example");
constexpr std::chrono::milliseconds kYieldInterval{10};

// In the order of CaptionedControls.
const std::array<QString, 10> kEnglishCaptions = {
    QStringLiteral("Create file with an interval:"),
    QStringLiteral("Directory:"),
    QStringLiteral("Add period for MetaStock 7"),
    QStringLiteral("Add field <PER>=I for MetaStock 6.52"),
    QStringLiteral("Add period to the symbol name"),
    QStringLiteral("Calculate Volume"),
    QStringLiteral("Exit after processing"),
    QStringLiteral("Line:"),
    QStringLiteral("Process"),
    QStringLiteral("Exit"),
};

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

// Places controls by their design bounds, scaled to the screen's logical DPI.
class ControlPlacer : public DesignScale {
  public:
    using DesignScale::DesignScale;

    template <typename Control>
    Control* Add(QWidget* parent, const char* name, Bounds bounds) const {
        auto* control = new Control(parent);
        control->setObjectName(QLatin1String(name));
        control->setGeometry(Rect(bounds));
        return control;
    }

    template <typename Control>
    Control* Add(QWidget* parent, const char* name, Bounds bounds, const QString& caption) const {
        auto* control = Add<Control>(parent, name, bounds);
        SetCaption(control, caption);
        return control;
    }
};

}  // namespace

TfMain::TfMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(kWindowCaption);
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
    font.setPixelSize(design.Scaled(11));
    setFont(font);
    setFixedSize(design.Scaled(315), design.Scaled(397));
    move(521, 213);

    Label1 = design.Add<QLabel>(this, "Label1", {6, 8, 44, 13}, QStringLiteral("Каталог:"));
    Dir = design.Add<TDirectoryEdit>(this, "Dir", {4, 24, 307, 21});
    Dir->setText(QDir::rootPath());
    GroupBox1 = design.Add<QGroupBox>(this, "GroupBox1", {4, 52, 307, 47},
                                      QStringLiteral("Создавать файл с интервалом:"));
    m5 = design.Add<QCheckBox>(GroupBox1, "m5", {10, 20, 60, 17}, QStringLiteral("5 min"));
    m10 = design.Add<QCheckBox>(GroupBox1, "m10", {64, 20, 60, 17}, QStringLiteral("10 min"));
    m15 = design.Add<QCheckBox>(GroupBox1, "m15", {124, 20, 60, 17}, QStringLiteral("15 min"));
    m60 = design.Add<QCheckBox>(GroupBox1, "m60", {182, 20, 55, 17}, QStringLiteral("60 min"));
    mCust = design.Add<QCheckBox>(GroupBox1, "mCust", {242, 20, 17, 17});
    Cust = design.Add<QLineEdit>(GroupBox1, "Cust", {262, 18, 37, 21});
    Cust->setText(QString::fromUtf8(kDefaultCustomInterval));
    ms7 = design.Add<QCheckBox>(this, "ms7", {6, 236, 203, 17},
                                QStringLiteral("Указывать период для MetaStock 7"));
    PER = design.Add<QCheckBox>(this, "PER", {6, 256, 255, 17},
                                QStringLiteral("Добавлять поле <PER>=I для MetaStock 6.52"));
    Period = design.Add<QCheckBox>(this, "Period", {6, 276, 207, 17},
                                   QStringLiteral("Добавлять период к имени символа"));
    Voluem = design.Add<QCheckBox>(this, "Voluem", {6, 296, 101, 17}, QStringLiteral("Считать объем"));
    chClose =
        design.Add<QCheckBox>(this, "chClose", {6, 316, 189, 17}, QStringLiteral("Закрыть после обработки"));
    Rus = design.Add<QCheckBox>(this, "Rus", {6, 336, 69, 17}, QStringLiteral("Russian"));
    Make = design.Add<QPushButton>(this, "Make", {148, 368, 75, 25}, QStringLiteral("Обработать"));
    Exit = design.Add<QPushButton>(this, "Exit", {236, 368, 75, 25}, QStringLiteral("Закрыть"));
    box = design.Add<QListWidget>(this, "box", {4, 106, 307, 123});
    box->setSelectionMode(QAbstractItemView::SingleSelection);
    box->setUniformItemSizes(true);
    Bevel3 = design.Add<QFrame>(this, "Bevel3", {4, 358, 307, 2});
    Bevel3->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    // Wider than drawn, up to "Process": in the system font a seven-digit line number would be cut off.
    lbs = design.Add<QLabel>(this, "lbs", {6, 372, 138, 13}, QStringLiteral("Строка:"));
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
    ApplyCaptions(Rus->isChecked() ? RussianCaptions : kEnglishCaptions);
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
    return {GroupBox1, Label1, ms7, PER, Period, Voluem, chClose, lbs, Make, Exit};
}

void TfMain::ApplyCaptions(const Captions& captions) {
    const auto controls = CaptionedControls();
    for (std::size_t i = 0; i < controls.size(); ++i) SetCaption(controls[i], captions[i]);
}

// The same integer syntax as the run's, so that the field shows the interval the run will use.
void TfMain::NormaliseCustomInterval() {
    const auto minutes = TryParseInteger(Cust->text().toStdString());
    Cust->setText(minutes ? QString::number(*minutes) : QString::fromUtf8(kDefaultCustomInterval));
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

// Called for every line read, so it only keeps the number.
void TfMain::ShowLineCounter(std::int64_t lineNumber) {
    pendingLineNumber_ = lineNumber;
    counterPending_ = true;
}

// Handling the window's events costs about as much as converting the lines of a bar, and repainting the
// counter many times more, so a run that did both after every bar record would take several times as long.
// Events wait at most kYieldInterval instead, far below what a user notices.
void TfMain::YieldToWindow() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastYield_ < kYieldInterval) return;
    lastYield_ = now;
    ShowPendingCounter();
    QCoreApplication::processEvents();
}

void TfMain::ShowPendingCounter() {
    if (!counterPending_) return;
    counterPending_ = false;
    lbs->setText(QString::fromStdString(LineCounterText(pendingLineNumber_)));
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
