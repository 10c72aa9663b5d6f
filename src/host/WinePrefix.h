#pragma once

// The one change Quillet makes to the user's Wine prefix: message boxes show Japanese.
// Wine links its dialog font, under a Japanese locale, to "MS UI Gothic", which Linux
// does not have; a replacement names the IPA Gothic face that Quillet's set-up installs.
// Written once, only where the user has set nothing, and only under Wine.

#include <windows.h>

namespace host {

inline void ensureJapaneseDialogFont()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version"))
        return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (RegQueryValueExW(key, L"MS UI Gothic", nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND) {
        const wchar_t face[] = L"IPAGothic";
        RegSetValueExW(key, L"MS UI Gothic", 0, REG_SZ, reinterpret_cast<const BYTE*>(face), sizeof face);
    }
    RegCloseKey(key);
}

} // namespace host
