#include "PackCommands.h"

#include "app/PayloadWriter.h"
#include "packlib/FacePreparation.h"
#include "packlib/ProcessRun.h"
#include "packlib/FileBytes.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace {
const char kTool[] = "vomracube-pack";

// Written beside the target and renamed over it, so that a failed write leaves the old
// file (which may be the template itself) as it was.
bool WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes, std::string& error) {
    const std::string temp = path + ".partial";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out ||
            !out.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size())) ||
            !out.flush()) {
            error = std::strerror(errno);
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
#ifdef _WIN32
    std::remove(path.c_str()); // rename does not replace an existing file there
#endif
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::string Thousandths(uint32_t v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v * 0.001);
    return text;
}

void PrintSettings(std::FILE* out, const uint32_t* s) {
    const int cubes = static_cast<int>(s[kCubeCount]);
    const int boxes = static_cast<int>(s[kBoxCount]);
    std::fprintf(out, "  motion pattern %u\n", s[kMotionStyle]);
    std::fprintf(out, "  picture cubes  %d%s, size %s, speed %s\n", cubes,
                 cubes == 0  ? " (shows one)"
                 : cubes < 0 ? " (none)"
                             : "",
                 Thousandths(s[kCubeSize]).c_str(), Thousandths(s[kCubeSpeed]).c_str());
    std::fprintf(out, "  boxes          %d%s, size %s, speed %s, phase step %s\n", boxes,
                 boxes <= 0 ? " (none)" : "", Thousandths(s[kBoxSize]).c_str(),
                 Thousandths(s[kBoxSpeed]).c_str(), Thousandths(s[kBoxPhaseStep]).c_str());
    std::fprintf(out, "  transparency   %s\n", s[kRegionOption] ? "on" : "off");
}

const char* ModeName(BYTE mode) {
    return mode ? "fill" : "fit";
}

// Faces are numbered from 1 in everything the tool prints, as they are counted on its
// command line; the payload's entries are indexed from 0.
int FaceNumber(size_t index) {
    return static_cast<int>(index) + 1;
}

const char* Outcome(FaceVerdict verdict) {
    return verdict == FaceVerdict::kShown   ? "shown"
           : verdict == FaceVerdict::kMaybe ? "shown if the codec is there"
                                            : "default picture";
}

// Prints one face line and the notes under it; returns whether the face falls back to the
// default picture.
bool PrintFace(std::FILE* out, int face, const std::string& label, uint32_t length, BYTE mode,
               const FaceCheck& check, const std::vector<std::string>& notes) {
    if (length == 0) {
        std::fprintf(out, "  face %d: %s: empty -> default picture\n", FaceNumber(face),
                     label.c_str());
        return true;
    }
    std::fprintf(out, "  face %d: %s (%u bytes, %s): %s -> %s\n", FaceNumber(face), label.c_str(),
                 length, ModeName(mode), check.description.c_str(), Outcome(check.verdict));
    for (const std::string& note : notes) {
        std::fprintf(out, "    %s\n", note.c_str());
    }
    return check.verdict == FaceVerdict::kDefault;
}
} // namespace

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage:\n"
                 "  %s make --template SAVER.scr --out NEW.scr [settings] [--fill|--fit]\n"
                 "                 [--max-side N] [--strict] [FACE...]\n"
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
                 "Pictures whose longer side exceeds --max-side N pixels (default %d; 0 keeps\n"
                 "them as given) are shrunk and stored again, JPEG as JPEG, others as PNG;\n"
                 "JPEG photos taken turned are stood upright. MP4, MOV, MKV/WebM and animated\n"
                 "WebP/PNG clips are converted to AVI with ffmpeg when it is on the PATH.\n"
                 "\n"
                 "settings:\n%s"
                 "\n"
                 "show lists the settings and faces of a finished saver.\n",
                 kTool, kTool, kTool, kDefaultMaxSide, SettingsUsage().c_str());
}

int RunMake(const PackOptions& o, std::FILE* out, std::FILE* err) {
    std::vector<BYTE> image;
    std::string error;
    if (!ReadWholeFile(o.templatePath, image, error)) {
        std::fprintf(err, "%s: cannot read template %s: %s\n", kTool, o.templatePath.c_str(),
                     error.c_str());
        return 1;
    }
    if (image.size() < 2 || image[0] != 'M' || image[1] != 'Z') {
        std::fprintf(err, "%s: template %s is not a Windows executable\n", kTool,
                     o.templatePath.c_str());
        return 1;
    }
    const bool hadPayload = PayloadOffset(image) != image.size();

    FacePlan plan;
    plan.maxSide = o.maxSide;
    plan.ffmpeg = FindOnPath("ffmpeg");
    PayloadFace faces[kPayloadFaceCount];
    PreparedFace prepared[kPayloadFaceCount];
    for (size_t i = 0; i < o.faces.size(); ++i) {
        faces[i].mode = static_cast<BYTE>(o.faces[i].mode >= 0 ? o.faces[i].mode : o.defaultMode);
        if (o.faces[i].path.empty()) {
            continue;
        }
        if (!PrepareFace(o.faces[i].path, plan, prepared[i], error)) {
            std::fprintf(err, "%s: cannot read face %d, %s: %s\n", kTool, FaceNumber(i),
                         o.faces[i].path.c_str(), error.c_str());
            return 1;
        }
        faces[i].data = std::move(prepared[i].data);
    }

    std::fprintf(out, "settings:\n");
    PrintSettings(out, o.settings);
    std::fprintf(out, "faces:\n");
    int fallbacks = 0;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        const bool given = static_cast<size_t>(i) < o.faces.size() && !o.faces[i].path.empty();
        const std::string label = given ? o.faces[i].path : "no file";
        fallbacks += PrintFace(out, i, label, static_cast<uint32_t>(faces[i].data.size()),
                               faces[i].mode, prepared[i].check, prepared[i].notes) &&
                     given;
    }
    if (o.strict && fallbacks > 0) {
        std::fprintf(err, "%s: %d face file(s) would show the default picture; nothing written\n",
                     kTool, fallbacks);
        return 1;
    }

    if (!WritePayload(image, o.settings, faces)) {
        std::fprintf(err, "%s: the saver would exceed 4 GiB; nothing written\n", kTool);
        return 1;
    }
    if (!WriteWholeFile(o.outPath, image, error)) {
        std::fprintf(err, "%s: cannot write %s: %s\n", kTool, o.outPath.c_str(), error.c_str());
        return 1;
    }
    std::fprintf(out, "wrote %s (%zu bytes%s)\n", o.outPath.c_str(), image.size(),
                 hadPayload ? "; the template's payload was replaced" : "");
    return 0;
}

int RunShow(const PackOptions& o, std::FILE* out, std::FILE* err) {
    if (!std::ifstream(o.saverPath, std::ios::binary)) {
        std::fprintf(err, "%s: cannot read %s: %s\n", kTool, o.saverPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    // The saver's own reader, extracting into the temporary folder as the saver would.
    PayloadContents c;
    ReadPayload(o.saverPath.c_str(), c);
    if (!c.present) {
        std::fprintf(out,
                     "%s has no payload: it runs with the built-in settings and shows the default "
                     "picture on every face\n",
                     o.saverPath.c_str());
        PrintSettings(out, c.settings);
        return 0;
    }
    std::fprintf(out, "%s: settings text gives %d of 9 numbers%s\n", o.saverPath.c_str(),
                 c.settingsRead, c.textTerminated ? "" : " (the text has no end: no faces read)");
    PrintSettings(out, c.settings);
    std::fprintf(out, "faces:\n");
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        switch (c.faceStates[i]) {
        case FaceEntryState::kExtracted:
            PrintFace(out, i, "entry", c.faceLengths[i], c.faceModes[i],
                      CheckFaceFile(c.faceFiles[i]), {});
            break;
        case FaceEntryState::kNoTempFile:
            std::fprintf(out, "  face %d: %u bytes, but no temporary file could be written\n",
                         FaceNumber(i), c.faceLengths[i]);
            break;
        case FaceEntryState::kNotInPayload:
            std::fprintf(out, "  face %d: missing (the payload ends early) -> default picture\n",
                         FaceNumber(i));
            break;
        }
    }
    DeletePayloadFiles(c);
    return 0;
}
