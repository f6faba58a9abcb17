// The authoring tool's command line:
//
//   vomracube-pack make --template SAVER.scr --out NEW.scr [settings] [--fill|--fit]
//                       [--max-side N] [--upright] [--pictures smooth|exact] [--strict]
//                       [--photos FOLDER [--order shuffle|name|date] [--change SECONDS]]
//                       [FACE...]
//   vomracube-pack show SAVER.scr
//   vomracube-pack help
//
// Up to six FACE arguments, in face order: a picture or AVI file, optionally prefixed
// "fill:" (the picture covers the face, its overflow cut off) or "fit:" (it fits inside
// the face); "-" leaves a face empty. Faces not given are empty and show the default picture.
#pragma once

#include "app/Payload.h"
#include "make/FacePreparation.h"
#include "make/SaverProject.h"

#include <string>
#include <vector>

struct FaceArgument {
    std::string path; // empty for "-"
    int mode = -1;    // 0 fit, 1 fill, -1 the command's default
};

struct PackOptions {
    enum class Command { kHelp, kMake, kShow } command = Command::kHelp;
    std::string templatePath;
    std::string outPath;
    std::string saverPath; // show
    uint32_t settings[kPayloadSettingCount];
    int defaultMode = 0;
    bool strict = false;           // a face that would show the default picture is an error
    int maxSide = kDefaultMaxSide; // longer side of stored pictures; 0 keeps them as given
    bool upright = false;          // with --max-side 0, JPEG photos taken turned are still turned
    PictureMode pictureMode = kNewSaverPictureMode; // the making library's default
    std::vector<FaceArgument> faces;
    PhotoFolderSetting photoFolder; // --photos, --order, --change

    PackOptions();
};

// Parses argv[1..]; on failure returns false with a message for the user in `error`.
bool ParsePackOptions(int argc, char** argv, PackOptions& options, std::string& error);

// One line per setting option: name, range, default; for the usage text.
std::string SettingsUsage();
