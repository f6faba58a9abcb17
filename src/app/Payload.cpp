#include "app/Payload.h"

#include "import/FaceDecision.h"
#include "import/PictureLimits.h"
#include "platform/FileNames.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

PayloadContents::PayloadContents() {
    std::copy(std::begin(kSettingDefaults), std::end(kSettingDefaults), settings);
    std::fill(std::begin(faceStates), std::end(faceStates), FaceEntryState::kNotInPayload);
}

namespace {
bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The payload area of the open saver: reads are positioned explicitly and never cross
// `end`, so neither a length field nor an offset can carry the reader outside it.
class PayloadArea {
  public:
    PayloadArea(HANDLE file, uint32_t begin, uint32_t end)
        : m_file(file), m_pos(begin), m_end(end) {}

    uint32_t Left() const { return m_end - m_pos; }

    // Reads exactly `bytes` (which must fit in Left()) and moves on.
    bool Read(void* buffer, uint32_t bytes) {
        if (bytes > Left() || !SeekTo(m_pos)) {
            return false;
        }
        DWORD read = 0;
        const bool ok = ReadFile(m_file, buffer, bytes, &read, nullptr) && read == bytes;
        m_pos += bytes;
        return ok;
    }
    void Skip(uint32_t bytes) { m_pos += std::min(bytes, Left()); }

  private:
    bool SeekTo(uint32_t pos) {
        LONG high = 0;
        SetLastError(ERROR_SUCCESS);
        return SetFilePointer(m_file, static_cast<LONG>(pos), &high, FILE_BEGIN) !=
                   INVALID_SET_FILE_POINTER ||
               GetLastError() == ERROR_SUCCESS;
    }

    HANDLE m_file;
    uint32_t m_pos;
    uint32_t m_end;
};

// The payload area [P + 8, end - 4) after the offset and magic numbers check out; false
// when the file has no payload.
bool LocatePayload(HANDLE file, uint32_t& begin, uint32_t& end) {
    DWORD high = 0;
    const DWORD size = GetFileSize(file, &high);
    if (size == INVALID_FILE_SIZE || high != 0 || size < kPayloadLeastFileSize) {
        return false;
    }
    const uint32_t offsetAt = size - kPayloadOffsetBytes;
    PayloadArea whole(file, 0, size);
    whole.Skip(offsetAt);
    DWORD offset = 0;
    if (!whole.Read(&offset, sizeof offset) || offset >= offsetAt ||
        offsetAt - offset < kPayloadMagicBytes) {
        return false;
    }
    PayloadArea area(file, offset, offsetAt);
    DWORD magic[2] = {};
    static_assert(sizeof magic == kPayloadMagicBytes);
    if (!area.Read(magic, sizeof magic) || magic[0] != kPayloadMagic1 ||
        magic[1] != kPayloadMagic2) {
        return false;
    }
    begin = offset + kPayloadMagicBytes;
    end = offsetAt;
    return true;
}

// Makes an empty temporary file for a face; false (and `name` empty) when there is none.
bool MakeTempFile(std::string& name) {
    const std::string folder = names::TempFolder();
    name = folder.empty() ? std::string() : names::NewTempFile(folder, kFaceFilePrefix);
    return !name.empty();
}

// A new face file filled by `fill(out)`; deleted again when filling fails.
template <typename Fill> bool WriteNewFaceFile(std::string& name, Fill fill) {
    if (!MakeTempFile(name)) {
        return false;
    }
    HANDLE out = names::Open(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    bool ok = out != INVALID_HANDLE_VALUE && fill(out);
    if (out != INVALID_HANDLE_VALUE) {
        ok = CloseHandle(out) && ok;
    }
    if (!ok) {
        names::Remove(name.c_str());
        name.clear();
    }
    return ok;
}

bool WriteAll(HANDLE out, const void* bytes, DWORD count) {
    DWORD written = 0;
    return WriteFile(out, bytes, count, &written, nullptr) && written == count;
}

// Copies `length` bytes of the payload into a new temporary file in chunks of the buffer's
// size, never holding the entry whole.
FaceEntryState StreamFace(PayloadArea& area, uint32_t length, BYTE* buffer, std::string& name) {
    uint32_t done = 0;
    const bool ok = WriteNewFaceFile(name, [&](HANDLE out) {
        while (done < length) {
            const uint32_t chunk = std::min<uint32_t>(kPayloadBufferSize, length - done);
            if (!area.Read(buffer, chunk) || !WriteAll(out, buffer, chunk)) {
                done += chunk;
                return false;
            }
            done += chunk;
        }
        return true;
    });
    area.Skip(length - done);
    return ok ? FaceEntryState::kExtracted : FaceEntryState::kNoTempFile;
}

// An entry that may be a picture stays in memory; one that cannot be (or that there is no
// memory for) goes to a temporary file for the video library.
FaceEntryState ReadFace(PayloadArea& area, uint32_t length, BYTE* buffer, int face,
                        PayloadContents& out) {
    std::vector<uint8_t> bytes;
    if (length == 0) {
        return FaceEntryState::kInMemory; // an empty face: nothing to hold, no file
    }
    if (length <= picture::kMaxPictureFileBytes) {
        try {
            bytes.resize(length);
        } catch (const std::bad_alloc&) {
            return StreamFace(area, length, buffer, out.faceFiles[face]);
        }
        if (!area.Read(bytes.data(), length)) {
            return FaceEntryState::kNoTempFile;
        }
        if (CouldBePictureFace(bytes)) {
            out.faceBytes[face] = std::move(bytes);
            return FaceEntryState::kInMemory;
        }
        return WriteFaceFile(bytes, out.faceFiles[face]) ? FaceEntryState::kExtracted
                                                         : FaceEntryState::kNoTempFile;
    }
    return StreamFace(area, length, buffer, out.faceFiles[face]);
}

// True when all six entries were there.
bool ReadFaces(PayloadArea& area, BYTE* buffer, PayloadContents& out) {
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        BYTE head[kFaceEntryHeadBytes];
        if (area.Left() < sizeof head || !area.Read(head, sizeof head)) {
            return false;
        }
        out.faceModes[i] = head[0];
        uint32_t length;
        std::memcpy(&length, head + 1, sizeof length);
        out.faceLengths[i] = length;
        if (length > area.Left()) {
            return false;
        }
        out.faceStates[i] = ReadFace(area, length, buffer, i, out);
    }
    return true;
}

void ReadPayloadFrom(HANDLE file, PayloadContents& out) {
    uint32_t begin = 0, end = 0;
    if (!LocatePayload(file, begin, end)) {
        return;
    }
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kPayloadBufferSize]);
    if (!buffer) {
        return;
    }
    out.present = true;
    PayloadArea area(file, begin, end);
    // The text is read in one go and then cut at its zero byte: the same bytes as reading
    // one at a time up to the zero, without running past the buffer.
    const uint32_t available = std::min<uint32_t>(kPayloadBufferSize, area.Left());
    if (!area.Read(buffer.get(), available)) {
        return;
    }
    const BYTE* zero = static_cast<const BYTE*>(std::memchr(buffer.get(), 0, available));
    const size_t textLength = zero ? static_cast<size_t>(zero - buffer.get()) : available;
    out.settingsRead =
        ParseSettingsText(reinterpret_cast<const char*>(buffer.get()), textLength, out.settings);
    out.textTerminated = zero != nullptr;
    if (!zero) {
        return;
    }
    // Back up to the first byte after the text's zero.
    area = PayloadArea(file, begin + static_cast<uint32_t>(textLength) + 1, end);
    static_assert(kExtensionMaxBytes <= kPayloadBufferSize);
    const uint32_t rest = ReadFaces(area, buffer.get(), out) ? area.Left() : 0;
    if (rest > 0 && rest <= kExtensionMaxBytes && area.Read(buffer.get(), rest)) {
        ParsePayloadExtension(buffer.get(), rest, out.extension);
    }
}
} // namespace

int ParseSettingsText(const char* text, size_t length, uint32_t* values) {
    size_t at = 0;
    int count = 0;
    while (count < kPayloadSettingCount) {
        if (count > 0) {
            if (at >= length || text[at] != ',') {
                break;
            }
            ++at;
        }
        while (at < length && IsSpace(text[at])) {
            ++at;
        }
        bool negative = false;
        if (at < length && (text[at] == '+' || text[at] == '-')) {
            negative = text[at++] == '-';
        }
        if (at >= length || text[at] < '0' || text[at] > '9') {
            break;
        }
        uint32_t value = 0;
        while (at < length && text[at] >= '0' && text[at] <= '9') {
            value = value * 10u + static_cast<uint32_t>(text[at++] - '0');
        }
        values[count++] = negative ? 0u - value : value;
    }
    return count;
}

void ReadPayload(const char* path, PayloadContents& out) {
    out = PayloadContents();
    if (!path) {
        return;
    }
    HANDLE file = names::Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    RemoveStaleFaceFiles();
    ReadPayloadFrom(file, out);
    CloseHandle(file);
}

bool WriteFaceFile(std::span<const uint8_t> bytes, std::string& name) {
    return WriteNewFaceFile(name, [&](HANDLE out) {
        for (size_t done = 0; done < bytes.size();) {
            const DWORD chunk =
                static_cast<DWORD>(std::min<size_t>(bytes.size() - done, DWORD{1} << 30));
            if (!WriteAll(out, bytes.data() + done, chunk)) {
                return false;
            }
            done += chunk;
        }
        return true;
    });
}

void DeletePayloadFiles(PayloadContents& contents) {
    for (std::string& name : contents.faceFiles) {
        if (!name.empty()) {
            names::Remove(name.c_str());
        }
        name.clear();
    }
}
