// The payload that the authoring tool appends to a copy of the saver: nine settings and six
// face files. All integers little-endian; P is the payload's offset from the start of the
// file:
//
//   P          C9 0F DA A2 as a 32-bit value (bytes A2 DA 0F C9), first magic number
//   P + 4      2168C235, second magic number
//   P + 8      settings text, ending with a zero byte (at most 32768 bytes with the zero)
//   then six face entries: mode byte, 32-bit length N, N bytes of a picture or video file
//   then, in newer savers, the extension block (PayloadExtension.h)
//   end - 4    P
//
// Reading is defensive: the payload area is [P, end - 4), no read leaves it, and an entry
// that does not fit in it entirely yields no face.
//
// A picture face is read into memory and opened from there; only a face that can be no
// picture (a video, which the system's video library opens by name) is copied to a
// temporary file, and files of earlier runs that no running saver holds are removed first.
#pragma once

#include "app/PayloadExtension.h"
#include "scene/SceneSettings.h"

#include "platform/Win32.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

constexpr DWORD kPayloadMagic1 = 0xC90FDAA2u;
constexpr DWORD kPayloadMagic2 = 0x2168C235u;
constexpr uint32_t kPayloadMagicBytes = 2 * sizeof(DWORD);
// P, in the file's last bytes.
constexpr uint32_t kPayloadOffsetBytes = sizeof(DWORD);
// The least a file with a payload can hold: the magic numbers and P.
constexpr uint32_t kPayloadLeastFileSize = kPayloadMagicBytes + kPayloadOffsetBytes;
// A face entry's mode byte and 32-bit length, before its file data.
constexpr uint32_t kFaceEntryHeadBytes = 1 + sizeof(DWORD);
constexpr size_t kPayloadBufferSize = 32768; // settings text limit and copy chunk
constexpr int kPayloadFaceCount = 6;
constexpr int kPayloadSettingCount = 9;
constexpr const char kFaceFilePrefix[] = "VFR";

// The nine settings in text order. Settings 3, 4, 7, 8 and 9 are thousandths.
enum PayloadSetting {
    kMotionStyle,
    kCubeCount,
    kCubeSpeed,
    kCubeSize,
    kRegionOption,
    kBoxCount,
    kBoxSpeed,
    kBoxSize,
    kBoxPhaseStep,
};
// A scene value as the payload stores it, in thousandths.
constexpr uint32_t PayloadThousandths(double value) {
    return static_cast<uint32_t>(value * 1000 + 0.5);
}

// What a setting holds when there is no payload, or when the text does not supply it: the
// scene's own defaults, in text order.
constexpr SceneSettings kDefaultScene{};
constexpr uint32_t kSettingDefaults[kPayloadSettingCount] = {
    static_cast<uint32_t>(kDefaultScene.motionStyle),
    static_cast<uint32_t>(kDefaultScene.cubeCount),
    PayloadThousandths(kDefaultScene.cubeSpeed),
    PayloadThousandths(kDefaultScene.cubeSize),
    static_cast<uint32_t>(kDefaultScene.regionOption),
    static_cast<uint32_t>(kDefaultScene.boxCount),
    PayloadThousandths(kDefaultScene.boxSpeed),
    PayloadThousandths(kDefaultScene.boxSize),
    PayloadThousandths(kDefaultScene.boxPhaseStep),
};
static_assert(kSettingDefaults[kCubeSize] == 1250 && kSettingDefaults[kBoxPhaseStep] == 500);

// What became of one face entry.
enum class FaceEntryState : uint8_t {
    kExtracted,    // written to a temporary file (a face that can be no picture)
    kInMemory,     // read into memory (a face that may be a picture)
    kNoTempFile,   // complete in the payload, but no temporary file could be written
    kNotInPayload, // no payload, or the payload ends before this entry does
};

struct PayloadContents {
    bool present = false;        // the offset and both magic numbers are right
    bool textTerminated = false; // the settings text ended with its zero byte
    int settingsRead = 0;        // numbers the text supplied, 0 to 9
    uint32_t settings[kPayloadSettingCount];
    std::string faceFiles[kPayloadFaceCount];          // temporary file names; empty without a file
    std::vector<uint8_t> faceBytes[kPayloadFaceCount]; // the entries read into memory
    BYTE faceModes[kPayloadFaceCount] = {};
    uint32_t faceLengths[kPayloadFaceCount] = {};
    FaceEntryState faceStates[kPayloadFaceCount];
    PayloadExtension extension; // the bytes after face entry 5, when all six are there

    PayloadContents();
};

// Parses the settings text like sscanf with "%u,%u,%u,%u,%u,%u,%u,%u,%u": white space may
// precede each number, which may carry a sign ("-1" is 4294967295) and wraps modulo 2^32;
// a comma must follow a number directly. Stops at the first mismatch or after `length`
// bytes; returns how many numbers were stored into `values`.
int ParseSettingsText(const char* text, size_t length, uint32_t* values);

// Reads the payload of the file `path` into `out` (overwritten: it must name no files yet):
// each complete face entry that may be a picture (CouldBePictureFace) into memory, every
// other one into a new temporary file ("VFR" prefix, in the temporary folder). Never
// fails: without a payload `out` holds the defaults and no file is made. Defined results for
// damaged payloads (the payload area is [P, end - 4)):
// - an offset at or past the end, or too close to it for the magic numbers: no payload;
// - a settings text without its zero byte (none within 32768 bytes, or the file ends
//   first): the numbers are parsed from the bytes read, and no face entry is read;
// - an entry cut short by the end of the payload area: that face and the rest have no
//   file (the mode byte is kept when the entry's first five bytes are there);
// - a temporary file that cannot be written completely is deleted; its face has no file.
void ReadPayload(const char* path, PayloadContents& out);

// Deletes every face temporary file named in `contents` and empties the names.
void DeletePayloadFiles(PayloadContents& contents);

// Writes a face's bytes to a new temporary file ("VFR" prefix) for the video library;
// false (no file left, `name` empty) when it cannot be written completely.
bool WriteFaceFile(std::span<const uint8_t> bytes, std::string& name);

// Removes the face temporary files of earlier runs ("VFR*.tmp" in the temporary folder)
// that no running process holds open: those of savers that were killed.
void RemoveStaleFaceFiles();

// Called once the video library holds a face file open: where the system allows it (not
// on Windows, whose video library does not share deletion), the name is removed at once
// and `name` emptied, so that nothing is left whatever becomes of the process.
void ForgetOpenedFaceFile(std::string& name);
