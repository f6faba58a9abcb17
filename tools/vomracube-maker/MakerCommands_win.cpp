// The maker's commands on whole savers: Open saver, Save, Try and Install. The writing and
// reading itself runs on the worker thread (MakerWork_win.cpp).
#include "FileDialogs.h"
#include "MakerDlg.h"
#include "MakerResource.h"
#include "SaverInstall.h"
#include "framework/WinApp.h"

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

void MakerDlg::OnSave() {
    SaveWithDialog();
}

void MakerDlg::SaveWithDialog(std::function<void()> then) {
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
    const PictureMode mode = m_project.pictureMode;
    const PhotoFolderSetting photos = m_project.photoFolder;
    ++m_facesRead;
    piece->run = [this, failure, settings, faces, saver, mode,
                  photos](const std::atomic<bool>& cancel) {
        uint64_t bytes = 0;
        SaveSaver(m_template, settings, faces, saver, *failure, bytes, &cancel, mode, photos);
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
    const auto install = [this] {
        std::string report;
        std::string error;
        if (!InstallSaver(m_savedPath, report, error)) {
            Fail("The saver could not be installed:\n" + error);
            return;
        }
        SetStatus("Installed a copy of " + m_savedPath + " as the screen saver.");
        AfxMessageBox(("Your screen saver is now a copy of " + m_savedPath +
                       ": moving or deleting that file changes nothing.\n\nChanged:\n" + report)
                          .c_str(),
                      MB_OK | MB_ICONINFORMATION);
    };
    if (m_savedPath.empty() || m_dirty) {
        const int answer = AfxMessageBox("The saver is installed from its file: save it first?",
                                         MB_OKCANCEL | MB_ICONQUESTION);
        if (answer == IDOK) {
            SaveWithDialog(install);
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
