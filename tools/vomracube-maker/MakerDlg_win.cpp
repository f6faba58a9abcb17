#include "MakerDlg.h"

#include "FileDialogs.h"
#include "MakerResource.h"
#include "RecentSavers.h"
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
ON_COMMAND(IDC_RECENT, OnRecent)
ON_COMMAND(IDC_SAVE, OnSave)
ON_COMMAND(IDC_SAVE_AS, OnSaveAs)
ON_COMMAND(IDC_TRY, OnTry)
ON_COMMAND(IDC_INSTALL, OnInstall)
ON_COMMAND(IDC_PHOTO_FOLDER, OnPhotoFolder)
END_MESSAGE_MAP()

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0 // Windows 8.1 and later send it; older ones never do
#endif

namespace {
constexpr UINT_PTR kRebuildTimer = 1;
constexpr UINT kRebuildDelay = 300; // ms: a run of arrow presses rebuilds the preview once
constexpr int kTipWidth = 480;      // pixels at 96 DPI: a tip's details wrap there

// Opposite faces share a colour in the drawing beside the slots (1 and 6, 2 and 4, 3 and 5).
constexpr COLORREF kPairColours[3] = {RGB(214, 69, 65), RGB(46, 150, 80), RGB(52, 110, 200)};
constexpr int kPairOf[kPayloadFaceCount] = {0, 1, 2, 1, 2, 0};

// The six faces as the slots stand, 1 2 3 over 4 5 6, each in its pair's colour.
void DrawOpposites(const DRAWITEMSTRUCT& item) {
    const RECT& box = item.rcItem;
    FillRect(item.hDC, &box, GetSysColorBrush(COLOR_BTNFACE));
    const int cellWidth = (box.right - box.left) / 3;
    const int cellHeight = (box.bottom - box.top) / 2;
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, RGB(255, 255, 255));
    for (int face = 0; face < kPayloadFaceCount; ++face) {
        RECT cell{box.left + (face % 3) * cellWidth, box.top + (face / 3) * cellHeight, 0, 0};
        cell.right = cell.left + cellWidth - 1;
        cell.bottom = cell.top + cellHeight - 1;
        const HBRUSH brush = CreateSolidBrush(kPairColours[kPairOf[face]]);
        FillRect(item.hDC, &cell, brush);
        DeleteObject(brush);
        const wchar_t digit[2] = {static_cast<wchar_t>(L'1' + face), 0};
        DrawTextW(item.hDC, digit, 1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}
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
    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd,
                                nullptr, AfxGetInstanceHandle(), nullptr);
    if (m_tooltip) {
        const HDC dc = ::GetDC(m_hWnd);
        const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ::ReleaseDC(m_hWnd, dc);
        ::SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, MulDiv(kTipWidth, dpi, 96));
        // Long enough to read a few lines of details.
        ::SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    }
    for (int face = 0; face < kPayloadFaceCount; ++face) {
        m_slots[face].Attach(m_hWnd, face, m_tooltip);
    }
    m_settings.Attach(m_hWnd);
    m_fit.Attach(m_hWnd);
    m_recent = LoadRecentSavers();
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
    RebuildPreview();
    UpdateTitle();
    return TRUE;
}

// The preview's window is made where its frame stands now: the controls may have scrolled.
void MakerDlg::RebuildPreview() {
    if (const HWND frame = ::GetDlgItem(m_hWnd, IDC_PREVIEW_FRAME)) {
        RECT rect;
        ::GetWindowRect(frame, &rect);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        m_preview.SetArea(m_hWnd, rect);
    }
    m_preview.Rebuild(m_project);
}

BOOL MakerDlg::PreTranslateMessage(MSG* msg) {
    const bool ours = msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd);
    if (ours && msg->message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) &&
        !(GetKeyState(VK_MENU) & 0x8000)) {
        if (msg->wParam == 'S') {
            PostMessage(WM_COMMAND, (GetKeyState(VK_SHIFT) & 0x8000) ? IDC_SAVE_AS : IDC_SAVE);
            return TRUE;
        }
        if (msg->wParam == 'O') {
            PostMessage(WM_COMMAND, IDC_OPEN_SAVER);
            return TRUE;
        }
    }
    const BOOL handled = CDialog::PreTranslateMessage(msg);
    const HWND focus = ::GetFocus();
    if (focus != m_focus && ::IsChild(m_hWnd, focus)) {
        m_focus = focus;
        m_fit.Reveal(focus);
        int face = 0;
        int part = 0;
        if (FaceSlot::PartOfId(::GetDlgCtrlID(focus), face, part) && face != m_followedSlot) {
            FollowSlot(face);
        }
    }
    return handled;
}

void MakerDlg::FollowSlot(int face) {
    m_followedSlot = face;
    if (face >= 0 && face < kPayloadFaceCount) {
        SetStatus(m_slots[face].StatusText());
    }
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
        RebuildPreview();
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
    if (message == WM_COMMAND && LOWORD(wParam) >= IDM_RECENT_FIRST &&
        LOWORD(wParam) <= IDM_RECENT_LAST) {
        const size_t index = LOWORD(wParam) - IDM_RECENT_FIRST;
        if (index < m_recent.size()) {
            const std::string saver = m_recent[index];
            AgreeToClose([this, saver] { OpenSaverFile(saver); });
        }
        return 0;
    }
    if (message == WM_DPICHANGED) {
        m_fit.Unscroll();
        const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        m_fit.Attach(m_hWnd);
        return result;
    }
    LRESULT result = 0;
    if (m_fit.Handle(message, wParam, lParam, result)) {
        return result;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

bool MakerDlg::OnControlCommand(int id, int code) {
    const int setting = SettingsPanel::EditIndex(id);
    if (setting >= 0) {
        if (m_settings.Take(setting, code, m_project.settings)) {
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
        FollowSlot(face);
        Changed();
    } else if (code == STN_CLICKED) {
        FollowSlot(face); // the verdict, name or thumbnail clicked: its details
    }
    return true;
}

LRESULT MakerDlg::OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == TTN_GETDISPINFOW) {
        auto* tip = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        int face = 0;
        int part = 0;
        if ((tip->uFlags & TTF_IDISHWND) &&
            FaceSlot::PartOfId(::GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom)), face,
                               part)) {
            // The slot keeps the text for as long as the tip may show it.
            tip->lpszText = const_cast<wchar_t*>(m_slots[face].TipText(part).c_str());
        }
        return 0;
    }
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
    if (item->CtlID == IDC_OPPOSITES) {
        DrawOpposites(*item);
        return TRUE;
    }
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
    if (AfxMessageBox("Put all nine settings back to how VomraCube comes? The faces stay.",
                      MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
        return;
    }
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
