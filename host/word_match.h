// Scenario words, key names and window classes compare without regard to case.
#pragma once

#include <windows.h>

#include <string>

namespace oemuihost {

inline bool Is(const std::wstring &a, const wchar_t *b) { return lstrcmpiW(a.c_str(), b) == 0; }

}  // namespace oemuihost
