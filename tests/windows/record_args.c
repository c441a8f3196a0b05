// Stands in for the mail program: Wine's ShellExecute starts it for mailto: links.
// Appends its arguments after the first, one a line in UTF-8, to the file named by
// the first, so that a test sees exactly what the shell handed over.
#include <windows.h>
#include <stdio.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 2;
    FILE* out = _wfopen(argv[1], L"ab");
    if (!out)
        return 1;
    for (int i = 2; i < argc; ++i) {
        char utf8[4096];
        if (WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8, sizeof utf8, NULL, NULL) > 0)
            fprintf(out, "%s\n", utf8);
    }
    fclose(out);
    return 0;
}
