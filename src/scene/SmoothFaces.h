// The levels of the pictures a scene's cubes draw in smooth mode, built the first time a
// picture is drawn and kept with the scene (two cubes showing one picture share them).
//
// Moving faces (videos, animated pictures) change their picture as they play. Their levels
// are built again for every new time they are drawn at, in place when the frame keeps its
// size, but only for frames of at most kMaxMovingTexels: about 0.5 ms a frame for
// 640 x 480 on this machine's class of processor; larger moving faces draw exact.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <vector>

class PictureSource;
struct PictureLevels;

class SmoothFaces {
  public:
    static constexpr int64_t kMaxMovingTexels = int64_t{1} << 19;

    SmoothFaces() = default;
    ~SmoothFaces();
    SmoothFaces(const SmoothFaces&) = delete;
    SmoothFaces& operator=(const SmoothFaces&) = delete;

    // The levels to draw `bitmap`, the picture `source` shows now (null source: the default
    // picture) with; null: draw it exact.
    const PictureLevels* LevelsFor(PictureSource* source, const BITMAPINFOHEADER* bitmap);
    // Frees the levels of a source about to go (a folder photo replaced): another source
    // may later be made at its address, with a picture at the same address.
    void Forget(PictureSource* source);

  private:
    struct Entry {
        PictureSource* source;
        const BITMAPINFOHEADER* bitmap;
        DWORD time;
        PictureLevels* levels; // null: the picture cannot be drawn smooth
    };
    std::vector<Entry> m_entries;
};
