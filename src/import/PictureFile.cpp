#include "import/PictureFile.h"

#include "framework/File.h"

#include <cstring>
#include <new>

namespace {
bool OpenEitherName(CFile& file, const char* fileName) {
    const UINT flags = CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary;
    if (file.Open(fileName, flags)) {
        return true;
    }
    const char* slash = std::strrchr(fileName, '\\');
    return file.Open(slash ? slash + 1 : fileName, flags);
}
} // namespace

PictureFileRead ReadPictureFile(const char* fileName, uint64_t maxBytes,
                                std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (!fileName) {
        return PictureFileRead::kCannotOpen;
    }
    try {
        CFile file;
        if (!OpenEitherName(file, fileName)) {
            return PictureFileRead::kCannotOpen;
        }
        const uint64_t length = file.GetLength();
        if (length > maxBytes || length > SIZE_MAX) {
            return PictureFileRead::kTooLarge;
        }
        bytes.resize(static_cast<size_t>(length));
        if (length != 0 && file.Read(bytes.data(), static_cast<UINT>(length)) != length) {
            bytes.clear();
            return PictureFileRead::kCannotOpen;
        }
        return PictureFileRead::kOk;
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return PictureFileRead::kNoMemory;
    } catch (...) {
        bytes.clear();
        return PictureFileRead::kCannotOpen;
    }
}
