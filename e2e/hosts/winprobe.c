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
 *   winprobe.exe settext HWND TEXT   sets a control's text (WM_SETTEXT), in any script
 *   winprobe.exe ping HWND SECONDS   sends the window WM_NULL every 50 ms for SECONDS (or
 *                                 until it goes) and prints "pings <n> slowest <ms> late <n>":
 *                                 how many were answered, the longest wait for an answer,
 *                                 and how many found no answer within 2 s
 *   winprobe.exe drop HWND X Y FILE...   drops the files on the window at the screen point
 *                                 (X, Y), as the shell does: a WM_DROPFILES whose drop
 *                                 structure is written into the window's process
 *   winprobe.exe textfit HWND POINTS FACE   whether each visible child's text fits its
 *                                 control, measured in the dialog font (FACE at POINTS,
 *                                 at the window's DPI):
 *                                 "dpi <n>", "work <l> <t> <r> <b>", "window <l> <t> <r> <b>",
 *                                 then per child "fit <hwnd> <0|1> <need w> <need h> <room w>
 *                                 <room h> <class> <text>"; a multi-line static is measured
 *                                 wrapped to its width, everything else as one line
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
#include <shellapi.h>

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
 * address, so a block made in the receiving process serves as one. The names are wide, as
 * the shell's are, taken from the wide command line: names in any script arrive whole. */
typedef struct {
    DWORD files;
    POINT point;
    BOOL nonClient;
    BOOL wide;
} DropHeader;

static int Drop(HWND window, int x, int y, int first) {
    DropHeader header = {sizeof(DropHeader), {x, y}, FALSE, TRUE};
    size_t size = sizeof header + sizeof(WCHAR), at;
    int count = 0;
    WCHAR** names = CommandLineToArgvW(GetCommandLineW(), &count);
    char* block;
    void* remote;
    DWORD pid = 0;
    HANDLE process;
    int i;
    BOOL written;
    if (!names)
        return 1;
    for (i = first; i < count; ++i)
        size += (wcslen(names[i]) + 1) * sizeof(WCHAR);
    block = calloc(1, size);
    if (!block || !ScreenToClient(window, &header.point))
        return 1;
    memcpy(block, &header, sizeof header);
    at = sizeof header;
    for (i = first; i < count; ++i) {
        memcpy(block + at, names[i], (wcslen(names[i]) + 1) * sizeof(WCHAR));
        at += (wcslen(names[i]) + 1) * sizeof(WCHAR);
    }
    LocalFree(names);
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    remote = process ? VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                     : NULL;
    written = remote && WriteProcessMemory(process, remote, block, size, NULL);
    free(block);
    if (process)
        CloseHandle(process);
    return written && PostMessageA(window, WM_DROPFILES, (WPARAM)remote, 0) ? 0 : 1;
}

/* The text from the wide command line, so that characters outside the code page arrive. */
static int SetText(HWND control) {
    int count = 0;
    WCHAR** args = CommandLineToArgvW(GetCommandLineW(), &count);
    DWORD_PTR result = 0;
    int ok = args && count == 4 &&
             SendMessageTimeoutW(control, WM_SETTEXT, 0, (LPARAM)args[3], SMTO_ABORTIFHUNG, 5000,
                                 &result) &&
             result;
    LocalFree(args);
    return ok ? 0 : 1;
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

/* The room a control's text has: its client area less what the control draws around the
 * text (a push button's edges, a check box's box, a combo box's arrow, an edit's margins). */
static void TextRoom(HWND control, const char* kind, LONG style, int dpi, RECT* room) {
    int less = 0;
    GetClientRect(control, room);
    if (!strcmp(kind, "Button")) {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
            type == BS_AUTORADIOBUTTON)
            less = MulDiv(16, dpi, 96);
        else if (type == BS_GROUPBOX)
            less = MulDiv(16, dpi, 96);
        else
            less = MulDiv(6, dpi, 96);
    } else if (!strcmp(kind, "ComboBox")) {
        COMBOBOXINFO info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(control, &info))
            *room = info.rcItem;
        less = MulDiv(2, dpi, 96);
    } else if (!strcmp(kind, "Edit")) {
        less = MulDiv(4, dpi, 96);
    }
    room->right -= less;
}

static BOOL CALLBACK FitChild(HWND child, LPARAM font) {
    WCHAR text[512];
    char kind[64];
    RECT room, need = {0, 0, 0, 0};
    HDC dc;
    HGDIOBJ old;
    LONG style = GetWindowLongA(child, GWL_STYLE);
    int length, dpi = (int)GetDeviceCaps(GetDC(NULL), LOGPIXELSY), wrapped;
    if (!IsWindowVisible(child) || !GetClassNameA(child, kind, sizeof kind))
        return TRUE;
    length = (int)SendMessageW(child, WM_GETTEXT, 512, (LPARAM)text);
    if (length <= 0 || (!strcmp(kind, "Static") && (style & SS_TYPEMASK) == SS_OWNERDRAW))
        return TRUE;
    TextRoom(child, kind, style, dpi, &room);
    wrapped =
        !strcmp(kind, "Static") && (style & SS_TYPEMASK) <= SS_RIGHT && !(style & SS_ELLIPSISMASK);
    dc = GetDC(child);
    old = SelectObject(dc, (HGDIOBJ)font);
    need.right = room.right - room.left;
    DrawTextW(dc, text, length, &need,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrapped ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(child, dc);
    printf("fit %lu %d %ld %ld %ld %ld %s ", (unsigned long)(UINT_PTR)child,
           need.right <= room.right - room.left && need.bottom <= room.bottom - room.top ? 1 : 0,
           need.right, need.bottom, room.right - room.left, room.bottom - room.top, kind);
    PrintWide(text, length);
    return TRUE;
}

static int TextFit(HWND window, int points, const char* face) {
    MONITORINFO info;
    RECT rect;
    HFONT font;
    int dpi;
    /* Aware of the system's DPI, so that rectangles and fonts are in real pixels. */
    SetProcessDPIAware();
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    dpi = (int)GetDeviceCaps(GetDC(NULL), LOGPIXELSY);
    if (!GetWindowRect(window, &rect) ||
        !GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        return 1;
    font = CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                       0, 0, face);
    printf("dpi %d\nwork %ld %ld %ld %ld\nwindow %ld %ld %ld %ld\n", dpi, info.rcWork.left,
           info.rcWork.top, info.rcWork.right, info.rcWork.bottom, rect.left, rect.top, rect.right,
           rect.bottom);
    EnumChildWindows(window, FitChild, (LPARAM)font);
    DeleteObject(font);
    return 0;
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
        return Drop((HWND)(UINT_PTR)strtoul(argv[2], NULL, 0), atoi(argv[3]), atoi(argv[4]), 5);
    if (argc == 4 && !strcmp(argv[1], "settext"))
        return SetText((HWND)(UINT_PTR)strtoul(argv[2], NULL, 0));
    if (argc == 4 && !strcmp(argv[1], "ping"))
        return Ping((HWND)(UINT_PTR)strtoul(argv[2], NULL, 0), atoi(argv[3]));
    if (argc == 3 && !strcmp(argv[1], "control"))
        return PrintControl((HWND)(UINT_PTR)strtoul(argv[2], NULL, 0));
    if (argc == 5 && !strcmp(argv[1], "textfit"))
        return TextFit((HWND)(UINT_PTR)strtoul(argv[2], NULL, 0), atoi(argv[3]), argv[4]);
    fputs(
        "usage: winprobe list | winprobe post HWND MSG WPARAM LPARAM | winprobe counts PID |\n"
        "       winprobe control HWND | winprobe ping HWND SECONDS | winprobe settext HWND TEXT |\n"
        "       winprobe drop HWND X Y FILE... | winprobe textfit HWND POINTS FACE\n",
        stderr);
    return 2;
}
