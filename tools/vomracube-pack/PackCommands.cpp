#include "PackCommands.h"

#include "ConsoleText.h"

#include "make/PayloadWriter.h"
#include "make/system/ProcessRun.h"
#include "make/SaverProject.h"

#include <algorithm>

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

void PrintFace(std::FILE* out, int index, const ProjectFace& face, const std::string& label) {
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
          "                 [--strict] [FACE...]\n"
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
          "turned are stood upright. --max-side 0 keeps every face byte for byte,\n"
          "turning photos only with --upright. Faces the saver would not show are not\n"
          "stored. Phone and web clips (MP4, MOV, 3GP, MKV, WebM: H.264, HEVC, VP8, VP9,\n"
          "AV1) are converted to Motion-JPEG AVI at up to 1280 pixels and 30 frames per\n"
          "second, no sound; animated WebP/PNG and other clips are converted to AVI\n"
          "with ffmpeg when it is on the PATH.\n"
          "--pictures smooth (the default) draws the faces' pictures filtered, so that\n"
          "they do not shimmer as the cubes turn; exact draws one picture pixel per\n"
          "screen pixel, as savers without the setting do.\n"
          "\n"
          "settings:\n%s"
          "\n"
          "show lists the settings and faces of a finished saver.\n",
          kTool, kTool, kTool, kDefaultMaxSide, SettingsUsage().c_str());
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
    Print(out, "faces:\n");
    int fallbacks = 0;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        const ProjectFace& face = project.faces[i];
        PrintFace(out, i, face, face.source.empty() ? "no file" : face.source);
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
    Print(out, "faces:\n");
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        switch (file.faceStates[i]) {
        case FaceEntryState::kExtracted:
        case FaceEntryState::kInMemory:
            PrintFace(out, i, file.faces[i], "entry");
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
