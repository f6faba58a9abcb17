#include "app/SaverContents.h"

#include "import/PictureSource.h"

#include <algorithm>

namespace {
// As the settings object takes them, so that the preview and the saver agree to the bit.
double Thousandths(uint32_t value) {
    return value * 0.001;
}
} // namespace

SaverContents::SaverContents() {
    std::copy(std::begin(kSettingDefaults), std::end(kSettingDefaults), settings);
}

SceneSettings SceneFromSettings(const uint32_t* s) {
    SceneSettings scene;
    scene.motionStyle = static_cast<int>(s[kMotionStyle]);
    scene.boxCount = static_cast<int>(s[kBoxCount]);
    scene.cubeCount = static_cast<int>(s[kCubeCount]);
    scene.boxSpeed = Thousandths(s[kBoxSpeed]);
    scene.boxSize = Thousandths(s[kBoxSize]);
    scene.cubeSize = Thousandths(s[kCubeSize]);
    scene.cubeSpeed = Thousandths(s[kCubeSpeed]);
    scene.boxPhaseStep = Thousandths(s[kBoxPhaseStep]);
    scene.regionOption = static_cast<int>(s[kRegionOption]);
    return scene;
}

ContentsScene::ContentsScene(const SaverContents& contents)
    : m_scene(SceneFromSettings(contents.settings)) {
    m_scene.pictureMode = contents.pictureMode;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        m_scene.faceModes[i] = contents.faceModes[i];
        const std::string& file = contents.faceFiles[i];
        if (file.empty()) {
            continue;
        }
        m_scene.pictures[i] = OpenStillPicture(file.c_str());
        if (!m_scene.pictures[i]) {
            m_scene.pictures[i] = OpenVideo(file.c_str());
        }
    }
}

ContentsScene::~ContentsScene() {
    for (PictureSource*& picture : m_scene.pictures) {
        ReleasePicture(picture);
        picture = nullptr;
    }
}
