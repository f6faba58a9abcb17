// A saver being made: nine settings and six faces, as both authoring front ends (the
// command-line pack tool and the maker window) hold it. It is filled from face files or from
// a finished saver, and written out as a finished saver: a template executable with one
// payload. No window code: the maker's window and the pack tool's commands are thin layers
// over this.
#pragma once

#include "make/FacePreparation.h"
#include "app/Payload.h"

#include <cstdint>
#include <string>
#include <vector>

enum class FaceMode : uint8_t { kFit = 0, kFill = 1 };

struct ProjectFace {
    std::string source; // the file the face came from; empty when the slot is empty
    FaceMode mode = FaceMode::kFit;
    PreparedFace prepared; // the bytes the payload stores, the saver's verdict, notes
    bool Empty() const { return prepared.data.empty(); }
    // The saver shows the default picture on this face (an empty one included).
    bool FallsBack() const { return Empty() || prepared.check.verdict == FaceVerdict::kDefault; }
};

// What the saver would do with a face, in the words the pack tool prints:
// "shown", "shown if the codec is there" or "default picture".
const char* VerdictOutcome(FaceVerdict verdict);
// One line for a face: "photo.jpg (1234 bytes, fill): JPEG picture 2048 x 1536 -> shown",
// or "empty -> default picture".
std::string DescribeFace(const ProjectFace& face);
// The same line with `label` in place of the face's source ("entry", "no file"); an empty
// label leaves it out.
std::string DescribeFace(const ProjectFace& face, const std::string& label);

// Reads a template for Save: an executable, the saver itself or a finished saver. False
// with a message in `error` when it cannot be read or does not start as a Windows
// executable does ("MZ").
bool ReadSaverTemplate(const std::string& path, std::vector<uint8_t>& image, std::string& error);

// A file as the saver's own payload reader finds it, each face entry read back into memory
// (the reader's temporary files are gone again when this returns, whatever happened).
struct SaverFile {
    bool executable = false; // starts with "MZ"
    bool present = false;    // ends in a payload the saver accepts
    bool textTerminated = false;
    int settingsRead = 0; // numbers the settings text supplied, 0 to 9
    uint32_t settings[kPayloadSettingCount];
    FaceEntryState faceStates[kPayloadFaceCount];
    uint32_t faceLengths[kPayloadFaceCount] = {};
    PayloadExtension extension; // the defaults when the payload has no block
    // The extracted entries, with the saver's verdict on each and the source "face N of
    // NAME"; empty for an entry that is not kExtracted.
    ProjectFace faces[kPayloadFaceCount];

    SaverFile(); // as a file without a payload: default settings, no entries
};
// False, with a message in `error`, only when the file cannot be read at all; a file that
// is no saver of ours is read as one without a payload.
bool ReadSaverFile(const std::string& path, SaverFile& file, std::string& error);

class SaverProject {
  public:
    SaverProject(); // default settings, six empty faces

    uint32_t settings[kPayloadSettingCount];
    ProjectFace faces[kPayloadFaceCount];
    // New savers draw their pictures smooth; one opened from a file keeps its own mode.
    PictureMode pictureMode = PictureMode::kSmooth;

    void ResetSettings();
    // Prepares `path` as face `index` (0..5), keeping its mode. False, with the reason in
    // `error` and the face unchanged, only when the file cannot be read; a file the saver
    // cannot show is still taken, with its verdict saying so.
    bool SetFace(int index, const std::string& path, const FacePlan& plan, std::string& error);
    void ClearFace(int index);

    // Reads the settings and faces of a finished saver. False, with a message for the user
    // in `error` and the project unchanged, when the file cannot be read or holds no payload
    // of ours.
    bool OpenSaver(const std::string& path, std::string& error);
    // Writes `templateImage` (an executable; a payload it ends in is replaced) with this
    // project's payload to `path`, through a file beside it renamed over the target, so a
    // failed write leaves the old file as it was. False with a message in `error`.
    bool Save(const std::vector<uint8_t>& templateImage, const std::string& path,
              std::string& error) const;
    // Save, telling the size of the file written.
    bool Save(const std::vector<uint8_t>& templateImage, const std::string& path,
              std::string& error, size_t& savedBytes) const;
};
