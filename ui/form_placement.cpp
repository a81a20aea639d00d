#include "form_placement.h"

#include <exception>
#include <utility>

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "error_box.h"
#include "profile_file.h"
#include "settings_keys.h"

namespace tarnix {
namespace {

using namespace Qt::StringLiterals;

enum ShowCommand { kNormal = 1, kMinimised = 2, kMaximised = 3 };

// The state that a stored show command asks for; commands without a meaning here give a normal window.
ShowCommand StoredState(int showCmd) {
    switch (showCmd) {
        case 2:
        case 6:
        case 7:
            return kMinimised;
        case 3:
            return kMaximised;
        default:
            return kNormal;
    }
}

ShowCommand CurrentState(const QWidget& form) {
    if (form.isMinimized()) return kMinimised;
    return form.isMaximized() ? kMaximised : kNormal;
}

// Position keys exist once per screen size, so that each size keeps its own place of the window.
QString ScreenSuffix() {
    const QSize size = QGuiApplication::primaryScreen()->size();
    return QString::fromStdString(frontend::ScreenSizeSuffix(size.width(), size.height()));
}

QString Positions(const frontend::Positions& positions) {
    return QString::fromStdString(frontend::PositionsText(positions));
}

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

}  // namespace

TFormPlacement::TFormPlacement(QWidget& form, QString iniFileName, QString iniSection)
    : QObject(&form), form_(form), iniFileName_(std::move(iniFileName)), iniSection_(std::move(iniSection)) {
    form.installEventFilter(this);
    // The form's children, the controls whose values are saved, are still there when destroyed() comes.
    connect(&form, &QObject::destroyed, this, [this] { Guarded(&TFormPlacement::SaveWhenDestroyed); });
}

void TFormPlacement::RestoreSettings() {
    saved_ = false;
    if (ReadInteger(u"FormVersion"_s, 0) >= frontend::kFormVersion) {
        RestorePosition();
        RestoreState();
        RestoreProperties();
    }
    restored_ = true;
}

void TFormPlacement::SaveSettings() {
    if (!restored_) return;
    writeFailed_ = false;
    WriteValue(u"FormVersion"_s, QString::number(frontend::kFormVersion));
    SavePlacement();
    WriteValue(u"Visible"_s, destroying_ ? u"1"_s : u"0"_s);
    SaveProperties();
    // The box has no parent window: at the destroy event the window is partly gone.
    if (writeFailed_) {
        ShowErrorBox(nullptr, u"Unable to write to %1."_s.arg(iniFileName_));
    } else {
        saved_ = true;
    }
}

// A spontaneous show, such as coming back from the task bar, does not restore: it must not undo what the user
// has changed since.
bool TFormPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        Guarded(&TFormPlacement::RestoreSettings);
    } else if (event->type() == QEvent::Close) {
        Guarded(&TFormPlacement::SaveSettings);
    }
    return QObject::eventFilter(watched, event);
}

QString TFormPlacement::ReadValue(const QString& key, const QString& fallback) const {
    return ProfileFile(ProfileFile::PathOf(iniFileName_)).ReadString(iniSection_, key, fallback);
}

void TFormPlacement::WriteValue(const QString& key, const QString& value) {
    if (writeFailed_) return;
    writeFailed_ = !ProfileFile(ProfileFile::PathOf(iniFileName_)).WriteString(iniSection_, key, value);
}

int TFormPlacement::ReadInteger(const QString& key, int fallback) const {
    return frontend::IntegerOr(ReadValue(key, {}).toStdString(), fallback);
}

// A position stored at another pixel density would put the window elsewhere than it was left.
void TFormPlacement::RestorePosition() {
    QString normPos = ReadValue(u"NormPos"_s + ScreenSuffix(), {});
    if (normPos.isEmpty()) normPos = ReadValue(u"NormPos"_s, {});
    const int pixelsPerInch = form_.logicalDpiY();
    if (normPos.isEmpty() || ReadInteger(u"PixelsPerInch"_s, pixelsPerInch) != pixelsPerInch) return;
    const QPoint current = form_.pos();
    const frontend::Positions stored =
        frontend::PositionsOf(normPos.toStdString(), {current.x(), current.y(), 0, 0});
    const QPoint place(stored[0], stored[1]);
    // move() alone would put the client area there once the window is created, and a window manager's frame
    // would make the window creep up and left by the frame's size from one run to the next: the window
    // handle takes the place as the frame's, as it is saved.
    form_.move(place);
    if (QWindow* window = form_.windowHandle()) window->setFramePosition(place);
}

// Applied once the window is on screen: a window that is not there yet cannot be minimised, and the normal
// place that a maximised window keeps for the next save is settled only then.
void TFormPlacement::RestoreState() {
    const ShowCommand state = StoredState(ReadInteger(u"ShowCmd"_s, 0));
    if (state == kNormal) return;
    const auto show = state == kMinimised ? &QWidget::showMinimized : &QWidget::showMaximized;
    QMetaObject::invokeMethod(&form_, show, Qt::QueuedConnection);
}

void TFormPlacement::SavePlacement() {
    const QRect frame = form_.normalGeometry().marginsAdded(FrameMargins(form_));
    const QPoint maximised = MaximisedPosition(form_);
    const QString minMaxPos = Positions({-1, -1, maximised.x(), maximised.y()});
    const QString normPos =
        Positions({frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()});
    WriteValue(u"Flags"_s, u"0"_s);
    WriteValue(u"ShowCmd"_s, QString::number(CurrentState(form_)));
    WriteValue(u"PixelsPerInch"_s, QString::number(form_.logicalDpiY()));
    WriteValue(u"MinMaxPos"_s + ScreenSuffix(), minMaxPos);
    WriteValue(u"MinMaxPos"_s, minMaxPos);
    WriteValue(u"NormPos"_s + ScreenSuffix(), normPos);
    WriteValue(u"NormPos"_s, normPos);
}

void TFormPlacement::SaveWhenDestroyed() {
    if (saved_) return;
    destroying_ = true;
    SaveSettings();
    destroying_ = false;
}

void TFormPlacement::Guarded(void (TFormPlacement::*operation)()) {
    try {
        (this->*operation)();
    } catch (const std::exception& failure) {
        ShowErrorBox(nullptr, QString::fromUtf8(failure.what()));
    }
}

}  // namespace tarnix
