#include "make/system/FileBytes.h"

#include "platform/Win32.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

namespace {
// Opens the file and measures it; false (with the reason) when it is no readable file.
bool OpenMeasured(const std::string& path, std::ifstream& in, uint64_t& size, std::string& error) {
    std::error_code unused;
    if (std::filesystem::is_directory(path, unused)) {
        error = "it is a folder";
        return false;
    }
    in.open(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end < 0) {
        error = "cannot tell its size (is it a folder?)";
        return false;
    }
    in.seekg(0);
    size = static_cast<uint64_t>(end);
    return true;
}

// Reads `count` bytes into a buffer sized for them. A file larger than the memory there is
// (a long video in the 32-bit build) is an error to report, not a reason to end the tool.
bool ReadInto(std::ifstream& in, uint64_t count, std::vector<uint8_t>& bytes, std::string& error) {
    try {
        bytes.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        error = "not enough memory to read it";
        return false;
    } catch (const std::length_error&) {
        error = "not enough memory to read it";
        return false;
    }
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count))) {
        error = "read failed";
        return false;
    }
    return true;
}
} // namespace

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::ifstream in;
    uint64_t size = 0;
    if (!OpenMeasured(path, in, size, error)) {
        return false;
    }
    if (size > 0xFFFFFFFFu) {
        error = "larger than 4 GiB";
        return false;
    }
    return ReadInto(in, size, bytes, error);
}

bool ReadFileStart(const std::string& path, size_t limit, std::vector<uint8_t>& bytes,
                   uint64_t& size, std::string& error) {
    std::ifstream in;
    return OpenMeasured(path, in, size, error) &&
           ReadInto(in, size < limit ? size : limit, bytes, error);
}

bool FileSize(const std::string& path, uint64_t& size) {
    std::ifstream in;
    std::string unused;
    return OpenMeasured(path, in, size, unused);
}

bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return ReplaceFileStreamed(
        path, [&bytes](const FileSink& sink) { return sink(bytes); }, error);
}

bool ReplaceFileStreamed(const std::string& path, const std::function<bool(const FileSink&)>& write,
                         std::string& error) {
    const std::string temp = path + ".partial";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        bool diskFailed = !out;
        const FileSink sink = [&out, &diskFailed](std::span<const uint8_t> bytes) {
            diskFailed = diskFailed || !out.write(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<std::streamsize>(bytes.size()));
            return !diskFailed;
        };
        const bool written = !diskFailed && write(sink) && out.flush();
        if (!written) {
            if (diskFailed || !out) {
                error = std::strerror(errno);
            }
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
#ifdef _WIN32
    // rename does not replace an existing file there; removing the old file first would
    // lose it when the rename then fails.
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = "cannot replace it (Windows error " + std::to_string(GetLastError()) + ")";
        std::remove(temp.c_str());
        return false;
    }
#else
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
#endif
    return true;
}
