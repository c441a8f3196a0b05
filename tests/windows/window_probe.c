// What Wine's own window state says, in UTF-8, for the journeys to compare:
//   window_probe foreground       the title of the foreground window (Windows' notion,
//                                  which under Wine need not be where the X focus is)
//   window_probe edit <title>     the text of the edit control in the window so titled
//   window_probe clipboard        the text on Windows' clipboard (Wine takes the X
//                                  clipboard over a moment after it changes)
#include <windows.h>
#include <stdio.h>

static void printUtf8(const WCHAR* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    char* utf8 = HeapAlloc(GetProcessHeap(), 0, size > 0 ? size : 1);
    if (utf8 && WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, size, NULL, NULL) > 0)
        printf("%s\n", utf8);
}

// WM_GETTEXT is carried across processes by the system, unlike most messages.
static void printText(HWND window)
{
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    WCHAR* text = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (length + 1) * sizeof(WCHAR));
    if (!text)
        return;
    SendMessageW(window, WM_GETTEXT, length + 1, (LPARAM)text);
    printUtf8(text);
}

static int printClipboard(void)
{
    if (!OpenClipboard(NULL))
        return 1;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const WCHAR* text = data ? GlobalLock(data) : NULL;
    if (text) {
        printUtf8(text);
        GlobalUnlock(data);
    }
    CloseClipboard();
    fflush(stdout);
    return text ? 0 : 1;
}

int wmain(int argc, WCHAR** argv)
{
    if (argc == 2 && lstrcmpW(argv[1], L"clipboard") == 0)
        return printClipboard();
    HWND window = NULL;
    if (argc == 2 && lstrcmpW(argv[1], L"foreground") == 0)
        window = GetForegroundWindow();
    else if (argc == 3 && lstrcmpW(argv[1], L"edit") == 0)
        window = FindWindowExW(FindWindowW(NULL, argv[2]), NULL, L"Edit", NULL);
    else
        return 2;
    if (!window)
        return 1;
    printText(window);
    fflush(stdout);
    return 0;
}
