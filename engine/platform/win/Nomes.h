#pragma once
// File names on Windows: the program keeps them as bytes in the ANSI code page (what Qt's
// QFile::encodeName gives there, Windows-1252 on a Brazilian Windows); the system takes UTF-16.
#include <windows.h>

#include <string>

namespace sistema {

// The UTF-16 form of a name in the ANSI code page.
inline std::wstring Nome_Largo(const char *bytes)
{
    const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes, -1, nullptr, 0);
    std::wstring largo(n > 0 ? size_t(n) : 1, L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_ACP, 0, bytes, -1, largo.data(), n);
    largo.resize(largo.size() - 1);
    return largo;
}

// The name in the ANSI code page; a character it cannot hold becomes '?', which no Windows file
// name contains, so such a name is listed but never opened by mistake as another file.
inline std::string Nome_Estreito(const wchar_t *largo)
{
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, largo, -1, nullptr, 0, "?", nullptr);
    std::string bytes(n > 0 ? size_t(n) : 1, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, largo, -1, bytes.data(), n, "?", nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

// Whether a name (bytes) carries a character the ANSI code page could not hold.
inline bool Nome_Fora_Do_1252(const std::string &bytes) { return bytes.find('?') != std::string::npos; }

} // namespace sistema
