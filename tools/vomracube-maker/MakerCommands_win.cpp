// The maker's commands on whole savers: Open saver, Save, Try and Install.
#include "FileDialogs.h"
#include "MakerDlg.h"
#include "MakerResource.h"
#include "SaverInstall.h"
#include "framework/WinApp.h"

namespace {
constexpr char kSuggestedName[] = "My cubes.scr";

// How many faces the saver will show with the default picture instead of their file.
int FacesFallingBack(const SaverProject& project) {
    int count = 0;
    for (const ProjectFace& face : project.faces) {
        if (!face.Empty() && face.prepared.check.verdict == FaceVerdict::kDefault) {
            ++count;
        }
    }
    return count;
}
} // namespace

void MakerDlg::OnOpenSaver() {
    std::string path;
    if (AgreeToClose() && AskSaverToOpen(m_hWnd, path)) {
        OpenSaverFile(path);
    }
}

bool MakerDlg::OpenSaverFile(const std::string& path) {
    std::string error;
    AfxGetApp()->BeginWaitCursor();
    const bool opened = m_project.OpenSaver(path, error);
    AfxGetApp()->EndWaitCursor();
    if (!opened) {
        Fail("The saver could not be opened:\n" + path + "\n\n" + error);
        return false;
    }
    for (int face = 0; face < kPayloadFaceCount; ++face) {
        m_preview.MarkFaceChanged(face);
    }
    ShowProject();
    m_savedPath = path;
    m_dirty = false;
    UpdateTitle();
    SetStatus("Opened " + path + ".");
    m_preview.Rebuild(m_project);
    return true;
}

void MakerDlg::OnSave() {
    SaveWithDialog();
}

bool MakerDlg::SaveWithDialog() {
    if (m_template.empty()) {
        Fail("This maker carries no saver to copy, so it cannot save one.");
        return false;
    }
    std::string path;
    if (!AskSaverToSave(m_hWnd, m_savedPath.empty() ? kSuggestedName : m_savedPath, path)) {
        return false;
    }
    std::string error;
    uint64_t bytes = 0;
    AfxGetApp()->BeginWaitCursor();
    const bool saved = m_project.Save(m_template, path, error, bytes);
    AfxGetApp()->EndWaitCursor();
    if (!saved) {
        Fail("The saver could not be saved as\n" + path + "\n\n" + error);
        return false;
    }
    m_savedPath = path;
    m_dirty = false;
    UpdateTitle();
    std::string status = "Saved " + path;
    status.append(" (").append(std::to_string(bytes)).append(" bytes).");
    if (const int fallbacks = FacesFallingBack(m_project)) {
        status.append("\n").append(std::to_string(fallbacks));
        status.append(fallbacks == 1 ? " face shows" : " faces show");
        status.append(" the default picture: see its verdict.");
    }
    SetStatus(status);
    return true;
}

void MakerDlg::OnTry() {
    if (m_template.empty()) {
        Fail("This maker carries no saver to copy, so it cannot run one.");
        return;
    }
    std::string error;
    AfxGetApp()->BeginWaitCursor();
    const bool started = m_try.Start(m_project, m_template, error);
    AfxGetApp()->EndWaitCursor();
    if (!started) {
        Fail("The saver could not be tried:\n" + error);
        return;
    }
    SetTimer(kTryTimer, kTryPoll);
    SetStatus("Trying the saver full screen: a key, a click or a move of the mouse ends it.");
}

// Windows' own Install takes a saver file; an unsaved project is saved first.
void MakerDlg::OnInstall() {
    if (m_savedPath.empty() || m_dirty) {
        const int answer = AfxMessageBox("The saver is installed from its file: save it first?",
                                         MB_OKCANCEL | MB_ICONQUESTION);
        if (answer != IDOK || !SaveWithDialog()) {
            return;
        }
    }
    std::string report;
    std::string error;
    if (!InstallSaver(m_savedPath, report, error)) {
        Fail("The saver could not be installed:\n" + error);
        return;
    }
    SetStatus("Installed " + m_savedPath + " as the screen saver.");
    AfxMessageBox(("Your screen saver is now " + m_savedPath + ".\n\nChanged:\n" + report).c_str(),
                  MB_OK | MB_ICONINFORMATION);
}

bool MakerDlg::AgreeToClose() {
    if (!m_dirty) {
        return true;
    }
    const int answer =
        AfxMessageBox("Save the changes to this saver first?", MB_YESNOCANCEL | MB_ICONQUESTION);
    return answer == IDNO || (answer == IDYES && SaveWithDialog());
}
