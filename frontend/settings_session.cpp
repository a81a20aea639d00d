#include "settings_session.h"

#include "guarded.h"
#include "tarnix/text_case.h"

namespace tarnix::frontend {
namespace {

WindowState StateOf(int showCmd) {
    switch (showCmd) {
        case 2:
        case 6:
        case 7:
            return WindowState::kMinimised;
        case 3:
            return WindowState::kMaximised;
        default:
            return WindowState::kNormal;
    }
}

std::string SizeSuffix(const WindowPlacement& placement) {
    return ScreenSizeSuffix(placement.screenWidth, placement.screenHeight);
}

}  // namespace

std::string SettingsReadPath(const std::string& own, const std::string& former,
                             const std::function<bool(const std::string&)>& exists) {
    return !exists(own) && exists(former) ? former : own;
}

void SettingsSession::Restore() {
    const std::vector<std::string> defaults = PropertyValues();
    if (const auto failure = FailureOf([this] { RestoreEveryKey(); })) {
        view_.SetHandSetValues({});
        PutBack(defaults);
        view_.ShowFailure(*failure);
    }
}

void SettingsSession::RestoreEveryKey() {
    saved_ = false;
    view_.SetHandSetValues({PriceDecimalsOf(Read(kDecimalsKey)), DateOrderOf(Read(kDateOrderKey)),
                            DecimalMarkOf(Read(kDecimalMarkKey)),
                            MetaStockFolderOf(Read(kMetaStockFolderKey))});
    if (ReadInteger("FormVersion", 0) >= kFormVersion) {
        view_.Place(ReadPlacement());
        RestoreProperties();
    }
    restored_ = true;
}

void SettingsSession::Save() {
    if (!restored_) return;
    writeFailed_ = false;
    if (FailureOf([this] { WriteEveryKey(); })) writeFailed_ = true;
    if (writeFailed_) {
        view_.ShowFailure("Unable to write to " + std::string(kIniFileName) + ".");
    } else {
        saved_ = true;
    }
}

void SettingsSession::WriteEveryKey() {
    Write("FormVersion", std::to_string(kFormVersion));
    SavePlacement();
    Write("Visible", atEnd_ ? "1" : "0");
    SaveProperties();
}

void SettingsSession::SaveAtEnd() {
    if (saved_) return;
    atEnd_ = true;
    Save();
    atEnd_ = false;
}

int SettingsSession::ReadInteger(std::string_view key, int fallback) const {
    return IntegerOr(Read(key), fallback);
}

std::string SettingsSession::ReadForScreen(std::string_view key, const WindowPlacement& current) const {
    std::string value = Read(std::string(key) + SizeSuffix(current));
    return value.empty() ? Read(key) : value;
}

StoredPlacement SettingsSession::ReadPlacement() const {
    const WindowPlacement current = view_.Placement();
    StoredPlacement stored;
    stored.flags = ReadInteger("Flags", current.flags);
    const std::string minMaxPos = ReadForScreen("MinMaxPos", current);
    const std::string normPos = ReadForScreen("NormPos", current);
    if (ReadInteger("PixelsPerInch", current.pixelsPerInch) == current.pixelsPerInch) {
        if (!minMaxPos.empty()) stored.minMax = PositionsOf(minMaxPos, {0, 0, 0, 0});
        if (!normPos.empty()) stored.normal = PositionsOf(normPos, current.normal);
    }
    stored.state = StateOf(ReadInteger("ShowCmd", 0));
    return stored;
}

// A missing key reads as the control's own value, so the control keeps it.
void SettingsSession::RestoreProperties() {
    for (const StoredProperty& stored : kStoredProperties) {
        if (stored.kind == PropertyKind::kText) {
            view_.SetText(stored.control,
                          TrimSpaceAndControls(store_.Read(KeyOf(stored), view_.TextOf(stored.control))));
        } else if (const auto value = BooleanOf(Read(KeyOf(stored)))) {
            view_.SetChecked(stored.control, *value);
        }
    }
}

std::vector<std::string> SettingsSession::PropertyValues() const {
    std::vector<std::string> values;
    values.reserve(kStoredProperties.size());
    for (const StoredProperty& stored : kStoredProperties) {
        values.emplace_back(stored.kind == PropertyKind::kText ? view_.TextOf(stored.control)
                                                               : BooleanText(view_.Checked(stored.control)));
    }
    return values;
}

void SettingsSession::PutBack(const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < kStoredProperties.size(); ++i) {
        const StoredProperty& stored = kStoredProperties[i];
        if (stored.kind == PropertyKind::kText) {
            view_.SetText(stored.control, values[i]);
        } else {
            view_.SetChecked(stored.control, BooleanOf(values[i]).value_or(false));
        }
    }
}

void SettingsSession::Write(std::string_view key, std::string_view value) {
    if (!writeFailed_) writeFailed_ = !store_.Write(key, value);
}

void SettingsSession::WriteForScreen(std::string_view key, const Positions& positions,
                                     const WindowPlacement& current) {
    const std::string text = PositionsText(positions);
    Write(std::string(key) + SizeSuffix(current), text);
    Write(key, text);
}

void SettingsSession::SavePlacement() {
    const WindowPlacement placement = view_.Placement();
    Write("Flags", std::to_string(placement.flags));
    Write("ShowCmd", std::to_string(placement.showCmd));
    Write("PixelsPerInch", std::to_string(placement.pixelsPerInch));
    WriteForScreen("MinMaxPos", placement.minMax, placement);
    WriteForScreen("NormPos", placement.normal, placement);
}

void SettingsSession::SaveProperties() {
    for (const StoredProperty& stored : kStoredProperties) {
        const std::string key = KeyOf(stored);
        if (stored.kind == PropertyKind::kText) {
            Write(key, QuotedText(view_.TextOf(stored.control)));
        } else {
            Write(key, BooleanText(view_.Checked(stored.control)));
        }
    }
}

}  // namespace tarnix::frontend
