// The maker's commands on whole savers: Open saver, Recent savers, Save, Save as, Try and
// Install. The writing and reading itself runs on the worker thread (MakerWork_win.cpp).
// None of them saves, tries or installs while a setting holds text that is no valid value.
#include "FileDialogs.h"
#include "InstallDialog.h"
#include "MakerDlg.h"
#include "MakerResource.h"
#include "RecentSavers.h"
#include "SaverInstall.h"
#include "framework/WinApp.h"
#include "platform/Wide.h"

namespace {
constexpr char kSuggestedName[] = "My cubes.scr";
} // namespace

void MakerDlg::OnOpenSaver() {
    AgreeToClose([this] {
        std::string path;
        if (AskSaverToOpen(m_hWnd, path)) {
            OpenSaverFile(path);
        }
    });
}

void MakerDlg::OnRecent() {
    if (m_recent.empty()) {
        SetStatus("No saver has been saved or opened here yet.");
        return;
    }
    const HMENU menu = CreatePopupMenu();
    for (size_t i = 0; i < m_recent.size(); ++i) {
        AppendMenuW(menu, MF_STRING, IDM_RECENT_FIRST + i,
                    wide::FromUtf8(RecentMenuText(i, m_recent[i])).c_str());
    }
    RECT button{};
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_RECENT), &button);
    // The chosen saver's command comes to the window (WindowProc).
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, button.left, button.bottom, 0, m_hWnd,
                   nullptr);
    DestroyMenu(menu);
}

void MakerDlg::Remember(const std::string& saver) {
    AddRecent(m_recent, saver);
    StoreRecentSavers(m_recent);
}

bool MakerDlg::SettingsValid(const char* what) {
    const int invalid = m_settings.FirstInvalid();
    if (invalid < 0) {
        return true;
    }
    Fail(std::string("The saver was not ") + what + ": " + m_settings.Complaint(invalid));
    m_settings.Focus(invalid);
    return false;
}

// Ctrl+S: to the file it came from without a question; a new saver asks for a name.
void MakerDlg::OnSave() {
    if (m_savedPath.empty()) {
        SaveWithDialog();
    } else if (SettingsValid("saved")) {
        SaveTo(m_savedPath, {});
    }
}

void MakerDlg::OnSaveAs() {
    SaveWithDialog();
}

void MakerDlg::SaveWithDialog(std::function<void()> then) {
    if (!SettingsValid("saved")) {
        return;
    }
    if (m_template.empty()) {
        Fail("This maker carries no saver to copy, so it cannot save one.");
        return;
    }
    std::string path;
    if (AskSaverToSave(m_hWnd, m_savedPath.empty() ? kSuggestedName : m_savedPath, path)) {
        SaveTo(path, std::move(then));
    }
}

void MakerDlg::OnTry() {
    if (!SettingsValid("tried")) {
        return;
    }
    if (m_template.empty()) {
        Fail("This maker carries no saver to copy, so it cannot run one.");
        return;
    }
    std::string error;
    if (!m_try.Prepare(error)) {
        Fail("The saver could not be tried:\n" + error);
        return;
    }
    auto piece = std::make_unique<WorkPiece>();
    piece->what = "Writing the saver to try";
    auto failure = std::make_shared<std::string>();
    uint32_t settings[kPayloadSettingCount];
    std::copy(std::begin(m_project.settings), std::end(m_project.settings), settings);
    PayloadFaceView faces[kPayloadFaceCount];
    m_project.Views(faces);
    const std::string saver = m_try.SaverPath();
    const PayloadExtension extension = m_project.Extension();
    ++m_facesRead;
    piece->run = [this, failure, settings, faces, saver,
                  extension](const std::atomic<bool>& cancel) {
        uint64_t bytes = 0;
        SaveSaverWith(m_template, settings, faces, saver, extension, *failure, bytes, &cancel);
    };
    piece->finish = [this, failure](bool cancelled) {
        FacesFreed();
        std::string error = *failure;
        if (cancelled || !error.empty() || !m_try.Launch(error)) {
            m_try.Abandon();
            if (!cancelled) {
                Fail("The saver could not be tried:\n" + error);
            }
            return;
        }
        SetTimer(kTryTimer, kTryPoll);
        SetStatus("Trying the saver full screen: a key, a click or a move of the mouse ends it.");
    };
    m_worker.Queue(std::move(piece));
}

// Windows' own Install takes a saver file; an unsaved project is saved first.
void MakerDlg::OnInstall() {
    if (!SettingsValid("installed")) {
        return;
    }
    const auto install = [this] {
        int minutes = CurrentSaverWait();
        const size_t slash = m_savedPath.find_last_of("\\/");
        const std::string name =
            slash == std::string::npos ? m_savedPath : m_savedPath.substr(slash + 1);
        if (!AskInstall(m_hWnd, name, minutes)) {
            return;
        }
        std::string report;
        std::string error;
        if (!InstallSaver(m_savedPath, report, error)) {
            Fail("The saver could not be installed:\n" + error);
            return;
        }
        std::string done = InstalledText(minutes);
        if (!SetSaverWait(minutes)) {
            done = "VomraCube is now your screen saver; its wait could not be changed (see "
                   "Windows' screen saver settings).";
        }
        SetStatus(done);
        AfxMessageBox((done + "\n\n" + report).c_str(), MB_OK | MB_ICONINFORMATION);
    };
    if (m_savedPath.empty() || m_dirty) {
        const int answer = AfxMessageBox("The screen saver is installed from its file: save it "
                                         "first?",
                                         MB_OKCANCEL | MB_ICONQUESTION);
        if (answer == IDOK) {
            if (m_savedPath.empty()) {
                SaveWithDialog(install);
            } else {
                SaveTo(m_savedPath, install);
            }
        }
        return;
    }
    install();
}

void MakerDlg::AgreeToClose(std::function<void()> proceed) {
    if (!m_dirty) {
        proceed();
        return;
    }
    const int answer =
        AfxMessageBox("Save the changes to this saver first?", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO) {
        proceed();
    } else if (answer == IDYES) {
        SaveWithDialog(std::move(proceed));
    }
}
