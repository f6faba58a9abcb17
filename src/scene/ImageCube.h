// A cube whose six faces carry pictures (still pictures or the current frame of a video).
// A face's picture is cropped or letterboxed by its mode byte when it is not square; a face
// without a picture source shows the default picture.
#pragma once

#include "scene/CubeShape.h"
#include "scene/PhotoFace.h"

class FolderPhotos;
class PictureSource;
class SmoothFaces;

class ImageCube : public CubeShape {
    DECLARE_DYNCREATE(ImageCube)
  public:
    // Size 1, motion style 0, speed 1, phase 0, no pictures.
    ImageCube();
    // Null arrays give every face no picture, respectively mode byte 0. The cube does not
    // own the pictures; they must outlive it. Draws one number from the scene's sequence.
    // `smooth` (the scene's, may be null: exact) gives the levels of smooth faces.
    ImageCube(int motionStyle, double size, double speed, double phase,
              PictureSource* const* pictures, const BYTE* faceModes, SmoothFaces* smooth = nullptr);
    // The faces without a picture show the photos of `photos` (outlives the cube).
    void TakePhotos(FolderPhotos* photos);

    void Update(double time, const Matrix* view, const Matrix* projection) override;

    // 0.35 in the shade, up to 1.0 facing the light.
    double FaceIntensity(int face) const { return LitIntensity(face, 0.65); }

  protected:
    void DrawFaces(RastelRegion* region) override;

  private:
    void DrawFace(RastelRegion* region, int face);
    void AdvancePhotos();

    PictureSource* m_pictures[kCubeFaces]; // not owned, may be null
    BYTE m_modes[kCubeFaces];              // non-zero crops, zero letterboxes
    SmoothFaces* m_smooth;                 // not owned
    PhotoFace m_photoFaces[kCubeFaces];    // attached for the faces that take folder photos
    FolderPhotos* m_folderPhotos = nullptr;
    int m_motionStyle;
    double m_speed;
    double m_phase;
};
