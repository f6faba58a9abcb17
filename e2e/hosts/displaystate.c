/* Tells the running saver what the system tells it when the displays or the session change,
 * for e2e/displayoff.py:
 *
 *     displaystate.exe off|on|dimmed|lock|unlock
 *
 * The saver's main window is the window at the primary monitor's top-left corner. A display
 * state goes as the system sends it, a WM_POWERBROADCAST (PBT_POWERSETTINGCHANGE) whose
 * lParam points at a POWERBROADCAST_SETTING: the setting is written into the saver's own
 * memory first, since a pointer is only good in its own process. A session change is a
 * WM_WTSSESSION_CHANGE. Prints "sent WHAT SECONDS" once the saver has handled it, SECONDS
 * read from the performance counter (under Wine the Linux CLOCK_MONOTONIC_RAW) just before
 * the message was sent; exits 1 on any failure. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#define POWER_SETTING_CHANGE 0x8013 /* PBT_POWERSETTINGCHANGE */
#define SESSION_LOCK 7
#define SESSION_UNLOCK 8
#define SEND_TIMEOUT 10000

static const GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

struct PowerSetting {
    GUID setting;
    DWORD length;
    DWORD value;
};

static double Seconds(void) {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

static int SendDisplayState(HWND saver, DWORD value, double* sentAt) {
    struct PowerSetting setting = {kConsoleDisplayState, sizeof(DWORD), value};
    DWORD pid = 0;
    HANDLE process;
    void* remote;
    DWORD_PTR result = 0;
    int ok = 0;
    GetWindowThreadProcessId(saver, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) {
        fprintf(stderr, "displaystate: cannot open the saver's process (%lu)\n", GetLastError());
        return 0;
    }
    remote = VirtualAllocEx(process, NULL, sizeof setting, MEM_COMMIT, PAGE_READWRITE);
    if (remote && WriteProcessMemory(process, remote, &setting, sizeof setting, NULL)) {
        *sentAt = Seconds();
        ok = SendMessageTimeoutA(saver, WM_POWERBROADCAST, POWER_SETTING_CHANGE, (LPARAM)remote,
                                 SMTO_NORMAL, SEND_TIMEOUT, &result) != 0;
    }
    if (!ok) {
        fprintf(stderr, "displaystate: the setting did not reach the saver (%lu)\n",
                GetLastError());
    }
    if (remote) {
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return ok;
}

static int SendSessionChange(HWND saver, WPARAM code, double* sentAt) {
    DWORD_PTR result = 0;
    *sentAt = Seconds();
    return SendMessageTimeoutA(saver, WM_WTSSESSION_CHANGE, code, 1, SMTO_NORMAL, SEND_TIMEOUT,
                               &result) != 0;
}

int main(int argc, char** argv) {
    POINT corner = {0, 0};
    HWND saver;
    double sentAt = 0;
    int ok;
    if (argc != 2) {
        fprintf(stderr, "usage: displaystate.exe off|on|dimmed|lock|unlock\n");
        return 1;
    }
    saver = GetAncestor(WindowFromPoint(corner), GA_ROOT);
    if (!saver) {
        fprintf(stderr, "displaystate: no window at the top-left corner\n");
        return 1;
    }
    if (strcmp(argv[1], "off") == 0) {
        ok = SendDisplayState(saver, 0, &sentAt);
    } else if (strcmp(argv[1], "on") == 0) {
        ok = SendDisplayState(saver, 1, &sentAt);
    } else if (strcmp(argv[1], "dimmed") == 0) {
        ok = SendDisplayState(saver, 2, &sentAt);
    } else if (strcmp(argv[1], "lock") == 0) {
        ok = SendSessionChange(saver, SESSION_LOCK, &sentAt);
    } else if (strcmp(argv[1], "unlock") == 0) {
        ok = SendSessionChange(saver, SESSION_UNLOCK, &sentAt);
    } else {
        fprintf(stderr, "displaystate: unknown state %s\n", argv[1]);
        return 1;
    }
    if (!ok) {
        return 1;
    }
    printf("sent %s %.6f\n", argv[1], sentAt);
    return 0;
}
