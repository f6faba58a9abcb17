/* A stand-in for the display-settings dialog in the end-to-end tests: a top-level window
 * that can start the saver in preview mode with its own handle, and that logs what the
 * saver does to it. Without --saver it is just an ordinary window that takes the
 * foreground, for tests that need one.
 *
 *   preview_host.exe --log FILE [--saver PATH --switch "/p %u"] [--stop-file FILE]
 *                    [--title TEXT] [--rect X Y W H]
 *
 * --switch is the saver's command line with %u standing for the window handle in decimal.
 * The host destroys itself when the stop file appears (or on WM_CLOSE), which takes the
 * saver's child window with it; it then waits for the saver to end and logs its exit code.
 *
 * Log lines (flushed at once, so the harness can poll the file):
 *   host <hwnd> client <x> <y> <w> <h>       the client area in screen coordinates
 *   launched <pid> | launch-failed <error>
 *   child <hwnd> class <name> rect <l> <t> <r> <b> style <hex> exstyle <hex>
 *   child-gone                               (a child is logged once it is visible)
 *   user1 <wparam> <lparam> child <0|1>      a WM_USER+1 and whether a child exists
 *   activate <0|1> | activateapp <0|1>
 *   stopping | saver-exit <code> | saver-running | host-exit
 */
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define POLL_TIMER 1
#define POLL_MS 20
#define SAVER_EXIT_WAIT_MS 15000

static FILE* logFile;
static const char* saverPath;
static const char* saverSwitch = "/p %u";
static const char* stopFile;
static const char* title = "Preview host";
static int rectX = 100, rectY = 80, rectW = 320, rectH = 240;
static PROCESS_INFORMATION saver;
static BOOL saverStarted, saverExitLogged;
static HWND knownChild;

static void Log(const char* format, ...) {
    va_list args;
    if (!logFile)
        return;
    fprintf(logFile, "%lu ", (unsigned long)GetTickCount());
    va_start(args, format);
    vfprintf(logFile, format, args);
    va_end(args);
    fputc('\n', logFile);
    fflush(logFile);
}

static void LogSaverExit(void) {
    DWORD code = 0;
    if (!saverStarted || saverExitLogged)
        return;
    if (WaitForSingleObject(saver.hProcess, 0) == WAIT_OBJECT_0) {
        GetExitCodeProcess(saver.hProcess, &code);
        Log("saver-exit %lu", (unsigned long)code);
        saverExitLogged = TRUE;
    }
}

static void LaunchSaver(HWND host) {
    char switchText[256], commandLine[1024];
    STARTUPINFOA startup;

    snprintf(switchText, sizeof switchText, saverSwitch, (unsigned)(UINT_PTR)host);
    snprintf(commandLine, sizeof commandLine, "\"%s\" %s", saverPath, switchText);
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &saver)) {
        saverStarted = TRUE;
        Log("launched %lu", (unsigned long)saver.dwProcessId);
    } else {
        Log("launch-failed %lu", (unsigned long)GetLastError());
    }
}

static void PollChild(HWND host) {
    HWND child = GetWindow(host, GW_CHILD);
    char className[128] = "";
    RECT rect;

    /* A child still inside its creation is not visible yet; it counts once it is. */
    if (child && !IsWindowVisible(child))
        child = NULL;

    if (child == knownChild)
        return;
    if (!child) {
        Log("child-gone");
    } else {
        GetClassNameA(child, className, sizeof className);
        GetWindowRect(child, &rect);
        MapWindowPoints(NULL, host, (POINT*)&rect, 2);
        Log("child %lu class %s rect %ld %ld %ld %ld style %08lx exstyle %08lx",
            (unsigned long)(UINT_PTR)child, className, rect.left, rect.top, rect.right, rect.bottom,
            (unsigned long)GetWindowLongA(child, GWL_STYLE),
            (unsigned long)GetWindowLongA(child, GWL_EXSTYLE));
    }
    knownChild = child;
}

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        PollChild(window);
        LogSaverExit();
        if (stopFile && GetFileAttributesA(stopFile) != INVALID_FILE_ATTRIBUTES) {
            Log("stopping");
            DestroyWindow(window);
        }
        return 0;
    case WM_USER + 1:
        Log("user1 %lu %ld child %d", (unsigned long)wParam, (long)lParam,
            GetWindow(window, GW_CHILD) != NULL);
        return 0;
    case WM_ACTIVATE:
        Log("activate %d", LOWORD(wParam) != WA_INACTIVE);
        break;
    case WM_ACTIVATEAPP:
        Log("activateapp %d", wParam != 0);
        break;
    case WM_DESTROY:
        KillTimer(window, POLL_TIMER);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int ParseArguments(int argc, char** argv) {
    const char* logPath = NULL;
    int i;

    for (i = 1; i < argc; ++i) {
        const char* name = argv[i];
        int left = argc - i - 1;
        if (!strcmp(name, "--log") && left >= 1)
            logPath = argv[++i];
        else if (!strcmp(name, "--saver") && left >= 1)
            saverPath = argv[++i];
        else if (!strcmp(name, "--switch") && left >= 1)
            saverSwitch = argv[++i];
        else if (!strcmp(name, "--stop-file") && left >= 1)
            stopFile = argv[++i];
        else if (!strcmp(name, "--title") && left >= 1)
            title = argv[++i];
        else if (!strcmp(name, "--rect") && left >= 4) {
            rectX = atoi(argv[++i]);
            rectY = atoi(argv[++i]);
            rectW = atoi(argv[++i]);
            rectH = atoi(argv[++i]);
        } else
            return 0;
    }
    if (logPath && !(logFile = fopen(logPath, "w")))
        return 0;
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    WNDCLASSA windowClass;
    HWND host;
    MSG message;
    POINT origin = {0, 0};
    RECT client;

    (void)previous;
    (void)commandLine;
    if (!ParseArguments(__argc, __argv))
        return 2;

    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    windowClass.lpszClassName = "VcPreviewHost";
    if (!RegisterClassA(&windowClass))
        return 3;
    host = CreateWindowExA(0, "VcPreviewHost", title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rectX,
                           rectY, rectW, rectH, NULL, NULL, instance, NULL);
    if (!host)
        return 4;
    ShowWindow(host, show == SW_HIDE ? SW_SHOWNORMAL : show);
    UpdateWindow(host);
    SetForegroundWindow(host);
    ClientToScreen(host, &origin);
    GetClientRect(host, &client);
    Log("host %lu client %ld %ld %ld %ld", (unsigned long)(UINT_PTR)host, origin.x, origin.y,
        client.right, client.bottom);
    SetTimer(host, POLL_TIMER, POLL_MS, NULL);
    if (saverPath)
        LaunchSaver(host);

    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    if (saverStarted && !saverExitLogged) {
        if (WaitForSingleObject(saver.hProcess, SAVER_EXIT_WAIT_MS) == WAIT_OBJECT_0)
            LogSaverExit();
        else
            Log("saver-running");
    }
    Log("host-exit");
    if (logFile)
        fclose(logFile);
    return 0;
}
