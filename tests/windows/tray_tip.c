// Prints the tip of every notification icon that Wine's shell (explorer.exe)
// shows, one a line, UTF-8. Each icon has its own tooltip control in the shell's
// process; its text is asked for through memory in that process, since a message
// from another process cannot carry a pointer into ours.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

enum { kTextChars = 512 };

static void printToolTexts(HWND tooltip, HANDLE process, BYTE* remote)
{
    const int count = (int)SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        TTTOOLINFOW info = {0};
        info.cbSize = sizeof info;
        WriteProcessMemory(process, remote, &info, sizeof info, NULL);
        if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, i, (LPARAM)remote))
            continue;
        ReadProcessMemory(process, remote, &info, sizeof info, NULL);
        info.lpszText = (LPWSTR)(remote + sizeof info);
        const WCHAR empty = 0;
        WriteProcessMemory(process, info.lpszText, &empty, sizeof empty, NULL);
        WriteProcessMemory(process, remote, &info, sizeof info, NULL);
        SendMessageW(tooltip, TTM_GETTEXTW, kTextChars, (LPARAM)remote);

        WCHAR text[kTextChars + 1] = {0};
        ReadProcessMemory(process, info.lpszText, text, kTextChars * sizeof(WCHAR), NULL);
        char utf8[4 * kTextChars];
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
        printf("%s\n", utf8);
    }
}

static BOOL CALLBACK eachWindow(HWND window, LPARAM unused)
{
    (void)unused;
    WCHAR className[64];
    GetClassNameW(window, className, 64);
    if (lstrcmpiW(className, TOOLTIPS_CLASSW) != 0)
        return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return TRUE;
    BYTE* remote = VirtualAllocEx(process, NULL, sizeof(TTTOOLINFOW) + (kTextChars + 1) * sizeof(WCHAR),
                                  MEM_COMMIT, PAGE_READWRITE);
    if (remote) {
        printToolTexts(window, process, remote);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return TRUE;
}

int main(void)
{
    EnumWindows(eachWindow, 0);
    fflush(stdout);
    return 0;
}
