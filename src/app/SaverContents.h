// What a saver shows, as a plain value: its nine settings and six faces (files with their
// modes). The maker's preview builds its scene from one, made from the project being edited,
// through the same steps the saver takes with its payload.
#pragma once

#include "app/Payload.h"
#include "scene/SceneSettings.h"

#include <cstdint>
#include <string>

struct SaverContents {
    uint32_t settings[kPayloadSettingCount];
    std::string faceFiles[kPayloadFaceCount]; // empty for a face without a file
    BYTE faceModes[kPayloadFaceCount] = {};
    PictureMode pictureMode = PictureMode::kExact; // as the extension block gives it

    SaverContents(); // the default settings, no faces
};

// The scene's values from the payload's nine numbers, as the saver takes them (thousandths
// become fractions); no pictures.
SceneSettings SceneFromSettings(const uint32_t* settings);

// The scene of a SaverContents: its settings, and its faces opened as the saver opens its
// own (a still picture or animation first, then a video). The sources are released when this
// goes; the files stay their holder's.
class ContentsScene {
  public:
    explicit ContentsScene(const SaverContents& contents);
    ~ContentsScene();
    ContentsScene(const ContentsScene&) = delete;
    ContentsScene& operator=(const ContentsScene&) = delete;

    const SceneSettings& Scene() const { return m_scene; }

  private:
    SceneSettings m_scene;
};
