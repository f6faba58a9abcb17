// The flicker study: the saver's scene with one study picture on every face of its picture
// cubes (no boxes, so that every lit pixel belongs to a face), drawn over the saver's
// motion exact and smooth, and compared frame by frame with a ground truth: the same frames
// drawn `factor` times larger (exact) and box-filtered down.
//
// error:   mean absolute difference from the truth per channel over the face pixels (those
//          the truth covers wholly, away from the cubes' outlines), averaged over the frames;
// flicker: mean absolute change of that signed difference from one frame to the next, over
//          pixels that are face pixels in both.
// Error that stays put is blur or a steady pattern; flicker is what the eye sees crawl.
#pragma once

#include "vomracube-flicker/StudyPictures.h"

#include <string>

struct FlickerOptions {
    int width = 960, height = 540;
    int frames = 120;
    int factor = 8;
    int pictureSide = 2048;
    double start = 1.0; // clock of the first frame
    double step = 0.02; // clock steps between frames (one step of the saver's clock)
};

struct FlickerFigures {
    double error = 0, flicker = 0;
};

struct FlickerResult {
    FlickerFigures exact, smooth;
    long facePixels = 0; // in all frames together
};

// False, with a reason in `error`, when the picture, the scene or a region cannot be made.
bool RunFlickerStudy(StudyPicture picture, const FlickerOptions& options, FlickerResult& result,
                     std::string& error);
