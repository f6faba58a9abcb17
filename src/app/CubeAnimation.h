// The one animation of this system: the cube scene built from the settings object's
// values, shown in the window of each mode. The scene itself, its clock and its drawing
// are the window-free CubeScene; this class adds the settings object and the windows.
//
// In run mode every further monitor gets a scene of its own, built from the same settings
// and the same picture sources after the primary monitor's scene, so the primary scene
// draws the same random sequence as on a desk with one monitor. All scenes step together.
#pragma once

#include "app/CCAnimation.h"
#include "app/ScreenLayout.h"
#include "import/FolderPhotos.h"
#include "scene/CubeScene.h"
#include "scene/FramePacing.h"

#include <memory>
#include <optional>

class CubeSettingsDlg;

class CubeAnimation : public CCAnimation {
    DECLARE_DYNAMIC(CubeAnimation)
  public:
    CubeAnimation() = default;
    ~CubeAnimation() override;
    CubeAnimation(const CubeAnimation&) = delete;
    CubeAnimation& operator=(const CubeAnimation&) = delete;

    CWnd* Configure(CWnd* owner) override;
    CWnd* Preview(HWND parent) override;
    CCAnimationView* CreateView(const RECT* client) override;
    BOOL Initialise(CWnd* parent) override;
    void Tick(DWORD now) override;
    void Draw(RastelRegion* region, CCAnimationView* view) override;
    int GetRegionOption() override;
    void ResetRegion() override;
    BOOL PrepareScreens(int count) override;
    CCAnimationView* CreateScreenView(int screen, const RECT* client) override;
    void DrawScreen(int screen, RastelRegion* region, CCAnimationView* view) override;

    // Milliseconds from `now` until Tick would step the clock; none for an empty scene.
    std::optional<DWORD> TicksToNextStep(DWORD now) const;
    CubeScene& GetScene() { return m_scene; }
    // The scene of a screen, or null when it has none yet.
    CubeScene* GetScreenScene(int screen);
    CubeSettingsDlg* GetSettings() const { return m_settings; }
    // Builds from a settings object made elsewhere (from given settings and face files)
    // instead of the one Initialise would read from the program's own file; owned from here
    // on. Only before the first Initialise.
    void AdoptSettings(CubeSettingsDlg* settings);
    // Builds from a scene given whole (the maker's preview, from a SaverContents) instead of
    // a settings object; its picture sources are held elsewhere for longer than this
    // animation. Only before the first Initialise.
    void UseScene(const SceneSettings& scene);
    // Draws the pictures in `mode` whatever the payload says (the headless tools' switch);
    // only before the first Initialise.
    void ForcePictureMode(PictureMode mode) { m_forcedPictureMode = mode; }
    // The saver's own modes show the photos of the payload's folder; the headless tools,
    // whose frames must not depend on a folder and a worker's pace, do not. Only before the
    // first Initialise.
    void ShowFolderPhotos() { m_showFolderPhotos = true; }
    // The folder's photos, or null without a folder (or before Initialise).
    FolderPhotos* GetFolderPhotos() { return m_photos.get(); }

  private:
    // The given scene, else the settings object's values as scene values, or the defaults
    // without one.
    SceneSettings CurrentSettings() const;
    void StartFolderPhotos();
    void ReportPhotoPacing() const;

    CubeSettingsDlg* m_settings = nullptr;
    std::optional<SceneSettings> m_givenScene;
    std::optional<PictureMode> m_forcedPictureMode;
    bool m_showFolderPhotos = false;
    // Before the scenes, so that it goes after them: their faces hand their photos back.
    std::unique_ptr<FolderPhotos> m_photos;
    FramePacing m_pacing; // of screen 0's frames, while photos are shown
    CubeScene m_scene;
    CubeScene* m_otherScenes[kMaxScreens - 1] = {}; // screens 1 and up, owned
};
