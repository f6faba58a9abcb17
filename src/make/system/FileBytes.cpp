#include "make/system/FileBytes.h"

#include "platform/FileNames.h"
#include "platform/StdPath.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

namespace {

constexpr DWORD kChunk = 1u << 20;

// A handle that is closed on every path.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    void Reset(HANDLE handle) {
        Close();
        m_handle = handle;
    }
    bool Close() {
        const bool closed = !IsOpen() || CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE m_handle;
};

std::string SystemError(const char* what) {
    return std::string(what) + " (system error " + std::to_string(GetLastError()) + ")";
}

// Opens the file for reading and measures it; false (with the reason) when it is no
// readable file.
bool OpenMeasured(const std::string& path, FileHandle& file, uint64_t& size, std::string& error) {
    if (names::IsFolder(path.c_str())) {
        error = "it is a folder";
        return false;
    }
    file.Reset(
        names::Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!file.IsOpen()) {
        error = GetLastError() == ERROR_FILE_NOT_FOUND ? std::string("no such file")
                                                       : SystemError("cannot open it");
        return false;
    }
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD low = GetFileSize(file.Get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
        error = SystemError("cannot tell its size");
        return false;
    }
    size = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

// Reads `count` bytes into a buffer sized for them. A file larger than the memory there is
// (a long video in the 32-bit build) is an error to report, not a reason to end the tool.
bool ReadInto(HANDLE file, uint64_t count, std::vector<uint8_t>& bytes, std::string& error) {
    try {
        bytes.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        error = "not enough memory to read it";
        return false;
    } catch (const std::length_error&) {
        error = "not enough memory to read it";
        return false;
    }
    for (size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - done));
        DWORD read = 0;
        if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr) || read != chunk) {
            error = "read failed";
            return false;
        }
        done += chunk;
    }
    return true;
}

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - done));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written != chunk) {
            return false;
        }
        done += chunk;
    }
    return true;
}

} // namespace

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    FileHandle file;
    uint64_t size = 0;
    if (!OpenMeasured(path, file, size, error)) {
        return false;
    }
    if (size > 0xFFFFFFFFu) {
        error = "larger than 4 GiB";
        return false;
    }
    return ReadInto(file.Get(), size, bytes, error);
}

bool ReadFileStart(const std::string& path, size_t limit, std::vector<uint8_t>& bytes,
                   uint64_t& size, std::string& error) {
    FileHandle file;
    return OpenMeasured(path, file, size, error) &&
           ReadInto(file.Get(), size < limit ? size : limit, bytes, error);
}

// The stream is opened by the file's wide name on Windows (StdPath), as every file is.
bool FileReader::Open(const std::string& path, std::string& error) {
    if (names::IsFolder(path.c_str())) {
        error = "it is a folder";
        return false;
    }
    m_in.open(StdPath(path), std::ios::binary);
    if (!m_in) {
        error = names::Exists(path.c_str()) ? "cannot open it" : "no such file";
        return false;
    }
    m_in.seekg(0, std::ios::end);
    const std::streamoff end = m_in.tellg();
    if (end < 0) {
        error = "cannot tell its size";
        return false;
    }
    m_in.seekg(0);
    m_size = static_cast<uint64_t>(end);
    return true;
}

bool FileReader::ReadMore(uint64_t count, std::vector<uint8_t>& bytes, std::string& error) {
    const uint64_t wanted = std::min(count, m_size - m_read);
    const size_t start = bytes.size();
    if (wanted > SIZE_MAX - start) {
        error = "not enough memory to read it";
        return false;
    }
    try {
        bytes.resize(start + static_cast<size_t>(wanted));
    } catch (const std::bad_alloc&) {
        error = "not enough memory to read it";
        return false;
    } catch (const std::length_error&) {
        error = "not enough memory to read it";
        return false;
    }
    if (!m_in.read(reinterpret_cast<char*>(bytes.data() + start),
                   static_cast<std::streamsize>(wanted))) {
        error = "read failed";
        return false;
    }
    m_read += wanted;
    return true;
}

bool FileSize(const std::string& path, uint64_t& size) {
    FileHandle file;
    std::string unused;
    return OpenMeasured(path, file, size, unused);
}

bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return ReplaceFileStreamed(
        path, [&bytes](const FileSink& sink) { return sink(bytes); }, error);
}

bool ReplaceFileStreamed(const std::string& path, const std::function<bool(const FileSink&)>& write,
                         std::string& error) {
    const std::string temp = path + ".partial";
    FileHandle out(names::Open(temp.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS));
    bool diskFailed = !out.IsOpen();
    if (diskFailed) {
        error = SystemError("cannot write it");
        return false;
    }
    const FileSink sink = [&out, &diskFailed, &error](std::span<const uint8_t> bytes) {
        if (!diskFailed && !WriteAll(out.Get(), bytes)) {
            diskFailed = true;
            error = SystemError("write failed");
        }
        return !diskFailed;
    };
    const bool written = write(sink) && !diskFailed;
    if (!out.Close() && written) {
        error = SystemError("write failed");
        names::Remove(temp.c_str());
        return false;
    }
    if (!written) {
        names::Remove(temp.c_str());
        return false;
    }
    // The old file stays until the new one replaces it in one step: removing it first would
    // lose it when the rename then fails.
    if (!names::MoveReplacing(temp.c_str(), path.c_str())) {
        error = SystemError("cannot replace it");
        names::Remove(temp.c_str());
        return false;
    }
    return true;
}
