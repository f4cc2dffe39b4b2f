/* Holds a file open as another program does, for the tests under Wine:
 *
 *   holder FILE MILLISECONDS [exclusive]
 *
 * It reads the file, sharing reading and writing but not deleting, as a virus
 * scanner, the search indexer or a sync client does; "exclusive" shares
 * nothing, as a program that locks the file. It prints "held" once the file is
 * open, and closes it after the time given. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

int wmain(int argc, wchar_t **argv)
{
    if (argc < 3 || argc > 4 || (argc == 4 && wcscmp(argv[3], L"exclusive") != 0)) {
        fputs("usage: holder FILE MILLISECONDS [exclusive]\n", stderr);
        return 2;
    }
    const DWORD sharing = argc == 4 ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ, sharing, NULL, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "holder: cannot open the file (error %lu)\n", GetLastError());
        return 1;
    }
    puts("held");
    fflush(stdout);
    Sleep(wcstoul(argv[2], NULL, 10));
    CloseHandle(file);
    return 0;
}
