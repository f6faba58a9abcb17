// The saver's frame loop as it runs: the application object's own start-up, idle passes,
// message loop and exit, in run mode and in preview mode, with a stand-in animation that
// counts its clock steps and frames instead of drawing them. Each test prints the frames,
// their spacing and the processor time the process used, and checks them against bounds
// far from the expected figures (a frame every 15 or 16 ms, a few per cent of a core), so
// that a busy machine cannot fail them but a loop that spins, stalls or drops frames does.
// A run with the displays reported off checks that nothing is drawn and hardly any processor
// used until they are reported on, and that the next frame follows at once.
// Run: wine frameloop_wintests.exe
#include "../WinCheck.h"

#include "app/CubeAnimation.h"
#include "app/CubeSaverApp.h"
#include "framework/Wnd.h"
#include "scene/FrameClock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRunLength = 3000; // milliseconds of frames per mode
constexpr double kMaxCoreShare = 1.0 / 3.0;
constexpr double kMinFrameShare = 0.6; // of the frames a full rate gives
constexpr double kMaxCloseMs = 1000.0;
constexpr int kMaxPassesPerFrame = 4; // one in run mode, about two beside the preview's timer

double NowMs() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double ProcessorMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

struct FrameLog {
    int passes = 0; // idle passes from the fourth after a message on, which tick the clock
    int steps = 0;
    std::vector<double> frames; // NowMs of each Draw
};

// The real cube animation and clock; only Draw is left out. The application deletes it at
// exit, so what it counts lives in a log of the test's own.
class CountingAnimation : public CubeAnimation {
  public:
    explicit CountingAnimation(FrameLog* log) : m_log(log) {}
    void Tick(DWORD now) override {
        ++m_log->passes;
        const double before = GetScene().GetTime();
        CubeAnimation::Tick(now);
        if (GetScene().GetTime() != before) {
            ++m_log->steps;
        }
    }
    void Draw(RastelRegion*, CCAnimationView*) override { m_log->frames.push_back(NowMs()); }

  private:
    FrameLog* m_log;
};

class LoopApp : public CubeSaverApp {
  public:
    explicit LoopApp(CountingAnimation* animation) : CubeSaverApp(animation) {}
};

// Posts the message that ends the run from another thread, while the loop waits or works.
struct Ending {
    HWND window;
    UINT message;
    double postedAt = 0;
};

DWORD WINAPI EndLater(LPVOID param) {
    auto* ending = static_cast<Ending*>(param);
    Sleep(kRunLength);
    ending->postedAt = NowMs();
    PostMessageA(ending->window, ending->message, ending->message == WM_KEYDOWN ? VK_SPACE : 0, 0);
    return 0;
}

struct LoopFigures {
    int frames = 0;
    int passes = 0;
    int steps = 0;
    double elapsed = 0;   // ms from the loop's start to the ending message
    double medianGap = 0; // ms between frames
    double slowGap = 0;   // the 95th percentile
    double longestGap = 0;
    double processor = 0; // ms of processor time over the whole run
    double closing = 0;   // ms from the ending message to the loop's end
};

// What the system sends the main window when the console's displays go off or on
// (WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, GUID_CONSOLE_DISPLAY_STATE).
struct DisplayState {
    GUID setting = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    DWORD length = sizeof(DWORD);
    DWORD value;
};
constexpr UINT kPowerBroadcast = 0x0218;
constexpr WPARAM kPowerSettingChange = 0x8013;
constexpr DWORD kDarkLength = 2000; // milliseconds with the displays off

// The displays go off a while after the start and come on again; then the ending key.
struct DarkRun {
    HWND window;
    double offAt = 0, onAt = 0;                   // NowMs after "off" was handled, before "on"
    double processorAtOff = 0, processorAtOn = 0; // ProcessorMs at those moments
};

DWORD WINAPI DisplaysOffAndOn(LPVOID param) {
    auto* run = static_cast<DarkRun*>(param);
    Sleep(kRunLength / 3);
    DisplayState off{};
    off.value = 0;
    SendMessageA(run->window, kPowerBroadcast, kPowerSettingChange, reinterpret_cast<LPARAM>(&off));
    run->offAt = NowMs();
    run->processorAtOff = ProcessorMs();
    Sleep(kDarkLength);
    DisplayState on{};
    on.value = 1;
    run->processorAtOn = ProcessorMs();
    run->onAt = NowMs();
    SendMessageA(run->window, kPowerBroadcast, kPowerSettingChange, reinterpret_cast<LPARAM>(&on));
    Sleep(kRunLength / 3);
    PostMessageA(run->window, WM_KEYDOWN, VK_SPACE, 0);
    return 0;
}

// Frames while dark, processor ms while dark, ms from "on" to the next frame (-1: none);
// the figures file of the "dark" mode.
int RunDark(const char* figuresFile) {
    FrameLog log;
    LoopApp app(new CountingAnimation(&log));
    app.m_hInstance = GetModuleHandleA(nullptr);
    char commandLine[] = "/s";
    app.m_lpCmdLine = commandLine;
    if (!app.InitInstance() || !app.m_pMainWnd) {
        app.ExitInstance();
        return 1;
    }
    DarkRun run{app.m_pMainWnd->m_hWnd};
    const HANDLE thread = CreateThread(nullptr, 0, &DisplaysOffAndOn, &run, 0, nullptr);
    app.Run();
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    const auto dark = std::count_if(log.frames.begin(), log.frames.end(),
                                    [&](double t) { return t > run.offAt && t < run.onAt; });
    const auto next =
        std::find_if(log.frames.begin(), log.frames.end(), [&](double t) { return t >= run.onAt; });
    FILE* file = std::fopen(figuresFile, "w");
    if (!file) {
        return 1;
    }
    std::fprintf(file, "%d %f %f %f\n", static_cast<int>(dark),
                 run.processorAtOn - run.processorAtOff, run.onAt - run.offAt,
                 next == log.frames.end() ? -1.0 : *next - run.onAt);
    return std::fclose(file) == 0 ? 0 : 1;
}

// Starts the application with the command line, runs its loop until the ending message
// and measures it.
LoopFigures RunLoop(char* commandLine, HWND endTarget, UINT endMessage) {
    FrameLog log;
    log.frames.reserve(4 * kRunLength / kFrameInterval);
    LoopFigures figures;
    LoopApp app(new CountingAnimation(&log));
    app.m_hInstance = GetModuleHandleA(nullptr);
    app.m_lpCmdLine = commandLine;
    if (!app.InitInstance() || !app.m_pMainWnd) {
        app.ExitInstance();
        return figures;
    }
    Ending ending{endTarget ? endTarget : app.m_pMainWnd->m_hWnd, endMessage};
    const double started = NowMs();
    const double processorBefore = ProcessorMs();
    const HANDLE thread = CreateThread(nullptr, 0, &EndLater, &ending, 0, nullptr);
    app.Run();
    const double ended = NowMs();
    figures.processor = ProcessorMs() - processorBefore;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);

    std::vector<double> gaps;
    for (size_t i = 0; i < log.frames.size(); ++i) {
        if (log.frames[i] >= started && log.frames[i] <= ending.postedAt) {
            ++figures.frames;
            if (i > 0 && log.frames[i - 1] >= started) {
                gaps.push_back(log.frames[i] - log.frames[i - 1]);
            }
        }
    }
    std::sort(gaps.begin(), gaps.end());
    if (!gaps.empty()) {
        figures.medianGap = gaps[gaps.size() / 2];
        figures.slowGap = gaps[gaps.size() * 95 / 100];
        figures.longestGap = gaps.back();
    }
    figures.passes = log.passes;
    figures.steps = log.steps;
    figures.elapsed = ending.postedAt - started;
    figures.closing = ended - ending.postedAt;
    return figures;
}

// The loop of one mode, run in a process of its own: the application starts only once per
// process. Writes the figures to the file.
int RunMode(const char* mode, const char* figuresFile) {
    if (std::strcmp(mode, "dark") == 0) {
        return RunDark(figuresFile);
    }
    LoopFigures figures;
    if (std::strcmp(mode, "run") == 0) {
        char commandLine[] = "/s";
        figures = RunLoop(commandLine, nullptr, WM_KEYDOWN);
    } else {
        const HWND host =
            CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 20, 20, 320, 240, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
        char commandLine[32];
        std::snprintf(commandLine, sizeof commandLine, "/p %lu",
                      static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(host)));
        figures = RunLoop(commandLine, host, WM_CLOSE);
        if (IsWindow(host)) {
            figures.frames = 0; // the host's end did not end the saver
        }
    }
    FILE* file = std::fopen(figuresFile, "w");
    if (!file) {
        return 1;
    }
    std::fprintf(file, "%d %d %d %f %f %f %f %f %f\n", figures.frames, figures.passes,
                 figures.steps, figures.elapsed, figures.medianGap, figures.slowGap,
                 figures.longestGap, figures.processor, figures.closing);
    return std::fclose(file) == 0 ? 0 : 1;
}

// Runs this program again for one mode; the name of the file with its figures, which the
// caller deletes, or empty when it could not be made.
std::string RunModeFile(const char* mode) {
    char self[MAX_PATH], folder[MAX_PATH], figuresFile[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetTempPathA(MAX_PATH, folder);
    if (!GetTempFileNameA(folder, "flt", 0, figuresFile)) {
        return {};
    }
    char commandLine[3 * MAX_PATH];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\" %s \"%s\"", self, mode, figuresFile);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(self, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return figuresFile;
}

// Runs this program again for one mode and reads its figures; all zero when it failed.
LoopFigures RunModeProcess(const char* mode) {
    LoopFigures f;
    const std::string figuresFile = RunModeFile(mode);
    if (figuresFile.empty()) {
        return f;
    }
    if (FILE* file = std::fopen(figuresFile.c_str(), "r")) {
        if (std::fscanf(file, "%d %d %d %lf %lf %lf %lf %lf %lf", &f.frames, &f.passes, &f.steps,
                        &f.elapsed, &f.medianGap, &f.slowGap, &f.longestGap, &f.processor,
                        &f.closing) != 9) {
            f = LoopFigures{};
        }
        std::fclose(file);
    }
    DeleteFileA(figuresFile.c_str());
    return f;
}

void Report(const char* mode, const LoopFigures& f) {
    std::printf(
        "%s: %d frames in %.0f ms (%.1f per s), frame spacing median %.1f ms, 95th "
        "percentile %.1f ms, longest %.1f ms; %d clock steps in %d idle passes; processor %.0f ms "
        "(%.1f %% of a core); ending message to loop end %.1f ms\n",
        mode, f.frames, f.elapsed, f.frames * 1000.0 / std::max(f.elapsed, 1.0), f.medianGap,
        f.slowGap, f.longestGap, f.steps, f.passes, f.processor,
        100.0 * f.processor / std::max(f.elapsed + f.closing, 1.0), f.closing);
    std::fflush(stdout);
}

// Both modes: frames at the frame interval, hardly any processor time in between, and the
// ending message handled at once, during a wait or not.
void CheckLoop(const LoopFigures& f) {
    const double fullRate = f.elapsed / kFrameInterval;
    CHECK(f.frames >= kMinFrameShare * fullRate && f.frames > 0);
    CHECK(f.frames <= 1.1 * fullRate + 2); // never more often than the interval
    CHECK(f.steps >= kMinFrameShare * fullRate);
    CHECK(f.passes <= kMaxPassesPerFrame * (f.frames + 10)); // a polling loop makes thousands
    CHECK(f.medianGap >= kFrameInterval - 1 && f.medianGap <= 2 * kFrameInterval);
    CHECK(f.processor < kMaxCoreShare * (f.elapsed + f.closing));
    CHECK(f.closing < kMaxCloseMs);
}

WIN_TEST(RunModeDrawsEveryFrameIntervalAndSleepsBetween) {
    const LoopFigures figures = RunModeProcess("run");
    Report("run mode", figures);
    CheckLoop(figures);
    // Frames come from the idle passes, which step the clock once for every frame.
    CHECK(figures.steps >= figures.frames - 2 && figures.steps <= figures.frames + 2);
}

WIN_TEST(PreviewDrawsOnItsTimerAndSleepsBetween) {
    const LoopFigures figures = RunModeProcess("preview");
    Report("preview", figures);
    CheckLoop(figures);
}

WIN_TEST(RunModeDrawsNothingWhileTheDisplaysAreOff) {
    const std::string figuresFile = RunModeFile("dark");
    int frames = -1;
    double processor = -1, dark = 0, resume = -1;
    if (FILE* file = std::fopen(figuresFile.c_str(), "r")) {
        if (std::fscanf(file, "%d %lf %lf %lf", &frames, &processor, &dark, &resume) != 4) {
            frames = -1;
        }
        std::fclose(file);
    }
    DeleteFileA(figuresFile.c_str());
    std::printf("displays off: %d frames in %.0f ms, processor %.1f ms (%.2f %% of a core); "
                "displays on: next frame after %.1f ms\n",
                frames, dark, processor, 100.0 * processor / std::max(dark, 1.0), resume);
    std::fflush(stdout);
    CHECK(frames == 0);
    CHECK(dark >= kDarkLength - 20);
    CHECK(processor >= 0 && processor < 0.02 * dark); // drawing on takes several per cent
    CHECK(resume >= 0 && resume <= kFrameInterval);
}

} // namespace

// Without arguments: the tests. "run FILE" or "preview FILE": one mode's loop.
int main(int argc, char** argv) {
    if (argc == 3) {
        return RunMode(argv[1], argv[2]);
    }
    return wincheck::RunAll();
}
