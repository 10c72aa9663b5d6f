// Keeps Wine's server and its services running while Quillet runs, so that a script host
// started from Quillet does not pay Wine's start-up each time. Ends when its standard
// input closes, which happens when Quillet ends, however it ends; Wine then shuts its
// services down as usual.

#include "WinePrefix.h"

#include <windows.h>

int main()
{
    host::ensureJapaneseDialogFont();
    // Brought into memory now, so that the first run does not read them from disk.
    LoadLibraryW(L"vbscript.dll");
    LoadLibraryW(L"jscript.dll");
    LoadLibraryW(L"scrrun.dll");
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buffer[256];
    DWORD got = 0;
    while (in && in != INVALID_HANDLE_VALUE && ReadFile(in, buffer, sizeof buffer, &got, nullptr) &&
           got > 0) {
    }
    return 0;
}
