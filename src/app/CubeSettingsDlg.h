// The settings object: reads the payload from the program's own file once, extracts the six
// face files into temporary files, opens them as picture sources and keeps the nine
// settings for the scene and the drawing regions. It is also the About box of configuration
// mode (its window behaviour lives in CubeSettingsDlg_win.cpp).
#pragma once

#include "app/CLink.h"
#include "app/Payload.h"
#include "framework/Dialog.h"
#include "scene/SceneSettings.h"

#include <cstdint>
#include <span>
#include <string>

class CCAnimation;
class PictureSource;

class CubeSettingsDlg : public CDialog {
    DECLARE_DYNAMIC(CubeSettingsDlg)
  public:
    // Reads the payload and opens the face sources; never fails (no payload gives the
    // defaults). Neither argument is kept.
    CubeSettingsDlg(CCAnimation* animation, CWnd* owner);
    // From settings and face files or bytes someone else holds (the maker's preview): the
    // files are opened, never deleted (a video given as bytes is written to a file of this
    // object's own); the object releases its face sources when it goes, so that the
    // holder may delete or replace the files after it.
    explicit CubeSettingsDlg(const PayloadContents& given);
    // Deletes the face temporary files (only those it read from the payload itself). The
    // sources of those were destroyed with the picture list.
    ~CubeSettingsDlg() override;

    int GetMotionStyle() const { return m_motionStyle; }      // setting 1
    int GetCubeCount() const { return m_cubeCount; }          // setting 2
    double GetCubeSpeed() const { return m_cubeSpeed; }       // setting 3
    double GetCubeSize() const { return m_cubeSize; }         // setting 4
    int GetRegionOption() const { return m_regionOption; }    // setting 5
    int GetBoxCount() const { return m_boxCount; }            // setting 6
    double GetBoxSpeed() const { return m_boxSpeed; }         // setting 7
    double GetBoxSize() const { return m_boxSize; }           // setting 8
    double GetBoxPhaseStep() const { return m_boxPhaseStep; } // setting 9
    PictureSource* GetFacePicture(int face) const { return m_facePictures[face]; }
    BYTE GetFaceMode(int face) const { return m_faceModes[face]; }
    const std::string& GetFaceFileName(int face) const { return m_faceFiles[face]; }
    // The payload's folder of photos for the faces without a file; empty path: none.
    const PhotoFolderSetting& GetPhotoFolder() const { return m_photoFolder; }
    // Everything the scene is built from, in one value.
    SceneSettings GetSceneSettings() const;

  protected:
    // Releases each face's source and deletes its file when the object owns it (the About
    // box's window going away).
    void ReleaseFaces();
    // Takes the settings and opens the faces of `payload`.
    void TakeContents(const PayloadContents& payload);
    void OpenFaceBytes(int face, std::span<const uint8_t> bytes);
    void OpenVideoFile(int face);

#ifdef _WIN32
    // The About box's window behaviour (CubeSettingsDlg_win.cpp).
    BOOL OnInitDialog() override;
    // OK and Cancel destroy the modeless dialog rather than merely ending it.
    void OnOK() override;
    void OnCancel() override;
    int OnCreate(LPCREATESTRUCT createStruct);
    void OnDestroy();
    // "Change pictures and settings...": the installed maker on this saver.
    void OnChangeSettings();
#endif
    DECLARE_MESSAGE_MAP()

    std::string m_faceFiles[kPayloadFaceCount];
    // The files this object deletes: all it read from the payload itself, and the video
    // files it wrote from given bytes.
    bool m_ownsFile[kPayloadFaceCount] = {};
    PictureSource* m_facePictures[kPayloadFaceCount] = {};
    BYTE m_faceModes[kPayloadFaceCount] = {};
    int m_motionStyle = 0;
    int m_boxCount = 0;
    int m_cubeCount = 0;
    double m_boxSpeed = 0.0;
    double m_boxSize = 0.0;
    double m_cubeSize = 0.0;
    double m_cubeSpeed = 0.0;
    double m_boxPhaseStep = 0.0;
    int m_regionOption = 0;
    PictureMode m_pictureMode = PictureMode::kExact; // the payload's extension block
    PhotoFolderSetting m_photoFolder;                // the payload's extension block
    CLink m_link;
    bool m_ownsFaceFiles = true;
};
