#include "SaverTry.h"

#include "make/system/TempFile.h"

namespace {
constexpr DWORD kClosingWait = 10000; // milliseconds

// A new, empty folder under the temporary folder; empty when none could be made. The
// unique name comes from a temporary file that the folder then replaces.
std::string MakeTryFolder() {
    char name[MAX_PATH];
    const std::string folder = TempFolder();
    if (folder.empty() || GetTempFileNameA(folder.c_str(), "vct", 0, name) == 0) {
        return {};
    }
    DeleteFileA(name);
    return CreateDirectoryA(name, nullptr) ? name : std::string();
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId)) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}
} // namespace

SaverTry::~SaverTry() {
    if (Running()) {
        EnumWindows(&CloseWindowOf, static_cast<LPARAM>(m_processId));
        WaitForSingleObject(m_process, kClosingWait);
    }
    Finish();
}

bool SaverTry::Running() const {
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool SaverTry::Prepare(std::string& error) {
    if (Running()) {
        error = "The saver is already running.";
        return false;
    }
    Finish();
    if (!m_folder.empty()) {
        error = "The saver tried last is still being removed; try again in a moment.";
        return false;
    }
    m_folder = MakeTryFolder();
    if (m_folder.empty()) {
        error = "No folder for the saver could be made in the temporary folder.";
        return false;
    }
    m_saver = m_folder + "\\VomraCube.scr";
    return true;
}

bool SaverTry::Launch(std::string& error) {
    std::string command = "\"" + m_saver + "\" /s";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(m_saver.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        m_folder.c_str(), &startup, &process)) {
        error = "The saver could not be started.";
        Finish();
        return false;
    }
    CloseHandle(process.hThread);
    m_process = process.hProcess;
    m_processId = process.dwProcessId;
    return true;
}

bool SaverTry::Poll() {
    if (Running()) {
        return true;
    }
    Finish();
    return !m_folder.empty();
}

// A file that is still held (the saver ended a moment ago) stays named, and the next poll
// tries again.
void SaverTry::Finish() {
    if (m_process && !Running()) {
        CloseHandle(m_process);
        m_process = nullptr;
    }
    if (m_process || m_folder.empty()) {
        return;
    }
    if (!m_saver.empty() && !DeleteFileA(m_saver.c_str()) &&
        GetFileAttributesA(m_saver.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return;
    }
    m_saver.clear();
    if (RemoveDirectoryA(m_folder.c_str())) {
        m_folder.clear();
    }
}
