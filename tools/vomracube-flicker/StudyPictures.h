// The flicker study's pictures, made in memory as 24-bit bottom-up BMP files: a zone plate
// (rings whose frequency grows with the radius up to one cycle per two texels at the
// corners), a photo-like picture (soft gradients, fine texture, a little noise) and a text
// page (dark strokes in lines on white).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class StudyPicture { kZonePlate, kPhoto, kTextPage };

const char* StudyPictureName(StudyPicture picture);
// A BMP file of side x side pixels.
std::vector<uint8_t> MakeStudyPicture(StudyPicture picture, int side);
