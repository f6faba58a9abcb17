#include "framework/File.h"

#include "platform/FileNames.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

CFile::~CFile() {
    Abort();
}

bool CFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
    Abort();
    DWORD access = GENERIC_READ;
    switch (openFlags & 3) {
    case modeWrite:
        access = GENERIC_WRITE;
        break;
    case modeReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    }
    // shareCompat behaves as shareExclusive, as on every current system.
    DWORD share = 0;
    switch (openFlags & 0x70) {
    case shareDenyWrite:
        share = FILE_SHARE_READ;
        break;
    case shareDenyRead:
        share = FILE_SHARE_WRITE;
        break;
    case shareDenyNone:
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    }
    DWORD disposition = OPEN_EXISTING;
    if (openFlags & modeCreate) {
        disposition = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    }

    const HANDLE file = names::Open(fileName, access, share, disposition);
    if (file == INVALID_HANDLE_VALUE) {
        if (error) {
            const LONG osError = static_cast<LONG>(GetLastError());
            *error = CFileException(CFileException::OsErrorToCause(osError), osError, fileName);
        }
        return false;
    }
    m_hFile = file;
    m_strFileName = fileName;
    return true;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (count == 0) {
        return 0;
    }
    DWORD read = 0;
    if (!ReadFile(m_hFile, buffer, count, &read, nullptr)) {
        ThrowOsError();
    }
    return read;
}

void CFile::Write(const void* buffer, UINT count) {
    if (count == 0) {
        return;
    }
    DWORD written = 0;
    if (!WriteFile(m_hFile, buffer, count, &written, nullptr)) {
        ThrowOsError();
    }
    if (written != count) {
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName.c_str());
    }
}

DWORD CFile::Seek(LONG offset, UINT from) {
    const DWORD method = from == current ? FILE_CURRENT : from == end ? FILE_END : FILE_BEGIN;
    const DWORD position = SetFilePointer(m_hFile, offset, nullptr, method);
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) {
        AfxThrowFileException(CFileException::badSeek, static_cast<LONG>(GetLastError()),
                              m_strFileName.c_str());
    }
    return position;
}

DWORD CFile::GetPosition() const {
    const DWORD position = SetFilePointer(m_hFile, 0, nullptr, FILE_CURRENT);
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) {
        ThrowOsError();
    }
    return position;
}

DWORD CFile::GetLength() const {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetFileSize(m_hFile, nullptr);
    if (length == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
        ThrowOsError();
    }
    return length;
}

void CFile::Close() {
    if (!IsOpen()) {
        return;
    }
    const HANDLE file = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    m_strFileName.clear();
    if (!CloseHandle(file)) {
        ThrowOsError();
    }
}

void CFile::Abort() {
    if (IsOpen()) {
        CloseHandle(m_hFile);
    }
    m_hFile = INVALID_HANDLE_VALUE;
    m_strFileName.clear();
}

void CFile::ThrowOsError() const {
    const LONG osError = static_cast<LONG>(GetLastError());
    AfxThrowFileException(CFileException::OsErrorToCause(osError), osError, m_strFileName.c_str());
}
