#include "SettingsPanel.h"

#include "MakerResource.h"
#include "SettingStep.h"
#include "make/SettingTable.h"

#include <commctrl.h>

#include <vector>

namespace {
// The arrows only report presses (their own position never reaches a limit): the value
// itself is stepped on the settings table's grid.
constexpr int kSpinReach = 1000000;

int IndexIn(int id, int first) {
    const int index = id - first;
    return index >= 0 && index < kPayloadSettingCount ? index : -1;
}

const SettingInfo& Setting(int index) {
    return SettingTable()[static_cast<size_t>(index)];
}

// The stored form of a value the table accepted: counts of -1 are kept as 4294967295.
uint32_t Stored(int64_t value) {
    return static_cast<uint32_t>(value);
}
} // namespace

int SettingsPanel::EditIndex(int id) {
    return IndexIn(id, IDC_SETTING_EDIT);
}

int SettingsPanel::SpinIndex(int id) {
    return IndexIn(id, IDC_SETTING_SPIN);
}

void SettingsPanel::Attach(HWND dialog) {
    m_dialog = dialog;
    for (int i = 0; i < kPayloadSettingCount; ++i) {
        const SettingInfo& setting = Setting(i);
        SetDlgItemTextA(dialog, IDC_SETTING_LABEL + i, setting.label);
        const std::string range =
            FormatSetting(setting, setting.low) + " to " + FormatSetting(setting, setting.high);
        SetDlgItemTextA(dialog, IDC_SETTING_RANGE + i, range.c_str());
        const HWND spin = GetDlgItem(dialog, IDC_SETTING_SPIN + i);
        SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(-kSpinReach), kSpinReach);
        SendMessageA(spin, UDM_SETPOS32, 0, 0);
        SendDlgItemMessageA(dialog, IDC_SETTING_EDIT + i, EM_LIMITTEXT, 24, 0);
    }
}

void SettingsPanel::SetText(int index, const std::string& text) {
    m_showing = true;
    SetDlgItemTextA(m_dialog, IDC_SETTING_EDIT + index, text.c_str());
    m_showing = false;
}

void SettingsPanel::Show(const uint32_t settings[kPayloadSettingCount]) {
    for (int i = 0; i < kPayloadSettingCount; ++i) {
        const SettingInfo& setting = Setting(i);
        SetText(i, FormatSetting(setting, SettingValue(setting, settings[i])));
        m_complaints[i].clear();
    }
    ShowComplaint();
}

bool SettingsPanel::TakeText(int index, uint32_t settings[kPayloadSettingCount]) {
    if (m_showing || index < 0) {
        return false;
    }
    const HWND edit = GetDlgItem(m_dialog, IDC_SETTING_EDIT + index);
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
    GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
    int64_t value = 0;
    std::string error;
    const bool parsed = ParseSetting(Setting(index), text.data(), value, error);
    m_complaints[index] = parsed ? std::string() : Setting(index).label + (": " + error);
    ShowComplaint();
    if (!parsed || Stored(value) == settings[index]) {
        return false;
    }
    settings[index] = Stored(value);
    return true;
}

bool SettingsPanel::Step(int index, int steps, uint32_t settings[kPayloadSettingCount]) {
    if (index < 0) {
        return false;
    }
    const SettingInfo& setting = Setting(index);
    const int64_t value = StepSetting(setting, SettingValue(setting, settings[index]), steps);
    SetText(index, FormatSetting(setting, value));
    m_complaints[index].clear();
    ShowComplaint();
    SendDlgItemMessageA(m_dialog, IDC_SETTING_EDIT + index, EM_SETSEL, 0, -1);
    if (Stored(value) == settings[index]) {
        return false;
    }
    settings[index] = Stored(value);
    return true;
}

void SettingsPanel::ShowComplaint() {
    std::string shown;
    for (const std::string& complaint : m_complaints) {
        if (!complaint.empty()) {
            shown = complaint;
            break;
        }
    }
    SetDlgItemTextA(m_dialog, IDC_SETTING_MESSAGE, shown.c_str());
}
