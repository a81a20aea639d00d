#pragma once

// The main window's settings as both windows keep them between runs of the program: the window's place and
// state and the thirteen control values, in the settings file's section "Main".

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run_controller.h"
#include "settings_keys.h"

namespace tarnix::frontend {

// The file a start reads its settings from: the program's own, or while that does not exist yet the
// `former` one, where the file used to be kept; saves always go to the own file.
std::string SettingsReadPath(const std::string& own, const std::string& former,
                             const std::function<bool(const std::string&)>& exists);

// One section of a settings file.
class ProfileStore {
  public:
    // The value of `key`, or `fallback` when the file has none.
    virtual std::string Read(std::string_view key, std::string_view fallback) const = 0;
    // False when the value could not be written.
    virtual bool Write(std::string_view key, std::string_view value) = 0;

  protected:
    ProfileStore() = default;
    ProfileStore(const ProfileStore&) = default;
    ProfileStore& operator=(const ProfileStore&) = default;
    ~ProfileStore() = default;
};

// A window's place and state in the platform's own numbers, as the file keeps them.
struct WindowPlacement {
    int flags = 0;
    // 1 normal, 2 minimised, 3 maximised; 6 and 7 also mean minimised.
    int showCmd = 1;
    Positions minMax{};  // where the window goes minimised (x, y) and maximised (x, y)
    Positions normal{};  // the frame of the normal window: left, top, right, bottom
    int pixelsPerInch = 96;
    int screenWidth = 0;
    int screenHeight = 0;
};

enum class WindowState { kNormal, kMinimised, kMaximised };

// What a restore takes from the file for the window. Only the place of the window is taken, never its size,
// as the window has a fixed size; a place stored at another pixel density is not taken at all, as it would
// put the window elsewhere than it was left.
struct StoredPlacement {
    int flags = 0;
    std::optional<Positions> minMax;
    std::optional<Positions> normal;
    WindowState state = WindowState::kNormal;
};

// The main window as its settings see it.
class SettingsView : public ControlView {
  public:
    virtual WindowPlacement Placement() const = 0;
    // Called before the window is first visible.
    virtual void Place(const StoredPlacement& placement) = 0;
    virtual void SetHandSetValues(const HandSetValues& values) = 0;
    // An error box without an owner: at the window's end it is partly gone.
    virtual void ShowFailure(const std::string& message) = 0;

  protected:
    SettingsView() = default;
    SettingsView(const SettingsView&) = default;
    SettingsView& operator=(const SettingsView&) = default;
    ~SettingsView() = default;
};

// Restores the settings when the window is first shown and saves them at every close it is asked for and,
// when no save has completed since, at its end. Every key is written on every save, in a fixed order: the
// placement keys (each once for the screen's size and once plain), "Visible", the control values.
class SettingsSession {
  public:
    SettingsSession(SettingsView& view, ProfileStore& store) : view_(view), store_(store) {}

    // Reads the price decimals, then placement, state and values; a "FormVersion" below 0 skips the latter.
    // A failure on the way is said in an error box and the controls go back to what they were: the window
    // starts with its defaults, and no save overwrites the file with them.
    void Restore();
    // Writes every key, unless the window was never restored. Stops at the first key that cannot be written,
    // or at a failure of the file, and says "Unable to write to Tarnix.ini." in an error box; the next save
    // tries again.
    void Save();
    // The save at the window's end, when no save has completed since the restore; "Visible" is 1 then.
    void SaveAtEnd();

  private:
    std::string Read(std::string_view key) const { return store_.Read(key, ""); }
    int ReadInteger(std::string_view key, int fallback) const;
    // The key of the screen's size, else the plain one.
    std::string ReadForScreen(std::string_view key, const WindowPlacement& current) const;
    StoredPlacement ReadPlacement() const;
    void RestoreEveryKey();
    void RestoreProperties();
    // The control values in the order of kStoredProperties, as texts and "True"/"False".
    std::vector<std::string> PropertyValues() const;
    void PutBack(const std::vector<std::string>& values);
    // Once a write has failed, the later writes of the same save are not tried.
    void Write(std::string_view key, std::string_view value);
    void WriteForScreen(std::string_view key, const Positions& positions, const WindowPlacement& current);
    void WriteEveryKey();
    void SavePlacement();
    void SaveProperties();

    SettingsView& view_;
    ProfileStore& store_;
    bool restored_ = false;
    bool saved_ = false;
    bool atEnd_ = false;
    bool writeFailed_ = false;
};

}  // namespace tarnix::frontend
