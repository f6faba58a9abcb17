/* Looks at the windows of the Wine session from the inside, for the end-to-end tests:
 * what X alone cannot tell (extended styles, owners, the foreground window, a message
 * box's text), and posts messages to a window.
 *
 *   winprobe.exe list             one line per visible top-level window, children indented
 *   winprobe.exe post HWND MSG WPARAM LPARAM     (numbers in decimal or 0x hex)
 *   winprobe.exe activate HWND    makes the window the foreground window
 *   winprobe.exe counts PID       what a process holds: "handles N gdi N user N", each -1
 *                                 when the system does not say
 *   winprobe.exe control HWND     a control of another program: "rect <l> <t> <r> <b>" on
 *                                 the screen, then "text <text>" asked of the control itself
 *                                 (WM_GETTEXT), which an edit box or a combo box needs
 *   winprobe.exe ping HWND SECONDS   sends the window WM_NULL every 50 ms for SECONDS (or
 *                                 until it goes) and prints "pings <n> slowest <ms> late <n>":
 *                                 how many were answered, the longest wait for an answer,
 *                                 and how many found no answer within 2 s
 *   winprobe.exe drop HWND X Y FILE...   drops the files on the window at the screen point
 *                                 (X, Y), as the shell does: a WM_DROPFILES whose drop
 *                                 structure is written into the window's process
 *
 * list prints:
 *   screen <cx> <cy>
 *   monitor <l> <t> <r> <b> <1 for the primary monitor, else 0>     one line per monitor
 *   foreground <hwnd>
 *   window <hwnd> pid <pid> rect <l> <t> <r> <b> style <hex> exstyle <hex> owner <hwnd>
 *          exe <file name, lower case> class <name> title <text>
 *     child <hwnd> class <name> text <text>
 * Texts are the rest of the line, in UTF-8, with line breaks written as \n.
 */
/* QueryFullProcessImageNameA is a Vista call; the probe only ever runs under Wine. */
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* A text in UTF-8 (the About box's texts are Chinese), line breaks as \n. */
static void PrintWide(const WCHAR* wide, int length) {
    char text[1536];
    const char* c;
    if (!WideCharToMultiByte(CP_UTF8, 0, wide, length + 1, text, sizeof text, NULL, NULL))
        text[0] = 0;
    for (c = text; *c; ++c) {
        if (*c == '\n')
            fputs("\\n", stdout);
        else if (*c != '\r')
            putchar(*c);
    }
    putchar('\n');
}

static void PrintWindowText(HWND window) {
    WCHAR wide[512];
    PrintWide(wide, GetWindowTextW(window, wide, sizeof wide / sizeof wide[0]));
}

static int PrintControl(HWND control) {
    WCHAR wide[512] = {0};
    DWORD_PTR length = 0;
    RECT rect;
    if (!GetWindowRect(control, &rect))
        return 1;
    printf("rect %ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    if (!SendMessageTimeoutW(control, WM_GETTEXT, sizeof wide / sizeof wide[0], (LPARAM)wide,
                             SMTO_ABORTIFHUNG, 5000, &length))
        length = 0;
    wide[length < 512 ? length : 511] = 0;
    fputs("text ", stdout);
    PrintWide(wide, (int)length);
    printf("visible %d\n", IsWindowVisible(control) ? 1 : 0);
    return 0;
}

/* A window that answers WM_NULL at once is a window whose thread waits on nothing. */
static int Ping(HWND window, int seconds) {
    const DWORD start = GetTickCount();
    DWORD slowest = 0;
    int answered = 0, late = 0;
    while (IsWindow(window) && GetTickCount() - start < (DWORD)seconds * 1000) {
        const DWORD sent = GetTickCount();
        DWORD_PTR result = 0;
        DWORD waited;
        if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result))
            ++answered;
        else if (IsWindow(window))
            ++late;
        waited = GetTickCount() - sent;
        if (waited > slowest)
            slowest = waited;
        Sleep(50);
    }
    printf("pings %d slowest %lu late %d\n", answered, (unsigned long)slowest, late);
    return 0;
}

/* The shell's drop structure: its size, the drop point in client coordinates, whether that
 * point is in the non-client area, whether the names are wide, then the names, each ending
 * with a zero, and one more zero. A drop handle is a fixed memory block, whose handle is its
 * address, so a block made in the receiving process serves as one. */
typedef struct {
    DWORD files;
    POINT point;
    BOOL nonClient;
    BOOL wide;
} DropHeader;

static int Drop(HWND window, int x, int y, int count, char** names) {
    DropHeader header = {sizeof(DropHeader), {x, y}, FALSE, FALSE};
    size_t size = sizeof header + 1, at;
    char* block;
    void* remote;
    DWORD pid = 0;
    HANDLE process;
    int i;
    BOOL written;
    for (i = 0; i < count; ++i)
        size += strlen(names[i]) + 1;
    block = calloc(1, size);
    if (!block || !ScreenToClient(window, &header.point))
        return 1;
    memcpy(block, &header, sizeof header);
    at = sizeof header;
    for (i = 0; i < count; ++i) {
        strcpy(block + at, names[i]);
        at += strlen(names[i]) + 1;
    }
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    remote = process ? VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE,
                                      PAGE_READWRITE)
                     : NULL;
    written = remote && WriteProcessMemory(process, remote, block, size, NULL);
    free(block);
    if (process)
        CloseHandle(process);
    return written && PostMessageA(window, WM_DROPFILES, (WPARAM)remote, 0) ? 0 : 1;
}

static BOOL CALLBACK ListChild(HWND child, LPARAM unused) {
    char className[128] = "";
    (void)unused;
    GetClassNameA(child, className, sizeof className);
    printf("  child %lu class %s text ", (unsigned long)(UINT_PTR)child, className);
    PrintWindowText(child);
    return TRUE;
}

/* The file name of the program that owns a window, lower case, without its folder. */
static void ProgramName(DWORD pid, char* name, DWORD size) {
    char path[MAX_PATH] = "?";
    DWORD length = sizeof path;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    const char* base;
    char* out;
    if (process) {
        if (!QueryFullProcessImageNameA(process, 0, path, &length))
            strcpy(path, "?");
        CloseHandle(process);
    }
    base = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
    snprintf(name, size, "%s", base);
    for (out = name; *out; ++out)
        *out = *out == ' ' ? '_' : (char)tolower((unsigned char)*out);
}

static BOOL CALLBACK ListWindow(HWND window, LPARAM unused) {
    char className[128] = "", program[MAX_PATH];
    DWORD pid = 0;
    RECT rect;
    (void)unused;
    if (!IsWindowVisible(window))
        return TRUE;
    GetClassNameA(window, className, sizeof className);
    GetWindowThreadProcessId(window, &pid);
    GetWindowRect(window, &rect);
    ProgramName(pid, program, sizeof program);
    printf("window %lu pid %lu rect %ld %ld %ld %ld style %08lx exstyle %08lx owner %lu exe %s "
           "class %s "
           "title ",
           (unsigned long)(UINT_PTR)window, (unsigned long)pid, rect.left, rect.top, rect.right,
           rect.bottom, (unsigned long)GetWindowLongA(window, GWL_STYLE),
           (unsigned long)GetWindowLongA(window, GWL_EXSTYLE),
           (unsigned long)(UINT_PTR)GetWindow(window, GW_OWNER), program, className);
    PrintWindowText(window);
    EnumChildWindows(window, ListChild, 0);
    return TRUE;
}

/* The system's handle table (SystemHandleInformation), for the handles of one process:
 * Wine answers GetProcessHandleCount with 0, but lists the handles there. */
typedef struct {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
} HandleEntry;
typedef LONG(WINAPI* QuerySystemInformation)(int, void*, ULONG, ULONG*);

static long CountHandles(DWORD pid) {
    QuerySystemInformation query = (QuerySystemInformation)(void (*)(void))GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    ULONG size = 1 << 16, i, count;
    long found = 0;
    BYTE* table = NULL;
    LONG status = -1;
    while (query && size <= (1u << 26)) {
        free(table);
        table = malloc(size);
        if (!table)
            return -1;
        status = query(16 /* SystemHandleInformation */, table, size, NULL);
        if (status != (LONG)0xC0000004) /* STATUS_INFO_LENGTH_MISMATCH */
            break;
        size *= 2;
    }
    if (status != 0) {
        free(table);
        return -1;
    }
    count = *(ULONG*)table;
    for (i = 0; i < count && sizeof(ULONG_PTR) + (i + 1) * sizeof(HandleEntry) <= size; ++i) {
        const HandleEntry* entry = (const HandleEntry*)(table + sizeof(ULONG_PTR)) + i;
        found += entry->ownerPid == pid;
    }
    free(table);
    return found;
}

/* Kernel handles, GDI objects and USER objects of a process. */
static int PrintCounts(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    long handles, gdi, user;
    if (!process)
        return 1;
    handles = CountHandles(pid);
    SetLastError(0);
    gdi = (long)GetGuiResources(process, GR_GDIOBJECTS);
    if (gdi == 0 && GetLastError() != 0)
        gdi = -1;
    SetLastError(0);
    user = (long)GetGuiResources(process, GR_USEROBJECTS);
    if (user == 0 && GetLastError() != 0)
        user = -1;
    CloseHandle(process);
    printf("handles %ld gdi %ld user %ld\n", handles, gdi, user);
    return 0;
}

static BOOL CALLBACK ListMonitor(HMONITOR monitor, HDC dc, LPRECT clip, LPARAM unused) {
    MONITORINFO info;
    (void)dc;
    (void)clip;
    (void)unused;
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        printf("monitor %ld %ld %ld %ld %d\n", info.rcMonitor.left, info.rcMonitor.top,
               info.rcMonitor.right, info.rcMonitor.bottom,
               (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    return TRUE;
}

int main(int argc, char** argv) {
    if (argc == 2 && !strcmp(argv[1], "list")) {
        printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        EnumDisplayMonitors(NULL, NULL, ListMonitor, 0);
        printf("foreground %lu\n", (unsigned long)(UINT_PTR)GetForegroundWindow());
        EnumWindows(ListWindow, 0);
        return 0;
    }
    if (argc == 6 && !strcmp(argv[1], "post")) {
        HWND window = (HWND)(UINT_PTR)strtoul(argv[2], NULL, 0);
        UINT message = (UINT)strtoul(argv[3], NULL, 0);
        WPARAM wParam = (WPARAM)strtoul(argv[4], NULL, 0);
        LPARAM lParam = (LPARAM)strtol(argv[5], NULL, 0);
        return PostMessageA(window, message, wParam, lParam) ? 0 : 1;
    }
    if (argc == 3 && !strcmp(argv[1], "activate"))
        return SetForegroundWindow((HWND)(UINT_PTR)strtoul(argv[2], NULL, 0)) ? 0 : 1;
    if (argc == 3 && !strcmp(argv[1], "counts"))
        return PrintCounts((DWORD)strtoul(argv[2], NULL, 0));
    if (argc >= 6 && !strcmp(argv[1], "drop"))
        return Drop((HWND)(UINT_PTR)strtoul(argv[2], NULL, 0), atoi(argv[3]), atoi(argv[4]),
                    argc - 5, argv + 5);
    if (argc == 4 && !strcmp(argv[1], "ping"))
        return Ping((HWND)(UINT_PTR)strtoul(argv[2], NULL, 0), atoi(argv[3]));
    if (argc == 3 && !strcmp(argv[1], "control"))
        return PrintControl((HWND)(UINT_PTR)strtoul(argv[2], NULL, 0));
    fputs("usage: winprobe list | winprobe post HWND MSG WPARAM LPARAM | winprobe counts PID |\n"
          "       winprobe control HWND | winprobe ping HWND SECONDS |\n"
          "       winprobe drop HWND X Y FILE...\n",
          stderr);
    return 2;
}
