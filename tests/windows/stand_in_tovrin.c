// Stands in for tovrin205.exe in the installer journey, which runs without the cross
// Qt: it keeps the program's one-copy rule (the named mutex and the message-only
// window that src/platform/win/WinRunningCopy.cpp makes), ends on WM_CLOSE to that
// window, and appends each start's arguments as one line to
// %TEMP%\tovrin-stand-in.log, "first" or "second" ahead of them.
#include <windows.h>
#include <stdio.h>

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int wmain(int argc, wchar_t** argv)
{
    HANDLE mutex = CreateMutexW(NULL, FALSE, L"Local\\com.ardelon.Tovrin");
    const int first = mutex && GetLastError() != ERROR_ALREADY_EXISTS;
    wchar_t log[MAX_PATH + 32];
    if (GetTempPathW(MAX_PATH, log)) {
        wcscat(log, L"tovrin-stand-in.log");
        FILE* out = _wfopen(log, L"ab");
        if (out) {
            fputs(first ? "first" : "second", out);
            for (int i = 1; i < argc; ++i)
                fprintf(out, " %ls", argv[i]);
            fputs("\n", out);
            fclose(out);
        }
    }
    if (!first)
        return 0;
    WNDCLASSW windowClass = {0};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.lpszClassName = L"com.ardelon.Tovrin.RunningCopy";
    RegisterClassW(&windowClass);
    if (!CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                         windowClass.hInstance, NULL))
        return 1;
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
