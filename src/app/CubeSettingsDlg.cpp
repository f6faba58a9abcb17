#include "app/CubeSettingsDlg.h"

#include "import/PictureSource.h"
#include "platform/FileNames.h"

IMPLEMENT_DYNAMIC(CubeSettingsDlg, CDialog)

namespace {
// Thousandths in the payload become scene values.
double Thousandths(uint32_t value) {
    return value * 0.001;
}
} // namespace

CubeSettingsDlg::CubeSettingsDlg(CCAnimation*, CWnd*) {
    PayloadContents payload; // the defaults, unless the payload says otherwise
    const std::string path = names::ModulePath(nullptr);
    if (!path.empty()) {
        ReadPayload(path.c_str(), payload);
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
    m_photoFolder = payload.extension.photoFolder;

    for (int i = 0; i < kPayloadFaceCount; ++i) {
        m_faceFiles[i] = payload.faceFiles[i];
        m_ownsFile[i] = m_ownsFaceFiles && !m_faceFiles[i].empty();
        m_faceModes[i] = payload.faceModes[i];
        if (!payload.faceBytes[i].empty()) {
            OpenFaceBytes(i, payload.faceBytes[i]);
        } else if (!m_faceFiles[i].empty()) {
            m_facePictures[i] = OpenStillPicture(m_faceFiles[i].c_str());
            if (!m_facePictures[i]) {
                OpenVideoFile(i);
            }
        }
    }
}

// In the saver's order (DecideFace): a picture from memory, else the bytes go to a file for
// the video library, which is then this object's to delete (whoever gave the bytes).
void CubeSettingsDlg::OpenFaceBytes(int face, std::span<const uint8_t> bytes) {
    // Every face has a name of its own: faces from bytes are never shared, as faces from
    // separate temporary files never were.
    static unsigned s_opened = 0;
    const std::string name = "payload face " + std::to_string(++s_opened);
    m_facePictures[face] = OpenStillPicture(name.c_str(), bytes);
    if (m_facePictures[face] || !WriteFaceFile(bytes, m_faceFiles[face])) {
        return;
    }
    m_ownsFile[face] = true;
    OpenVideoFile(face);
}

// A file this object wrote goes as soon as nothing needs its name: at once when the video
// library cannot play it, else where the system lets an open file lose its name.
void CubeSettingsDlg::OpenVideoFile(int face) {
    m_facePictures[face] = OpenVideo(m_faceFiles[face].c_str());
    if (!m_ownsFile[face]) {
        return;
    }
    if (m_facePictures[face]) {
        ForgetOpenedFaceFile(m_faceFiles[face]);
    } else {
        names::Remove(m_faceFiles[face].c_str());
        m_faceFiles[face].clear();
    }
    m_ownsFile[face] = !m_faceFiles[face].empty();
}

CubeSettingsDlg::~CubeSettingsDlg() {
    if (!m_ownsFaceFiles) {
        ReleaseFaces();
        return;
    }
    for (const std::string& name : m_faceFiles) {
        if (!name.empty()) {
            names::Remove(name.c_str());
        }
    }
}

void CubeSettingsDlg::ReleaseFaces() {
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        ReleasePicture(m_facePictures[i]);
        m_facePictures[i] = nullptr;
        // Forgotten once deleted: the destructor must not delete a file of that name that
        // something else has made since.
        if (m_ownsFile[i]) {
            names::Remove(m_faceFiles[i].c_str());
        }
        m_ownsFile[i] = false;
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
