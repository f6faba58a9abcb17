// The framework's exception family. Exceptions are used only inside the picture decoders;
// they are thrown by value through the throw helpers below and caught by reference.
#pragma once

#include "framework/Object.h"
#include "platform/Win32.h"

#include <string>

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
  public:
    ~CException() override = default;

  protected:
    CException() = default;
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
  public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause = none, LONG osError = -1, const char* fileName = nullptr);

    // Maps a Win32 error code to the nearest cause.
    static int OsErrorToCause(LONG osError);

    int m_cause;
    LONG m_lOsError;
    std::string m_strFileName;
};

// Raised by application code to abandon an operation; carries no detail.
class CUserException : public CException {
    DECLARE_DYNAMIC(CUserException)
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1,
                                        const char* fileName = nullptr);
[[noreturn]] void AfxThrowUserException();
