// What the session's files share: reason names for the call report and the
// one way a model keyword becomes report text. Private to session*.cpp.
#pragma once

#include <windows.h>

#include <string>

namespace oemuihost {

struct ReasonName {
    WORD reason;
    const wchar_t *name;
};

template <size_t N>
std::wstring NameOf(const ReasonName (&table)[N], WORD reason) {
    for (const ReasonName &r : table)
        if (r.reason == reason) return r.name;
    return L"reason " + std::to_wstring(reason);
}

// Model keywords are ASCII.
inline std::wstring Widen(const std::string &s) { return std::wstring(s.begin(), s.end()); }

}  // namespace oemuihost
