#include "make/SaverProject.h"

#include "make/PayloadExtensionWriter.h"

#include "make/system/FileBytes.h"
#include "make/PayloadWriter.h"

#include <algorithm>

namespace {
bool StartsAsExecutable(const std::vector<uint8_t>& bytes) {
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
} // namespace

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
    SaverFile read;
    read.executable = StartsAsExecutable(head);
    ExtractedFaces extracted(path);
    const PayloadContents& c = extracted.contents;
    read.present = c.present;
    read.textTerminated = c.textTerminated;
    read.settingsRead = c.settingsRead;
    read.extension = c.extension;
    std::copy(std::begin(c.settings), std::end(c.settings), read.settings);
    std::copy(std::begin(c.faceStates), std::end(c.faceStates), read.faceStates);
    std::copy(std::begin(c.faceLengths), std::end(c.faceLengths), read.faceLengths);
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        ProjectFace& face = read.faces[i];
        face.mode = c.faceModes[i] ? FaceMode::kFill : FaceMode::kFit;
        // The writer stores an empty face as an entry of no bytes, which stays an empty face.
        if (c.faceStates[i] != FaceEntryState::kExtracted || c.faceLengths[i] == 0) {
            continue;
        }
        // An extracted file that cannot be read back is as good as one never written.
        if (!ReadWholeFile(c.faceFiles[i], face.prepared.data, why)) {
            face.prepared.data.clear();
            read.faceStates[i] = FaceEntryState::kNoTempFile;
            continue;
        }
        face.prepared.check = CheckFaceFile(c.faceFiles[i]);
        face.source = FaceName(i, path);
    }
    file = std::move(read);
    return true;
}

SaverProject::SaverProject() {
    ResetSettings();
}

void SaverProject::ResetSettings() {
    std::copy(std::begin(kSettingDefaults), std::end(kSettingDefaults), settings);
}

bool SaverProject::SetFace(int index, const std::string& path, const FacePlan& plan,
                           std::string& error) {
    if (!ValidFace(index)) {
        error = "there is no face " + std::to_string(index + 1);
        return false;
    }
    PreparedFace prepared;
    if (!PrepareFace(path, plan, prepared, error)) {
        return false;
    }
    faces[index].source = path;
    faces[index].prepared = std::move(prepared);
    return true;
}

void SaverProject::ClearFace(int index) {
    if (ValidFace(index)) {
        faces[index].source.clear();
        faces[index].prepared = PreparedFace{};
    }
}

bool SaverProject::OpenSaver(const std::string& path, std::string& error) {
    SaverFile file;
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
                    std::to_string(file.faceLengths[i]) +
                    " bytes): no temporary file could be written for it";
            return false;
        }
    }
    std::copy(std::begin(file.settings), std::end(file.settings), settings);
    std::move(std::begin(file.faces), std::end(file.faces), faces);
    pictureMode = file.extension.pictureMode;
    return true;
}

bool SaverProject::Save(const std::vector<uint8_t>& templateImage, const std::string& path,
                        std::string& error) const {
    size_t savedBytes = 0;
    return Save(templateImage, path, error, savedBytes);
}

bool SaverProject::Save(const std::vector<uint8_t>& templateImage, const std::string& path,
                        std::string& error, size_t& savedBytes) const {
    if (!StartsAsExecutable(templateImage)) {
        error = "the template is not a Windows executable";
        return false;
    }
    std::vector<BYTE> image = templateImage;
    PayloadFace payloadFaces[kPayloadFaceCount];
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        payloadFaces[i].mode = static_cast<BYTE>(faces[i].mode);
        payloadFaces[i].data = faces[i].prepared.data;
    }
    PayloadExtension extension;
    extension.pictureMode = pictureMode;
    const std::vector<BYTE> block = FormatPayloadExtension(extension);
    if (!WritePayload(image, settings, payloadFaces, &block)) {
        error = "the saver would exceed 4 GiB; nothing written";
        return false;
    }
    std::string why;
    if (!ReplaceFile(path, image, why)) {
        error = "cannot write " + path + ": " + why;
        return false;
    }
    savedBytes = image.size();
    return true;
}
