#include "app/CubeSettingsDlg.h"

#include "import/PictureSource.h"

IMPLEMENT_DYNAMIC(CubeSettingsDlg, CDialog)

namespace {
// Thousandths in the payload become scene values.
double Thousandths(uint32_t value) {
    return value * 0.001;
}
} // namespace

CubeSettingsDlg::CubeSettingsDlg(CCAnimation*, CWnd*) {
    PayloadContents payload; // the defaults, unless the payload says otherwise
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    // A truncated path would name some other file.
    if (length > 0 && length < MAX_PATH) {
        ReadPayload(path, payload);
    }
    TakeContents(payload);
}

CubeSettingsDlg::CubeSettingsDlg(const PayloadContents& given) : m_ownsFaceFiles(false) {
    TakeContents(given);
}

void CubeSettingsDlg::TakeContents(const PayloadContents& payload) {
    const uint32_t* s = payload.settings;
    m_motionStyle = static_cast<int>(s[kMotionStyle]);
    m_boxCount = static_cast<int>(s[kBoxCount]);
    m_cubeCount = static_cast<int>(s[kCubeCount]);
    m_boxSpeed = Thousandths(s[kBoxSpeed]);
    m_boxSize = Thousandths(s[kBoxSize]);
    m_cubeSize = Thousandths(s[kCubeSize]);
    m_cubeSpeed = Thousandths(s[kCubeSpeed]);
    m_boxPhaseStep = Thousandths(s[kBoxPhaseStep]);
    m_regionOption = static_cast<int>(s[kRegionOption]);
    m_pictureMode = payload.extension.pictureMode;

    for (int i = 0; i < kPayloadFaceCount; ++i) {
        m_faceFiles[i] = payload.faceFiles[i];
        m_faceModes[i] = payload.faceModes[i];
        if (m_faceFiles[i].empty()) {
            continue;
        }
        m_facePictures[i] = OpenStillPicture(m_faceFiles[i].c_str());
        if (!m_facePictures[i]) {
            m_facePictures[i] = OpenVideo(m_faceFiles[i].c_str());
        }
    }
}

CubeSettingsDlg::~CubeSettingsDlg() {
    if (!m_ownsFaceFiles) {
        ReleaseFaces();
        return;
    }
    for (const std::string& name : m_faceFiles) {
        if (!name.empty()) {
            DeleteFileA(name.c_str());
        }
    }
}

void CubeSettingsDlg::ReleaseFaces() {
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        ReleasePicture(m_facePictures[i]);
        m_facePictures[i] = nullptr;
        // Forgotten once deleted: the destructor must not delete a file of that name that
        // something else has made since.
        if (m_ownsFaceFiles && !m_faceFiles[i].empty()) {
            DeleteFileA(m_faceFiles[i].c_str());
        }
        m_faceFiles[i].clear();
    }
}

SceneSettings CubeSettingsDlg::GetSceneSettings() const {
    SceneSettings s;
    s.motionStyle = m_motionStyle;
    s.boxCount = m_boxCount;
    s.boxSize = m_boxSize;
    s.boxSpeed = m_boxSpeed;
    s.boxPhaseStep = m_boxPhaseStep;
    s.cubeCount = m_cubeCount;
    s.cubeSize = m_cubeSize;
    s.cubeSpeed = m_cubeSpeed;
    s.regionOption = m_regionOption;
    s.pictureMode = m_pictureMode;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        s.pictures[i] = m_facePictures[i];
        s.faceModes[i] = m_faceModes[i];
    }
    return s;
}
