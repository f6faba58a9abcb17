// The nine settings of the maker's window: a label, an edit box with up and down arrows and
// the range of each, from the settings table, and a line that says what is wrong with a
// value that was typed. A value is taken as soon as it parses; text that does not parse
// leaves the setting as it was.
#pragma once

#include "app/Payload.h"
#include "platform/Win32.h"

#include <cstdint>
#include <string>

class SettingsPanel {
  public:
    // The index (0..8) of a setting's edit box or arrows, or -1.
    static int EditIndex(int id);
    static int SpinIndex(int id);

    // Labels, ranges and the arrows' behaviour.
    void Attach(HWND dialog);
    // The texts of all nine, from stored values; clears every complaint.
    void Show(const uint32_t settings[kPayloadSettingCount]);
    // The text of setting `index` changed: true when it parsed to a value other than the
    // stored one, which is then stored.
    bool TakeText(int index, uint32_t settings[kPayloadSettingCount]);
    // An arrow moved setting `index` by `steps`: true when the stored value changed.
    bool Step(int index, int steps, uint32_t settings[kPayloadSettingCount]);

  private:
    void ShowComplaint();
    void SetText(int index, const std::string& text);

    HWND m_dialog = nullptr;
    bool m_showing = false; // inside Show or Step: the edit boxes' change notices are ours
    std::string m_complaints[kPayloadSettingCount];
};
