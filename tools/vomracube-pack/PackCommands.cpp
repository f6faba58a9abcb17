#include "PackCommands.h"

#include "ConsoleText.h"

#include "make/PayloadWriter.h"
#include "make/system/ProcessRun.h"
#include "make/SaverProject.h"
#include "platform/FileNames.h"
#include "platform/FolderListing.h"

#include <algorithm>
#include <cctype>

namespace {
const char kTool[] = "vomracube-pack";

std::string Thousandths(uint32_t v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v * 0.001);
    return text;
}

void PrintSettings(std::FILE* out, const uint32_t* s) {
    const int cubes = static_cast<int>(s[kCubeCount]);
    const int boxes = static_cast<int>(s[kBoxCount]);
    Print(out, "  motion pattern %u\n", s[kMotionStyle]);
    Print(out, "  picture cubes  %d%s, size %s, speed %s\n", cubes,
          cubes == 0  ? " (shows one)"
          : cubes < 0 ? " (none)"
                      : "",
          Thousandths(s[kCubeSize]).c_str(), Thousandths(s[kCubeSpeed]).c_str());
    Print(out, "  boxes          %d%s, size %s, speed %s, phase step %s\n", boxes,
          boxes <= 0 ? " (none)" : "", Thousandths(s[kBoxSize]).c_str(),
          Thousandths(s[kBoxSpeed]).c_str(), Thousandths(s[kBoxPhaseStep]).c_str());
    Print(out, "  transparency   %s\n", s[kRegionOption] ? "on" : "off");
}

// Faces are numbered from 1 in everything the tool prints, as they are counted on its
// command line; the payload's entries are indexed from 0.
int FaceNumber(size_t index) {
    return static_cast<int>(index) + 1;
}

// One face line and, for a face with a file, the notes under it.
void PrintPictureMode(std::FILE* out, PictureMode mode) {
    Print(out, "  pictures       %s\n", mode == PictureMode::kSmooth ? "smooth" : "exact");
}

// "C:\..." or "\\server\share": a path the saver takes as it stands, also from a
// tool that makes Windows savers elsewhere.
bool IsWindowsFullPath(const std::string& path) {
    const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                       path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    return drive || path.rfind("\\\\", 0) == 0;
}

void PrintPhotoFolder(std::FILE* out, const PhotoFolderSetting& folder) {
    if (folder.Present()) {
        Print(out, "  photos         %s, %s, a change every %u s (faces without a file)\n",
              folder.path.c_str(), PhotoOrderName(folder.order), folder.changeSeconds);
    }
}

void PrintFace(std::FILE* out, int index, const ProjectFace& face, const std::string& label,
               const PhotoFolderSetting& folder) {
    if (face.Empty() && folder.Present()) {
        Print(out, "  face %d: photos from the folder\n", FaceNumber(index));
        return;
    }
    Print(out, "  face %d: %s\n", FaceNumber(index), DescribeFace(face, label).c_str());
    if (face.Empty()) {
        return;
    }
    for (const std::string& note : face.prepared.notes) {
        Print(out, "    %s\n", note.c_str());
    }
}
} // namespace

void PrintUsage(std::FILE* out) {
    Print(out,
          "usage:\n"
          "  %s make --template SAVER.scr --out NEW.scr [settings] [--fill|--fit]\n"
          "                 [--max-side N] [--upright] [--pictures smooth|exact]\n"
          "                 [--strict] [--photos FOLDER [--order shuffle|name|date]\n"
          "                 [--change SECONDS]] [FACE...]\n"
          "  %s show SAVER.scr\n"
          "  %s help\n"
          "\n"
          "make copies the template saver (a finished saver works too: its payload is\n"
          "replaced) and appends the settings and up to six face files, in face order:\n"
          "faces 1 to 6 as given (1 and 6, 2 and 4, 3 and 5 are opposite each other).\n"
          "A FACE is a picture (BMP, ICO/CUR, GIF, JPEG, PNG, TIFF) or an AVI video,\n"
          "optionally prefixed fill: (cover the face) or fit: (fit inside it, the\n"
          "default unless --fill); \"-\" leaves a face empty. Faces that the saver cannot\n"
          "show get the default picture; --strict makes that an error.\n"
          "\n"
          "Pictures whose longer side exceeds --max-side N pixels (default %d) are\n"
          "shrunk and stored again, JPEG as JPEG, others as PNG; JPEG photos taken\n"
          "turned are stored upright. --max-side 0 keeps every face byte for byte (the\n"
          "saver stands such photos upright as it shows them); with --upright they are\n"
          "still stored upright, for viewers that ignore the orientation. Pictures with\n"
          "a colour profile are shown in sRGB. Faces the saver would not show are not\n"
          "stored. Phone and web clips (MP4, MOV, 3GP, MKV, WebM: H.264, HEVC, VP8, VP9,\n"
          "AV1) are converted to Motion-JPEG AVI at up to 1280 pixels and 30 frames per\n"
          "second, no sound; animated PNG and other clips are converted to AVI with\n"
          "ffmpeg when it is on the PATH.\n"
          "--pictures smooth (the default) draws the faces' pictures filtered, so that\n"
          "they do not shimmer as the cubes turn; exact draws one picture pixel per\n"
          "screen pixel, as savers without the setting do.\n"
          "\n"
          "--photos FOLDER: the faces without a file show the photos of FOLDER and its\n"
          "subfolders, each changing to the next while it is turned away, at most once\n"
          "every --change SECONDS (default %u); --order shuffle (the default: random,\n"
          "none twice until all have been shown), name, or date (taken, else the file's).\n"
          "\n"
          "settings:\n%s"
          "\n"
          "show lists the settings and faces of a finished saver.\n",
          kTool, kTool, kTool, kDefaultMaxSide, kDefaultChangeSeconds, SettingsUsage().c_str());
}

int RunMake(const PackOptions& o, std::FILE* out, std::FILE* err) {
    std::vector<uint8_t> image;
    std::string error;
    if (!ReadSaverTemplate(o.templatePath, image, error)) {
        Print(err, "%s: %s\n", kTool, error.c_str());
        return 1;
    }
    const bool hadPayload = PayloadOffset(image) != image.size();

    FacePlan plan;
    plan.maxSide = o.maxSide;
    plan.turn = o.maxSide != 0 || o.upright;
    plan.ffmpeg = FindOnPath("ffmpeg");
    SaverProject project;
    std::copy(std::begin(o.settings), std::end(o.settings), project.settings);
    project.pictureMode = o.pictureMode;
    project.photoFolder = o.photoFolder;
    if (project.photoFolder.Present()) {
        // The saver runs from elsewhere: the folder is stored by its full path.
        const std::string full = IsWindowsFullPath(o.photoFolder.path)
                                     ? o.photoFolder.path
                                     : names::FullPath(o.photoFolder.path.c_str());
        if (full.empty() || full.size() > kMaxPhotoFolderBytes) {
            Print(err, "%s: cannot tell the full path of --photos %s\n", kTool,
                  o.photoFolder.path.c_str());
            return 1;
        }
        project.photoFolder.path = full;
        if (!names::IsFolder(full.c_str())) {
            Print(err, "%s: note: %s is no folder now; the saver looks for it when it runs\n",
                  kTool, full.c_str());
        }
    }
    for (size_t i = 0; i < o.faces.size(); ++i) {
        const int mode = o.faces[i].mode >= 0 ? o.faces[i].mode : o.defaultMode;
        project.faces[i].mode = mode ? FaceMode::kFill : FaceMode::kFit;
        if (!o.faces[i].path.empty() &&
            !project.SetFace(static_cast<int>(i), o.faces[i].path, plan, error)) {
            Print(err, "%s: cannot read face %d, %s: %s\n", kTool, FaceNumber(i),
                  o.faces[i].path.c_str(), error.c_str());
            return 1;
        }
    }

    Print(out, "settings:\n");
    PrintSettings(out, project.settings);
    PrintPictureMode(out, project.pictureMode);
    PrintPhotoFolder(out, project.photoFolder);
    Print(out, "faces:\n");
    int fallbacks = 0;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        const ProjectFace& face = project.faces[i];
        PrintFace(out, i, face, face.source.empty() ? "no file" : face.source, project.photoFolder);
        fallbacks += !face.source.empty() && face.FallsBack();
    }
    if (o.strict && fallbacks > 0) {
        Print(err, "%s: %d face file(s) would show the default picture; nothing written\n", kTool,
              fallbacks);
        return 1;
    }

    uint64_t saved = 0;
    if (!project.Save(image, o.outPath, error, saved)) {
        Print(err, "%s: %s\n", kTool, error.c_str());
        return 1;
    }
    Print(out, "wrote %s (%s bytes%s)\n", o.outPath.c_str(), std::to_string(saved).c_str(),
          hadPayload ? "; the template's payload was replaced" : "");
    return 0;
}

int RunShow(const PackOptions& o, std::FILE* out, std::FILE* err) {
    // The saver's own reader, extracting into the temporary folder as the saver would.
    SaverFile file;
    std::string error;
    if (!ReadSaverFile(o.saverPath, file, error)) {
        Print(err, "%s: %s\n", kTool, error.c_str());
        return 1;
    }
    if (!file.present) {
        Print(out,
              "%s has no payload: it runs with the built-in settings and shows the default "
              "picture on every face\n",
              o.saverPath.c_str());
        PrintSettings(out, file.settings);
        return 0;
    }
    Print(out, "%s: settings text gives %d of 9 numbers%s\n", o.saverPath.c_str(),
          file.settingsRead, file.textTerminated ? "" : " (the text has no end: no faces read)");
    PrintSettings(out, file.settings);
    PrintPictureMode(out, file.extension.pictureMode);
    PrintPhotoFolder(out, file.extension.photoFolder);
    Print(out, "faces:\n");
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        switch (file.faceStates[i]) {
        case FaceEntryState::kExtracted:
        case FaceEntryState::kInMemory:
            PrintFace(out, i, file.faces[i], "entry", file.extension.photoFolder);
            break;
        case FaceEntryState::kNoTempFile:
            Print(out, "  face %d: %u bytes, not read: %s\n", FaceNumber(i), file.faceLengths[i],
                  file.faceErrors[i].c_str());
            break;
        case FaceEntryState::kNotInPayload:
            Print(out, "  face %d: missing (the payload ends early) -> default picture\n",
                  FaceNumber(i));
            break;
        }
    }
    return 0;
}
