// Stands in for tovrin205.exe in the installer journey (no cross Qt needed): the
// one-copy rule's mutex and message-only window as WinRunningCopy.cpp makes them,
// an end on WM_CLOSE to that window, and each start's arguments appended to
// %TEMP%\tovrin-stand-in.log after "first" or "second".
#include <windows.h>
#include <stdio.h>

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        PostQuitMessage(0);
    return message == WM_CLOSE ? 0 : DefWindowProcW(window, message, wParam, lParam);
}

int wmain(int argc, wchar_t** argv)
{
    const int first = CreateMutexW(NULL, FALSE, L"Local\\com.ardelon.Tovrin") && GetLastError() != ERROR_ALREADY_EXISTS;
    wchar_t log[MAX_PATH + 32] = L"";
    GetTempPathW(MAX_PATH, log);
    FILE* out = _wfopen(wcscat(log, L"tovrin-stand-in.log"), L"ab");
    fputs(first ? "first" : "second", out);
    for (int i = 1; i < argc; ++i)
        fprintf(out, " %ls", argv[i]);
    fputc('\n', out);
    fclose(out);
    WNDCLASSW windowClass = {.lpfnWndProc = windowProc, .lpszClassName = L"com.ardelon.Tovrin.RunningCopy"};
    if (!first || !RegisterClassW(&windowClass) || !CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL))
        return !first ? 0 : 1;
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
