// The maker's main window: a dialog holding the project being made (nine settings, six
// faces), its six face slots, the settings, the live preview and the commands Open saver,
// Save, Try and Install. Faces arrive by the Browse buttons, by files dropped on the window
// (on a slot: that slot and the ones after it) and from the command line.
#pragma once

#include "FaceSlot.h"
#include "LivePreview.h"
#include "MakerCommandLine.h"
#include "SaverTry.h"
#include "SettingsPanel.h"
#include "framework/Dialog.h"
#include "make/SaverProject.h"

#include <cstdint>
#include <string>
#include <vector>

class MakerDlg : public CDialog {
  public:
    MakerDlg();
    ~MakerDlg() override;

    // Creates and shows the window with an empty project.
    BOOL Create();
    // What the command line asked for: a saver to open, or faces for the slots.
    void Start(const MakerStart& start);

  protected:
    BOOL OnInitDialog() override;
    // Enter and Escape in the window: neither ends the maker (only closing the window does).
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnDestroy();
    void OnTimer(UINT_PTR id);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnNotify(WPARAM, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM, LPARAM lParam);
    LRESULT OnDropFiles(WPARAM wParam, LPARAM);
    LRESULT OnPreviewClick(WPARAM, LPARAM);
    void OnDefaults();
    // The commands (MakerCommands_win.cpp).
    void OnOpenSaver();
    void OnSave();
    void OnTry();
    void OnInstall();
    DECLARE_MESSAGE_MAP()

  private:
    static constexpr UINT_PTR kTryTimer = 2;
    static constexpr UINT kTryPoll = 500; // ms between looks at a saver being tried

    // A slot's or a setting's control spoke; false for other controls.
    bool OnControlCommand(int id, int code);
    // Puts each file into its slot; one message lists the files that could not be read.
    void TakeFaceFiles(const std::vector<std::string>& paths, const std::vector<int>& slots);
    // False with the reason in `error` when the file cannot be read.
    bool TakeFaceFile(int face, const std::string& path, std::string& error);
    void ClearFace(int face);
    bool OpenSaverFile(const std::string& path);
    // Asks for a file name and saves; true when saved.
    bool SaveWithDialog();
    // Something in the project changed: the title says so and the preview is rebuilt soon.
    void Changed();
    void ShowProject();
    void UpdateTitle();
    void SetStatus(const std::string& text);
    void Fail(const std::string& text);
    // Whether the user agrees to lose unsaved changes (after saving them, when asked to).
    bool AgreeToClose();

    SaverProject m_project;
    FacePlan m_plan;
    FaceSlot m_slots[kPayloadFaceCount];
    SettingsPanel m_settings;
    LivePreview m_preview;
    SaverTry m_try;
    std::vector<uint8_t> m_template;
    std::string m_savedPath; // where the project was last saved or opened from
    bool m_dirty = false;
};
