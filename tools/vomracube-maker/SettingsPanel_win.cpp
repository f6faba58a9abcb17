#include "SettingsPanel.h"

#include "MakerResource.h"
#include "SettingStep.h"
#include "SettingWords.h"
#include "platform/Wide.h"

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

// The user's decimal separator, "," under German; a full stop where the locale says none.
std::string LocaleDecimal() {
    wchar_t text[8] = L"";
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) <= 1) {
        return ".";
    }
    std::string decimal;
    return wide::ToUtf8(text, decimal) && !decimal.empty() ? decimal : ".";
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
    m_decimal = LocaleDecimal();
    for (int i = 0; i < kPayloadSettingCount; ++i) {
        const SettingInfo& setting = Setting(i);
        const HWND control = GetDlgItem(dialog, IDC_SETTING_EDIT + i);
        SetDlgItemTextA(dialog, IDC_SETTING_LABEL + i, setting.label);
        SetDlgItemTextA(dialog, IDC_SETTING_HELP + i, SettingHelp(setting));
        switch (ControlOf(setting)) {
        case SettingControl::kChoice:
            for (int p = 0; MotionPatternName(p); ++p) {
                SendMessageA(control, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(MotionPatternName(p)));
            }
            break;
        case SettingControl::kSwitch:
            SetWindowTextA(control, SwitchText(setting));
            break;
        case SettingControl::kNumber: {
            const HWND spin = GetDlgItem(dialog, IDC_SETTING_SPIN + i);
            SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(-kSpinReach), kSpinReach);
            SendMessageA(spin, UDM_SETPOS32, 0, 0);
            SendMessageA(control, EM_LIMITTEXT, 24, 0);
            break;
        }
        }
    }
}

void SettingsPanel::SetText(int index, const std::string& text) {
    const bool showing = m_showing;
    m_showing = true;
    SetDlgItemTextW(m_dialog, IDC_SETTING_EDIT + index, wide::FromUtf8(text).c_str());
    m_showing = showing;
}

std::string SettingsPanel::Text(int index) const {
    const HWND edit = GetDlgItem(m_dialog, IDC_SETTING_EDIT + index);
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
    return wide::ToUtf8Lossy(text.data());
}

void SettingsPanel::Show(const uint32_t settings[kPayloadSettingCount]) {
    m_showing = true;
    for (int i = 0; i < kPayloadSettingCount; ++i) {
        const SettingInfo& setting = Setting(i);
        const int64_t value = SettingValue(setting, settings[i]);
        const HWND control = GetDlgItem(m_dialog, IDC_SETTING_EDIT + i);
        switch (ControlOf(setting)) {
        case SettingControl::kChoice:
            SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
            break;
        case SettingControl::kSwitch:
            SendMessageA(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case SettingControl::kNumber:
            SetText(i, FormatTyped(setting, value, m_decimal));
            break;
        }
        m_complaints[i].clear();
    }
    m_showing = false;
    ShowComplaint();
}

bool SettingsPanel::Take(int index, int code, uint32_t settings[kPayloadSettingCount]) {
    if (m_showing || index < 0) {
        return false;
    }
    const SettingInfo& setting = Setting(index);
    const HWND control = GetDlgItem(m_dialog, IDC_SETTING_EDIT + index);
    int64_t value = 0;
    switch (ControlOf(setting)) {
    case SettingControl::kChoice: {
        if (code != CBN_SELCHANGE) {
            return false;
        }
        const LRESULT chosen = SendMessageA(control, CB_GETCURSEL, 0, 0);
        if (chosen < setting.low || chosen > setting.high) {
            return false;
        }
        value = chosen;
        break;
    }
    case SettingControl::kSwitch:
        if (code != BN_CLICKED) {
            return false;
        }
        value = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        break;
    case SettingControl::kNumber:
        if (code != EN_CHANGE) {
            return false;
        }
        m_complaints[index].clear();
        const bool parsed = ParseTyped(setting, Text(index), m_decimal, value, m_complaints[index]);
        ShowComplaint();
        if (!parsed) {
            return false;
        }
        break;
    }
    if (Stored(value) == settings[index]) {
        return false;
    }
    settings[index] = Stored(value);
    return true;
}

bool SettingsPanel::Step(int index, int steps, uint32_t settings[kPayloadSettingCount]) {
    if (index < 0 || ControlOf(Setting(index)) != SettingControl::kNumber) {
        return false;
    }
    const SettingInfo& setting = Setting(index);
    const int64_t value = StepSetting(setting, SettingValue(setting, settings[index]), steps);
    SetText(index, FormatTyped(setting, value, m_decimal));
    m_complaints[index].clear();
    ShowComplaint();
    SendDlgItemMessageA(m_dialog, IDC_SETTING_EDIT + index, EM_SETSEL, 0, -1);
    if (Stored(value) == settings[index]) {
        return false;
    }
    settings[index] = Stored(value);
    return true;
}

int SettingsPanel::FirstInvalid() const {
    for (int i = 0; i < kPayloadSettingCount; ++i) {
        if (!m_complaints[i].empty()) {
            return i;
        }
    }
    return -1;
}

const std::string& SettingsPanel::Complaint(int index) const {
    static const std::string kNone;
    return index >= 0 && index < kPayloadSettingCount ? m_complaints[index] : kNone;
}

void SettingsPanel::Focus(int index) const {
    const HWND control = GetDlgItem(m_dialog, IDC_SETTING_EDIT + index);
    SendMessageA(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    SendMessageA(control, EM_SETSEL, 0, -1);
}

void SettingsPanel::ShowComplaint() {
    const int invalid = FirstInvalid();
    SetDlgItemTextW(m_dialog, IDC_SETTING_MESSAGE,
                    wide::FromUtf8(invalid < 0 ? std::string() : m_complaints[invalid]).c_str());
}
