// The maker's application object and entry point: opens the folder for its temporary files
// (removing what killed makers left), starts the services the preview's scene needs (the
// default picture, video support, the renderer's tables), opens the window with what the
// command line names, and tears everything down in the reverse order at exit.
#include "MakerCommandLine.h"
#include "MakerDlg.h"
#include "framework/WinApp.h"
#include "import/DefaultPictureId.h"
#include "import/PictureSource.h"
#include "make/system/TempFile.h"
#include "make/system/WorkFolder.h"
#include "render/core/GraphicsStartup.h"

#include <commctrl.h>

#include <memory>
#include <new>

namespace {
class MakerApp : public CWinApp {
  public:
    MakerApp() : CWinApp("VomraCube Maker") {}

    BOOL InitInstance() override {
        m_work = std::make_unique<WorkFolder>(TempFolder() + "VomraCubeMaker");
        UseTempFolder(m_work->Path());
        INITCOMMONCONTROLSEX controls{sizeof controls,
                                      ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        LoadDefaultPicture(IDB_DEFAULTPICTURE);
        StartVideoSupport(1);
        InitGraphics();
        m_maker = new (std::nothrow) MakerDlg;
        if (!m_maker || !m_maker->Create()) {
            AfxMessageBox("The maker's window could not be made.", MB_OK | MB_ICONERROR);
            return FALSE;
        }
        m_pMainWnd = m_maker;
        m_maker->Start(ParseMakerArguments(SplitCommandLine(m_lpCmdLine)));
        return TRUE;
    }

    // The window is gone by now, and with it the preview's scene and face files.
    int ExitInstance() override {
        delete m_maker;
        m_maker = nullptr;
        DestroyAllPictures();
        StopVideoSupport();
        FreeGraphics();
        UseTempFolder("");
        m_work.reset();
        return CWinApp::ExitInstance();
    }

  private:
    MakerDlg* m_maker = nullptr;
    std::unique_ptr<WorkFolder> m_work;
};

MakerApp theApp;
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow) {
    return AfxWinMain(instance, cmdLine, cmdShow);
}
