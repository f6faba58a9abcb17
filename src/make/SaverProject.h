// A saver being made: nine settings and six faces, as both authoring front ends (the
// command-line pack tool and the maker window) hold it. It is filled from face files or from
// a finished saver, and written out as a finished saver: a template executable with one
// payload. No window code: the maker's window and the pack tool's commands are thin layers
// over this.
#pragma once

#include "make/FacePreparation.h"
#include "make/PayloadWriter.h"
#include "app/Payload.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class FaceMode : uint8_t { kFit = 0, kFill = 1 };

struct ProjectFace {
    std::string source; // the file the face came from; empty when the slot is empty
    // The original file's name without its folder, stored in the saver (the extension
    // block's NAME records) and shown when it is opened again; empty when unknown.
    std::string name;
    FaceMode mode = FaceMode::kFit;
    PreparedFace prepared; // the bytes the payload stores, the saver's verdict, notes
    bool Empty() const { return prepared.data.empty(); }
    // The saver shows the default picture on this face (an empty one included).
    bool FallsBack() const { return Empty() || prepared.check.verdict == FaceVerdict::kDefault; }
};

// How a face from a new file is first shown in the maker: a picture whose shape is not the
// square face's fills it (bars on every side look like a fault); a square one, a video or
// a face the saver does not show keeps `current`.
FaceMode PreferredMode(const FaceCheck& check, FaceMode current);

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
    // Why an entry in the payload was not read: no temporary file, no memory, over the
    // project's budget. Empty for the faces read and those not in the payload.
    std::string faceErrors[kPayloadFaceCount];

    SaverFile(); // as a file without a payload: default settings, no entries
};
// False, with a message in `error`, only when the file cannot be read at all; a file that
// is no saver of ours is read as one without a payload.
bool ReadSaverFile(const std::string& path, SaverFile& file, std::string& error);

// ReadSaverFile for opening: false, with a message for the user, also when the file is no
// saver made by us or a face in it cannot be read (saying why: memory, budget, disk).
bool ReadSaverToOpen(const std::string& path, SaverFile& file, std::string& error);

// The long part of SaverProject::SetFace, touching no project (the maker runs it on its
// worker thread): the file prepared within the budget left by `otherFaces` bytes.
bool PrepareProjectFace(const std::string& path, const FacePlan& plan, uint64_t otherFaces,
                        PreparedFace& prepared, std::string& error);

// How new savers draw their pictures.
constexpr PictureMode kNewSaverPictureMode = PictureMode::kSmooth;

// SaveSaver with a whole extension block (the picture mode and the faces' names).
bool SaveSaverWith(std::span<const uint8_t> templateImage, const uint32_t* settings,
                   const PayloadFaceView* faces, const std::string& path,
                   const PayloadExtension& extension, std::string& error, uint64_t& savedBytes,
                   const std::atomic<bool>* cancel = nullptr);

// SaverProject::Save from settings and faces held elsewhere (the maker's worker thread saves
// from a copy of the settings and modes and views of the faces).
// `cancel`, when set from another thread, stops the writing and leaves no file.
bool SaveSaver(std::span<const uint8_t> templateImage, const uint32_t* settings,
               const PayloadFaceView* faces, const std::string& path, std::string& error,
               uint64_t& savedBytes, const std::atomic<bool>* cancel = nullptr,
               PictureMode pictureMode = kNewSaverPictureMode,
               const PhotoFolderSetting& photoFolder = {});

class SaverProject {
  public:
    SaverProject(); // default settings, six empty faces

    uint32_t settings[kPayloadSettingCount];
    ProjectFace faces[kPayloadFaceCount];
    // New savers draw their pictures smooth; one opened from a file keeps its own mode.
    PictureMode pictureMode = kNewSaverPictureMode;
    // The faces without a file show the photos of this folder, when it is given.
    PhotoFolderSetting photoFolder;

    void ResetSettings();
    // Prepares `path` as face `index` (0..5), keeping its mode. False, with the reason in
    // `error` and the face unchanged, when the file cannot be read, the preparation was
    // cancelled (kCancelledText) or the face would not fit the budget (ProjectBudget.h); a
    // file the saver cannot show is still taken, with its verdict saying so.
    bool SetFace(int index, const std::string& path, const FacePlan& plan, std::string& error);
    void ClearFace(int index);

    // Reads the settings and faces of a finished saver. False, with a message for the user
    // in `error` and the project unchanged, when the file cannot be read or holds no payload
    // of ours.
    bool OpenSaver(const std::string& path, std::string& error);
    // The settings and faces of a file ReadSaverToOpen accepted.
    void Take(SaverFile&& file);
    // Writes `templateImage` (an executable; a payload it ends in is replaced) with this
    // project's payload to `path`, through a file beside it renamed over the target, so a
    // failed write leaves the old file as it was and no partial file. The template and each
    // face go to the file from where they are held: no copy of the saver is made in memory.
    // False with a message in `error`.
    bool Save(std::span<const uint8_t> templateImage, const std::string& path,
              std::string& error) const;
    // Save, telling the size of the file written.
    bool Save(std::span<const uint8_t> templateImage, const std::string& path, std::string& error,
              uint64_t& savedBytes) const;

    // What the extension block stores for this project: its picture mode and the names of
    // the faces it stores.
    PayloadExtension Extension() const;
    // Views of the six faces' bytes and modes, valid while the faces are not changed.
    void Views(PayloadFaceView* views) const;
    // The bytes of every face but `index` (-1: of all).
    uint64_t FaceBytes(int except = -1) const;
};
