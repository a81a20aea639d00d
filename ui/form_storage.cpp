#include "form_storage.h"

#include <QEvent>

#include "main_window.h"
#include "profile_file.h"
#include "settings_session.h"

namespace tarnix {
namespace {

using namespace Qt::StringLiterals;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The file's section "Main", its path resolved anew at every read and write.
class IniSection final : public frontend::ProfileStore {
  public:
    std::string Read(std::string_view key, std::string_view fallback) const override {
        return File()
            .ReadString(FromUtf8(frontend::kIniSection), FromUtf8(key), FromUtf8(fallback))
            .toStdString();
    }
    bool Write(std::string_view key, std::string_view value) override {
        return File().WriteString(FromUtf8(frontend::kIniSection), FromUtf8(key), FromUtf8(value));
    }

  private:
    static ProfileFile File() { return ProfileFile(ProfileFile::PathOf(FromUtf8(frontend::kIniFileName))); }
};

class TFormStorage final : public QObject {
  public:
    explicit TFormStorage(TfMain& form) : QObject(&form), session_(form, file_) {
        setObjectName(u"Storage"_s);
        form.installEventFilter(this);
        form.onDestroy = [this] { session_.SaveAtEnd(); };
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            session_.Restore();
        } else if (event->type() == QEvent::Close) {
            session_.Save();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    IniSection file_;
    frontend::SettingsSession session_;
};

}  // namespace

void AttachStorage(TfMain& fMain) {
    new TFormStorage(fMain);
}

}  // namespace tarnix
