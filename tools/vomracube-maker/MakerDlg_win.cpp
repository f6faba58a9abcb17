#include "MakerDlg.h"

#include "FileDialogs.h"
#include "MakerResource.h"
#include "PhotoFolderDlg.h"
#include "SlotAssignment.h"
#include "TemplateImage.h"
#include "app/CCAnimationWnd.h"
#include "framework/WinApp.h"
#include "make/system/ProcessRun.h"
#include "platform/Wide.h"

#include <commctrl.h>
#include <shellapi.h>

BEGIN_MESSAGE_MAP(MakerDlg, CDialog)
ON_WM_DESTROY()
ON_WM_TIMER()
ON_MESSAGE(WM_CLOSE, OnClose)
ON_MESSAGE(WM_NOTIFY, OnNotify)
ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
ON_MESSAGE(WM_DROPFILES, OnDropFiles)
ON_MESSAGE(kPreviewClickMessage, OnPreviewClick)
ON_MESSAGE(kWorkDoneMessage, OnWorkDone)
ON_COMMAND(IDC_DEFAULTS, OnDefaults)
ON_COMMAND(IDC_CANCEL_WORK, OnCancelWork)
ON_COMMAND(IDC_OPEN_SAVER, OnOpenSaver)
ON_COMMAND(IDC_SAVE, OnSave)
ON_COMMAND(IDC_TRY, OnTry)
ON_COMMAND(IDC_INSTALL, OnInstall)
ON_COMMAND(IDC_PHOTO_FOLDER, OnPhotoFolder)
END_MESSAGE_MAP()

namespace {
constexpr UINT_PTR kRebuildTimer = 1;
constexpr UINT kRebuildDelay = 300; // ms: a run of arrow presses rebuilds the preview once
// The dropped files' names, however long; a name that cannot be had (or held in UTF-8) is
// left out.
std::vector<std::string> DroppedFiles(HDROP drop, size_t most) {
    std::vector<std::string> files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && files.size() < most; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) {
            continue;
        }
        std::wstring name(static_cast<size_t>(length) + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(copied <= length ? copied : length);
        std::string utf8;
        if (wide::ToUtf8(name, utf8) && !utf8.empty()) {
            files.push_back(utf8);
        }
    }
    return files;
}
} // namespace

MakerDlg::MakerDlg() {
    m_plan.ffmpeg = FindOnPath("ffmpeg");
}

MakerDlg::~MakerDlg() = default;

BOOL MakerDlg::Create() {
    if (!CDialog::Create(IDD_MAKER, nullptr)) {
        return FALSE;
    }
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL MakerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const HICON icon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(128));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    for (int face = 0; face < kPayloadFaceCount; ++face) {
        m_slots[face].Attach(m_hWnd, face);
    }
    m_settings.Attach(m_hWnd);
    if (const HWND frame = ::GetDlgItem(m_hWnd, IDC_PREVIEW_FRAME)) {
        RECT rect;
        ::GetWindowRect(frame, &rect);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        m_preview.SetArea(m_hWnd, rect);
    }
    if (!LoadSaverTemplate(m_template)) {
        SetStatus("This maker carries no saver to copy: Save and Try cannot work.");
    }
    if (!m_worker.Start(m_hWnd, kWorkDoneMessage)) {
        return FALSE;
    }
    SetTimer(kBusyTimer, kBusyPoll);
    ShowProject();
    for (FaceSlot& slot : m_slots) {
        slot.ShowThumbnail(nullptr);
    }
    m_preview.Rebuild(m_project);
    UpdateTitle();
    return TRUE;
}

void MakerDlg::Start(const MakerStart& start) {
    if (!start.saver.empty()) {
        OpenSaverFile(start.saver);
        return;
    }
    std::vector<std::string> paths;
    std::vector<int> slots;
    for (size_t i = 0; i < start.faces.size(); ++i) {
        if (!start.faces[i].empty()) {
            paths.push_back(start.faces[i]);
            slots.push_back(static_cast<int>(i));
        }
    }
    TakeFaceFiles(paths, slots);
    if (start.ignored) {
        Fail("A saver has six faces: " + std::to_string(start.ignored) +
             " more files on the command line were left out.");
    }
}

void MakerDlg::OnOK() {}

void MakerDlg::OnCancel() {}

// Work under way is cancelled first: what is left of the project is what may be saved.
LRESULT MakerDlg::OnClose(WPARAM, LPARAM) {
    m_worker.Cancel();
    AgreeToClose([this] { DestroyWindow(); });
    return 0;
}

// Everything that holds files goes before the window: the worker (ending a converter), the
// preview's scene and face files, and a saver still being tried.
void MakerDlg::OnDestroy() {
    KillTimer(kRebuildTimer);
    KillTimer(kTryTimer);
    KillTimer(kBusyTimer);
    m_worker.Stop();
    m_preview.Close();
    Default();
}

void MakerDlg::OnTimer(UINT_PTR id) {
    if (id == kRebuildTimer) {
        KillTimer(kRebuildTimer);
        m_preview.Rebuild(m_project);
    } else if (id == kTryTimer && !m_try.Poll()) {
        KillTimer(kTryTimer);
    } else if (id == kBusyTimer) {
        ShowProgress();
    }
}

LRESULT MakerDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && OnControlCommand(LOWORD(wParam), HIWORD(wParam))) {
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

bool MakerDlg::OnControlCommand(int id, int code) {
    const int setting = SettingsPanel::EditIndex(id);
    if (setting >= 0) {
        if (code == EN_CHANGE && m_settings.TakeText(setting, m_project.settings)) {
            Changed();
        }
        return true;
    }
    int face = 0;
    int part = 0;
    if (!FaceSlot::PartOfId(id, face, part)) {
        return false;
    }
    if (part == IDC_SLOT_BROWSE && code == BN_CLICKED) {
        std::string path;
        if (AskFaceFile(m_hWnd, path)) {
            TakeFaceFiles({path}, {face});
        }
    } else if (part == IDC_SLOT_CLEAR && code == BN_CLICKED) {
        ClearFace(face);
    } else if (part == IDC_SLOT_MODE && code == CBN_SELCHANGE) {
        m_project.faces[face].mode = m_slots[face].SelectedMode();
        m_slots[face].Show(m_project.faces[face]);
        Changed();
    }
    return true;
}

LRESULT MakerDlg::OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code != UDN_DELTAPOS) {
        return 0;
    }
    const int setting = SettingsPanel::SpinIndex(static_cast<int>(header->idFrom));
    const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
    if (setting >= 0 && m_settings.Step(setting, change->iDelta, m_project.settings)) {
        Changed();
    }
    return 1; // the arrows' own position stays where it is
}

// The preview's click message has the number of the dialog manager's "set default button",
// which would otherwise take the default away from every button.
LRESULT MakerDlg::OnPreviewClick(WPARAM, LPARAM) {
    return 0;
}

LRESULT MakerDlg::OnDrawItem(WPARAM, LPARAM lParam) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    int face = 0;
    int part = 0;
    if (!FaceSlot::PartOfId(static_cast<int>(item->CtlID), face, part) ||
        part != IDC_SLOT_THUMBNAIL) {
        return FALSE;
    }
    m_slots[face].DrawThumbnail(*item);
    return TRUE;
}

// A drop on a slot fills it and the slots after it; elsewhere one saver is opened, and
// faces go to the empty slots.
LRESULT MakerDlg::OnDropFiles(WPARAM wParam, LPARAM) {
    const HDROP drop = reinterpret_cast<HDROP>(wParam);
    POINT point{0, 0};
    DragQueryPoint(drop, &point);
    const std::vector<std::string> files = DroppedFiles(drop, kPayloadFaceCount);
    DragFinish(drop);
    int target = -1;
    for (int face = 0; face < kPayloadFaceCount; ++face) {
        if (m_slots[face].Contains(point)) {
            target = face;
        }
    }
    if (target < 0 && files.size() == 1 && IsSaverPath(files[0])) {
        const std::string saver = files[0];
        AgreeToClose([this, saver] { OpenSaverFile(saver); });
        return 0;
    }
    bool occupied[kPayloadFaceCount];
    for (int face = 0; face < kPayloadFaceCount; ++face) {
        occupied[face] = !m_project.faces[face].Empty();
    }
    TakeFaceFiles(files, SlotsForFiles(target, static_cast<int>(files.size()), occupied));
    return 0;
}

void MakerDlg::ClearFace(int face) {
    WhenFacesFree([this, face] {
        if (m_project.faces[face].Empty() && m_project.faces[face].source.empty()) {
            return;
        }
        m_project.ClearFace(face);
        m_slots[face].Show(m_project.faces[face]);
        m_slots[face].ShowThumbnail(nullptr);
        m_preview.MarkFaceChanged(face);
        Changed();
    });
}

void MakerDlg::OnPhotoFolder() {
    if (AskPhotoFolder(m_hWnd, m_project.photoFolder)) {
        SetStatus(m_project.photoFolder.Present()
                      ? "The faces without a file show the photos of " + m_project.photoFolder.path
                      : "No photo folder: the faces without a file show the default picture");
        Changed();
    }
}

void MakerDlg::OnDefaults() {
    m_project.ResetSettings();
    m_settings.Show(m_project.settings);
    Changed();
}

void MakerDlg::Changed() {
    m_dirty = true;
    ++m_changes;
    UpdateTitle();
    SetTimer(kRebuildTimer, kRebuildDelay);
}

void MakerDlg::ShowProject() {
    for (int face = 0; face < kPayloadFaceCount; ++face) {
        m_slots[face].Show(m_project.faces[face]);
    }
    m_settings.Show(m_project.settings);
}

void MakerDlg::UpdateTitle() {
    std::string title = "VomraCube Maker - ";
    if (m_savedPath.empty()) {
        title += "new saver";
    } else {
        const size_t slash = m_savedPath.find_last_of("\\/");
        title += slash == std::string::npos ? m_savedPath : m_savedPath.substr(slash + 1);
    }
    if (m_dirty) {
        title += " *";
    }
    SetWindowText(title.c_str());
}

void MakerDlg::SetStatus(const std::string& text) {
    SetDlgItemTextW(m_hWnd, IDC_STATUS, wide::FromUtf8(text).c_str());
}

void MakerDlg::Fail(const std::string& text) {
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONWARNING);
}
