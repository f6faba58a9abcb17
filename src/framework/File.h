// CFile: an unbuffered binary file over a Win32 file handle (the platform subset natively).
// Open reports failure by its result; Read, Seek and Write raise CFileException on an
// operating-system error. Read returns fewer bytes than asked only at the end of the file.
#pragma once

#include "framework/Exception.h"
#include "framework/Object.h"
#include "platform/Win32.h"

#include <string>

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
  public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // Closes the file if it is still open; never throws.
    ~CFile() override;

    // Opens the file; on failure returns false and, when error is given, fills in the cause.
    bool Open(const char* fileName, UINT openFlags, CFileException* error = nullptr);
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    // Returns the new position from the start of the file.
    DWORD Seek(LONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    DWORD GetPosition() const;
    DWORD GetLength() const;
    // Closes the file; raises CFileException when the system reports an error.
    void Close();
    // Closes the file, ignoring errors.
    void Abort();

    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    const std::string& GetFilePath() const { return m_strFileName; }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::string m_strFileName;

  private:
    [[noreturn]] void ThrowOsError() const;
};
