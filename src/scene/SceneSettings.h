// What the cube animation builds its scene from: the payload's settings as scene values.
// Without a payload the defaults below hold, and every face shows the default picture.
#pragma once

#include "platform/Win32.h"

#include <cstdint>

class FolderPhotos;
class PictureSource;

// How picture faces are sampled: exact (one texel per pixel, as the saver always drew) or
// smooth (filtered levels, bilinear and between two levels; render/fill/SmoothSample.h).
enum class PictureMode : uint8_t { kExact = 0, kSmooth = 1 };

struct SceneSettings {
    int motionStyle = 0;
    int boxCount = 10;
    double boxSize = 0.3;
    double boxSpeed = 1.0;
    double boxPhaseStep = 0.5;
    int cubeCount = 2;
    double cubeSize = 1.25;
    double cubeSpeed = 1.0;
    int regionOption = 0;
    PictureSource* pictures[6] = {}; // not owned
    BYTE faceModes[6] = {};
    PictureMode pictureMode = PictureMode::kExact;
    // The faces without a picture show its photos; null: they show the default picture.
    FolderPhotos* photos = nullptr; // not owned
};
