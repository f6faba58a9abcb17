// The maker's main window: a dialog holding the project being made (nine settings, six
// faces), its six face slots, the settings, the live preview and the commands Open saver,
// Recent savers, Save (Ctrl+S), Save as, Try and Install. It fits the work area at any DPI
// (WindowFit). Faces arrive by the Browse buttons, by files dropped on the window
// (on a slot: that slot and the ones after it) and from the command line. Everything that
// may take long runs on the worker thread (MakerWork_win.cpp); the window shows its
// progress and a Cancel button once it has taken half a second.
#pragma once

#include "FaceSlot.h"
#include "LivePreview.h"
#include "MakerCommandLine.h"
#include "MakerWorker.h"
#include "SaverTry.h"
#include "SettingsPanel.h"
#include "WindowFit.h"
#include "framework/Dialog.h"
#include "make/SaverProject.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A piece of work done on the worker thread, to finish on the window's (MakerWorker).
constexpr UINT kWorkDoneMessage = WM_APP + 1;

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
    // Ctrl+S and Ctrl+O anywhere in the window; the status follows the slot in focus.
    BOOL PreTranslateMessage(MSG* msg) override;

    void OnDestroy();
    void OnTimer(UINT_PTR id);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnNotify(WPARAM, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM, LPARAM lParam);
    LRESULT OnDropFiles(WPARAM wParam, LPARAM);
    LRESULT OnPreviewClick(WPARAM, LPARAM);
    LRESULT OnWorkDone(WPARAM, LPARAM lParam);
    void OnDefaults();
    void OnPhotoFolder(); // "Photos from a folder..." (PhotoFolderDlg.h)
    void OnCancelWork();
    // The commands (MakerCommands_win.cpp).
    void OnOpenSaver();
    void OnRecent();
    void OnSave();
    void OnSaveAs();
    void OnTry();
    void OnInstall();
    DECLARE_MESSAGE_MAP()

  private:
    static constexpr UINT_PTR kTryTimer = 2;
    static constexpr UINT kTryPoll = 500; // ms between looks at a saver being tried
    static constexpr UINT_PTR kBusyTimer = 3;
    static constexpr UINT kBusyPoll = 200;      // ms between updates of the progress
    static constexpr DWORD kShowProgress = 500; // ms of work before the progress shows

    struct FaceBatch;
    struct PreparedSlot;

    // A slot's or a setting's control spoke; false for other controls.
    bool OnControlCommand(int id, int code);
    // Puts each file into its slot, on the worker; one message lists the files that could
    // not be used once all are done.
    void TakeFaceFiles(const std::vector<std::string>& paths, const std::vector<int>& slots);
    void QueueFace(int face, const std::string& path, const std::shared_ptr<FaceBatch>& batch);
    // False with the reason in `error` when the face no longer fits the budget.
    bool PutFace(int face, PreparedSlot& slot, std::string& error);
    void ClearFace(int face);
    void OpenSaverFile(const std::string& path);
    // Asks for a file name and saves on the worker; `then` runs once it is saved.
    void SaveWithDialog(std::function<void()> then = {});
    // False, with the field focused and the reason told, while a setting holds text that is
    // no valid value: nothing is then saved, tried or installed. `what`: "saved", "tried".
    bool SettingsValid(const char* what);
    // The details of face `face` in the status area (-1: none followed).
    void FollowSlot(int face);
    void RebuildPreview();
    void Remember(const std::string& saver);
    void SaveTo(const std::string& path, std::function<void()> then);
    // Runs `change` to the project's faces now, or once no save or try reads them.
    void WhenFacesFree(std::function<void()> change);
    void FacesFreed();
    void ShowProgress();
    // Something in the project changed: the title says so and the preview is rebuilt soon.
    void Changed();
    void ShowProject();
    void UpdateTitle();
    void SetStatus(const std::string& text);
    void Fail(const std::string& text);
    // Runs `proceed` when the user agrees to lose unsaved changes, after saving them when
    // asked to.
    void AgreeToClose(std::function<void()> proceed);

    SaverProject m_project;
    WindowFit m_fit;
    HWND m_tooltip = nullptr;
    int m_followedSlot = -1;
    HWND m_focus = nullptr;            // the control last seen with the focus
    std::vector<std::string> m_recent; // savers saved or opened, the latest first
    FacePlan m_plan;
    FaceSlot m_slots[kPayloadFaceCount];
    SettingsPanel m_settings;
    LivePreview m_preview;
    SaverTry m_try;
    std::vector<uint8_t> m_template;
    std::string m_savedPath; // where the project was last saved or opened from
    bool m_dirty = false;
    unsigned m_changes = 0; // counts changes, so that a save tells whether it saved the last
    MakerWorker m_worker;
    int m_facesRead = 0; // saves and tries queued or running, which read the faces
    std::vector<std::function<void()>> m_faceChanges; // waiting for m_facesRead to be 0
    bool m_progressShown = false;
};
