// The nine settings of the maker's window: a label, a control (a list of motion patterns,
// a check box, or an edit box with up and down arrows) and a line of help each, and a line
// that says in words what is wrong with a value that was typed. Numbers are written and read
// with the decimal separator of the user's locale. A value is taken as soon as it parses; a
// field whose text does not parse stays marked invalid, and the window saves, tries and
// installs nothing until it is put right (never the last good value in its place).
#pragma once

#include "app/Payload.h"
#include "platform/Win32.h"

#include <cstdint>
#include <string>

class SettingsPanel {
  public:
    // The index (0..8) of a setting's control or arrows, or -1.
    static int EditIndex(int id);
    static int SpinIndex(int id);

    // Labels, help, the lists' names, the arrows' behaviour and the locale's separator.
    void Attach(HWND dialog);
    // The controls of all nine, from stored values; clears every complaint.
    void Show(const uint32_t settings[kPayloadSettingCount]);
    // Setting `index`'s control sent notification `code`: true when it now holds a valid
    // value other than the stored one, which is then stored.
    bool Take(int index, int code, uint32_t settings[kPayloadSettingCount]);
    // An arrow moved setting `index` by `steps`: true when the stored value changed.
    bool Step(int index, int steps, uint32_t settings[kPayloadSettingCount]);
    // The first setting whose typed text is not a valid value, or -1; its complaint.
    int FirstInvalid() const;
    const std::string& Complaint(int index) const;
    // Puts the keyboard focus into setting `index`'s control, its text selected.
    void Focus(int index) const;

  private:
    void ShowComplaint();
    void SetText(int index, const std::string& text);
    std::string Text(int index) const;

    HWND m_dialog = nullptr;
    std::string m_decimal = ".";
    bool m_showing = false; // inside Show or Step: the controls' change notices are ours
    std::string m_complaints[kPayloadSettingCount];
};
