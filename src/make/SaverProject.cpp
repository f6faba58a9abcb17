#include "make/SaverProject.h"

#include "make/PayloadExtensionWriter.h"
#include "make/PayloadWriter.h"
#include "make/ProjectBudget.h"
#include "make/system/FileBytes.h"

#include <algorithm>
#include <new>

namespace {
bool StartsAsExecutable(std::span<const uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z';
}

bool ValidFace(int index) {
    return index >= 0 && index < kPayloadFaceCount;
}

// The name a user sees in a folder window: whatever follows the last slash or backslash.
std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The reader writes each face entry to a temporary file; these go again on every way out.
class ExtractedFaces {
  public:
    ExtractedFaces(const std::string& path) { ReadPayload(path.c_str(), contents); }
    ~ExtractedFaces() { DeletePayloadFiles(contents); }
    ExtractedFaces(const ExtractedFaces&) = delete;
    ExtractedFaces& operator=(const ExtractedFaces&) = delete;

    PayloadContents contents;
};

// Faces are numbered from 1 in everything a user reads, as the pack tool's command line
// counts them; the payload's entries are indexed from 0.
std::string FaceName(int index, const std::string& saverPath) {
    return "face " + std::to_string(index + 1) + " of " + BaseName(saverPath);
}

constexpr char kNoMemory[] = "there is not enough memory";

// Takes the entries read into memory and reads the extracted ones back, within the
// project's budget; an entry that cannot be had keeps its reason.
void ReadExtractedFaces(const std::string& path, PayloadContents& c, SaverFile& read) {
    uint64_t held = 0;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        ProjectFace& face = read.faces[i];
        face.mode = c.faceModes[i] ? FaceMode::kFill : FaceMode::kFit;
        const FaceEntryState state = c.faceStates[i];
        if (state == FaceEntryState::kNoTempFile) {
            read.faceErrors[i] = "no temporary file could be written for it";
        }
        // The writer stores an empty face as an entry of no bytes, which stays an empty face.
        if (c.faceLengths[i] == 0 ||
            (state != FaceEntryState::kExtracted && state != FaceEntryState::kInMemory)) {
            continue;
        }
        std::string why = FaceBudgetRefusal(c.faceLengths[i], held);
        bool taken = why.empty();
        if (taken && state == FaceEntryState::kInMemory) {
            face.prepared.data = std::move(c.faceBytes[i]);
        } else if (taken) {
            taken = ReadWholeFile(c.faceFiles[i], face.prepared.data, why);
        }
        if (taken) {
            held += face.prepared.data.size();
            face.prepared.check = CheckFaceBytes(face.prepared.data);
            face.name = c.extension.faceNames[i];
            face.source = face.name.empty() ? FaceName(i, path) : face.name;
            continue;
        }
        // An entry that cannot be had is as good as one never written.
        face.prepared.data = {};
        read.faceStates[i] = FaceEntryState::kNoTempFile;
        read.faceErrors[i] = why;
    }
}

void ReadSaver(const std::string& path, bool executable, SaverFile& read) {
    read.executable = executable;
    ExtractedFaces extracted(path);
    PayloadContents& c = extracted.contents;
    read.present = c.present;
    read.textTerminated = c.textTerminated;
    read.settingsRead = c.settingsRead;
    read.extension = c.extension;
    std::copy(std::begin(c.settings), std::end(c.settings), read.settings);
    std::copy(std::begin(c.faceStates), std::end(c.faceStates), read.faceStates);
    std::copy(std::begin(c.faceLengths), std::end(c.faceLengths), read.faceLengths);
    ReadExtractedFaces(path, c, read);
}
} // namespace

FaceMode PreferredMode(const FaceCheck& check, FaceMode current) {
    const bool picture = check.verdict == FaceVerdict::kShown && check.pictureFormat != 0;
    if (!picture || check.width <= 0 || check.height <= 0) {
        return current;
    }
    return check.width == check.height ? current : FaceMode::kFill;
}

const char* VerdictOutcome(FaceVerdict verdict) {
    return verdict == FaceVerdict::kShown   ? "shown"
           : verdict == FaceVerdict::kMaybe ? "shown if the codec is there"
                                            : "default picture";
}

std::string DescribeFace(const ProjectFace& face) {
    return DescribeFace(face, face.source);
}

std::string DescribeFace(const ProjectFace& face, const std::string& label) {
    if (face.Empty()) {
        return (label.empty() ? "" : label + ": ") + "empty -> default picture";
    }
    return label + " (" + std::to_string(face.prepared.data.size()) + " bytes, " +
           (face.mode == FaceMode::kFill ? "fill" : "fit") +
           "): " + face.prepared.check.description + " -> " +
           VerdictOutcome(face.prepared.check.verdict);
}

bool ReadSaverTemplate(const std::string& path, std::vector<uint8_t>& image, std::string& error) {
    std::string why;
    if (!ReadWholeFile(path, image, why)) {
        error = "cannot read template " + path + ": " + why;
        return false;
    }
    if (!StartsAsExecutable(image)) {
        error = "template " + path + " is not a Windows executable";
        return false;
    }
    return true;
}

SaverFile::SaverFile() {
    std::copy(std::begin(kSettingDefaults), std::end(kSettingDefaults), settings);
    std::fill(std::begin(faceStates), std::end(faceStates), FaceEntryState::kNotInPayload);
}

bool ReadSaverFile(const std::string& path, SaverFile& file, std::string& error) {
    std::vector<uint8_t> head;
    uint64_t size = 0;
    std::string why;
    if (!ReadFileStart(path, 2, head, size, why)) {
        error = "cannot read " + path + ": " + why;
        return false;
    }
    try {
        SaverFile read;
        ReadSaver(path, StartsAsExecutable(head), read);
        file = std::move(read);
    } catch (const std::bad_alloc&) {
        error = "cannot read " + path + ": " + kNoMemory + " to read its faces";
        return false;
    }
    return true;
}

SaverProject::SaverProject() {
    ResetSettings();
}

void SaverProject::ResetSettings() {
    std::copy(std::begin(kSettingDefaults), std::end(kSettingDefaults), settings);
}

bool PrepareProjectFace(const std::string& path, const FacePlan& plan, uint64_t otherFaces,
                        PreparedFace& prepared, std::string& error) {
    FacePlan budgeted = plan;
    budgeted.otherFaces = otherFaces;
    try {
        if (!PrepareFace(path, budgeted, prepared, error)) {
            return false;
        }
    } catch (const std::bad_alloc&) {
        error = std::string(kNoMemory) + " to prepare it";
        return false;
    }
    // A converter's output can be larger than the file it came from.
    error = FaceBudgetRefusal(prepared.data.size(), otherFaces);
    return error.empty();
}

bool SaverProject::SetFace(int index, const std::string& path, const FacePlan& plan,
                           std::string& error) {
    if (!ValidFace(index)) {
        error = "there is no face " + std::to_string(index + 1);
        return false;
    }
    PreparedFace prepared;
    if (!PrepareProjectFace(path, plan, FaceBytes(index), prepared, error)) {
        return false;
    }
    faces[index].source = path;
    faces[index].name = BaseName(path);
    faces[index].prepared = std::move(prepared);
    return true;
}

void SaverProject::ClearFace(int index) {
    if (ValidFace(index)) {
        faces[index].source.clear();
        faces[index].name.clear();
        faces[index].prepared = PreparedFace{};
    }
}

bool ReadSaverToOpen(const std::string& path, SaverFile& file, std::string& error) {
    if (!ReadSaverFile(path, file, error)) {
        return false;
    }
    if (!file.executable) {
        error = path + " is not a saver: it is not a Windows program";
        return false;
    }
    if (!file.present) {
        error = path + " holds no settings or faces: it is not a saver made with the maker or the "
                       "pack tool (an unmade saver can be the template when saving)";
        return false;
    }
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        if (file.faceStates[i] == FaceEntryState::kNoTempFile) {
            error = "cannot read " + FaceName(i, path) + " (" +
                    std::to_string(file.faceLengths[i]) + " bytes): " + file.faceErrors[i];
            return false;
        }
    }
    return true;
}

void SaverProject::Take(SaverFile&& file) {
    std::copy(std::begin(file.settings), std::end(file.settings), settings);
    std::move(std::begin(file.faces), std::end(file.faces), faces);
    pictureMode = file.extension.pictureMode;
    photoFolder = file.extension.photoFolder;
}

bool SaverProject::OpenSaver(const std::string& path, std::string& error) {
    SaverFile file;
    if (!ReadSaverToOpen(path, file, error)) {
        return false;
    }
    Take(std::move(file));
    return true;
}

bool SaverProject::Save(std::span<const uint8_t> templateImage, const std::string& path,
                        std::string& error) const {
    uint64_t savedBytes = 0;
    return Save(templateImage, path, error, savedBytes);
}

bool SaverProject::Save(std::span<const uint8_t> templateImage, const std::string& path,
                        std::string& error, uint64_t& savedBytes) const {
    PayloadFaceView views[kPayloadFaceCount];
    Views(views);
    return SaveSaverWith(templateImage, settings, views, path, Extension(), error, savedBytes);
}

PayloadExtension SaverProject::Extension() const {
    static_assert(kExtensionFaceCount == kPayloadFaceCount);
    PayloadExtension extension;
    extension.pictureMode = pictureMode;
    extension.photoFolder = photoFolder;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        if (!faces[i].FallsBack()) {
            extension.faceNames[i] = faces[i].name;
        }
    }
    return extension;
}

void SaverProject::Views(PayloadFaceView* views) const {
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        // A face the saver would not show is not stored: it would only make the saver larger.
        // The project keeps its file name and the reason.
        views[i] = {static_cast<BYTE>(faces[i].mode), {}};
        if (!faces[i].FallsBack()) {
            views[i].data = faces[i].prepared.data;
        }
    }
}

bool SaveSaver(std::span<const uint8_t> templateImage, const uint32_t* settings,
               const PayloadFaceView* faces, const std::string& path, std::string& error,
               uint64_t& savedBytes, const std::atomic<bool>* cancel, PictureMode pictureMode,
               const PhotoFolderSetting& photoFolder) {
    PayloadExtension extension;
    extension.pictureMode = pictureMode;
    extension.photoFolder = photoFolder;
    return SaveSaverWith(templateImage, settings, faces, path, extension, error, savedBytes,
                         cancel);
}

bool SaveSaverWith(std::span<const uint8_t> templateImage, const uint32_t* settings,
                   const PayloadFaceView* faces, const std::string& path,
                   const PayloadExtension& extension, std::string& error, uint64_t& savedBytes,
                   const std::atomic<bool>* cancel) {
    if (!StartsAsExecutable(templateImage)) {
        error = "the template is not a Windows executable";
        return false;
    }
    const std::vector<BYTE> block = FormatPayloadExtension(extension);
    uint64_t size = 0;
    if (!SaverSize(templateImage, settings, faces, size, block)) {
        error = "the saver would exceed 4 GiB; nothing written";
        return false;
    }
    std::string why;
    // Written in pieces of at most 4 MiB, so that a cancel is seen soon.
    constexpr size_t kPiece = size_t{4} << 20;
    const auto write = [&](const FileSink& sink) {
        return StreamSaver(
            templateImage, settings, faces,
            [&](std::span<const BYTE> bytes) {
                for (size_t at = 0; at < bytes.size(); at += kPiece) {
                    if ((cancel && cancel->load()) ||
                        !sink(bytes.subspan(at, std::min(kPiece, bytes.size() - at)))) {
                        return false;
                    }
                }
                return !(cancel && cancel->load());
            },
            block);
    };
    try {
        if (!ReplaceFileStreamed(path, write, why)) {
            error = cancel && cancel->load() ? kCancelledText : "cannot write " + path + ": " + why;
            return false;
        }
    } catch (const std::bad_alloc&) {
        error = "cannot write " + path + ": " + kNoMemory;
        return false;
    }
    savedBytes = size;
    return true;
}

uint64_t SaverProject::FaceBytes(int except) const {
    uint64_t bytes = 0;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        bytes += i == except ? 0 : faces[i].prepared.data.size();
    }
    return bytes;
}
