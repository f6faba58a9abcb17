// The command line of vomracube-render.
#pragma once

#include "scene/FrameClock.h"
#include "scene/SceneSettings.h"

#include <optional>
#include <string>

struct RenderOptions {
    int width = 640;
    int height = 480;
    int depth = 32;
    double time = 0.0;
    int frames = 1;
    double step = kClockStep; // one step of the scene clock
    bool sheet = false;
    bool reference = false;              // every fast path of the renderer off
    std::optional<PictureMode> pictures; // none: as the saver says
    std::string out;
    std::string saver; // empty: the template's own scene
};

extern const char kRenderUsage[];

// False with a message in *error when the arguments are not usable.
bool ParseRenderOptions(int argc, char** argv, RenderOptions* options, std::string* error);
