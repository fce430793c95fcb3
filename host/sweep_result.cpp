#include "host/sweep_result.h"

namespace oemuihost {
namespace {

bool StartsWith(const std::wstring &s, const wchar_t *prefix, std::wstring *pRest) {
    const size_t n = wcslen(prefix);
    if (s.compare(0, n, prefix) != 0) return false;
    *pRest = s.substr(n);
    return true;
}

}  // namespace

void ParseChildResult(const std::vector<std::wstring> &lines, ChildRun *pRun) {
    std::vector<std::wstring> stateLines;
    std::vector<std::wstring> unsetNames;
    enum { None, Open, Opened, Seeded, Step, Close } pending = None;
    StoredState opened;
    StoredState current;  // after the last step, as the child's own books
    HeldValues held;
    bool inSession = false;
    auto flush = [&]() {
        if (pending == None) return;
        StoredState state = ParseState(stateLines);
        stateLines.clear();
        auto apply = [&](StoredState *pTo) {
            for (const auto &v : state) (*pTo)[v.first] = v.second;
            for (const std::wstring &name : unsetNames) pTo->erase(name);
        };
        if (pending == Open) {
            opened = state;
            held.clear();
            BookHeldValues(opened, &held);
            inSession = true;
        } else if (pending == Opened) {
            apply(&opened);
        } else if (pending == Seeded) {
            // A seed step inside a session: what it set is where the session starts.
            if (inSession) apply(&opened);
        } else if (pending == Step) {
            apply(&current);
            if (inSession) BookHeldValues(current, &held);
        } else if (inSession) {
            pRun->sessions.emplace_back(opened, state);
            pRun->held.push_back(held);
            inSession = false;
        }
        unsetNames.clear();
        pending = None;
    };
    for (const std::wstring &line : lines) {
        std::wstring rest;
        if (StartsWith(line, L"state\t", &rest)) {
            stateLines.push_back(rest);
            continue;
        }
        if (StartsWith(line, L"unset\t", &rest)) {
            unsetNames.push_back(rest);
            continue;
        }
        flush();
        if (line == L"checkpoint open") {
            pending = Open;
        } else if (line == L"checkpoint opened") {
            pending = Opened;
        } else if (line == L"checkpoint seeded") {
            pending = Seeded;
        } else if (line == L"checkpoint step") {
            pending = Step;
        } else if (line == L"checkpoint close" || line == L"checkpoint end") {
            pending = Close;
        } else if (StartsWith(line, L"calls ", &rest)) {
            const size_t sp = rest.rfind(L' ');
            if (sp != std::wstring::npos) pRun->calls[Narrow(rest.substr(0, sp))] = _wtol(rest.c_str() + sp + 1);
        } else if (StartsWith(line, L"injected ", &rest)) {
            pRun->injected = rest == L"1";
        } else if (StartsWith(line, L"gdi ", &rest)) {
            pRun->gdiCreated = _wtol(rest.c_str());
            const size_t sp = rest.find(L' ');
            if (sp != std::wstring::npos) pRun->gdiLive = _wtol(rest.c_str() + sp + 1);
        } else if (StartsWith(line, L"windows ", &rest)) {
            pRun->windowsOpen = _wtoi(rest.c_str());
            const size_t sp = rest.find(L' ');
            if (sp != std::wstring::npos) pRun->windowTitles = rest.substr(sp + 1);
        } else if (StartsWith(line, L"unclassified ", &rest)) {
            pRun->unclassified.push_back(rest);
        } else if (StartsWith(line, L"crash ", &rest)) {
            pRun->crashed = true;
            pRun->errors.push_back(L"unhandled exception " + rest);
        } else if (StartsWith(line, L"report ", &rest) || StartsWith(line, L"error ", &rest)) {
            pRun->errors.push_back(rest);
        } else if (line == L"done") {
            pRun->done = true;
        }
    }
    flush();
}

}  // namespace oemuihost
