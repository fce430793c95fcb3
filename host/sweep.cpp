#include "host/sweep.h"

#include <windows.h>

#include <algorithm>
#include <map>

#include "host/console.h"
#include "host/fault_injection.h"
#include "host/fault_table.h"
#include "host/report.h"
#include "host/stored_state.h"
#include "host/sweep_result.h"

namespace oemuihost {
namespace {

std::wstring Quote(const std::wstring &s) { return L"\"" + s + L"\""; }

std::vector<std::wstring> ReadLines(const std::wstring &path) {
    std::vector<std::wstring> lines;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return lines;
    std::string bytes;
    char buf[8192];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(h);
    const std::wstring text = FromUtf8(bytes);
    size_t at = 0;
    while (at < text.size()) {
        size_t nl = text.find(L'\n', at);
        if (nl == std::wstring::npos) nl = text.size();
        lines.push_back(text.substr(at, nl - at));
        at = nl + 1;
    }
    return lines;
}

// A stored value for a finding: type and the first bytes.
std::wstring Shown(const StoredState &state, const std::wstring &name) {
    const auto it = state.find(name);
    if (it == state.end()) return L"absent";
    return it->second.size() > 24 ? it->second.substr(0, 24) + L"..." : it->second;
}

class Sweep {
public:
    explicit Sweep(const SweepOptions &options) : m_options(options) {}
    int Run();

private:
    ChildRun RunChild(const std::wstring &scenario, const std::wstring &target);
    void SweepScenario(const std::wstring &scenario);
    void Judge(const std::wstring &scenario, const std::wstring &target, const ChildRun &reference,
               const ChildRun &run, bool injectedRun);
    bool Wanted(const std::string &import) const;
    void Print(const std::wstring &line) { if (!m_options.json) oemuihost::Print(line + L"\n"); }

    struct Cell {
        long calls = 0, runs = 0, survived = 0, hangs = 0, torn = 0, leaks = 0;
    };
    struct Finding {
        std::wstring scenario, target, what;
    };

    const SweepOptions &m_options;
    std::wstring m_exe;
    std::wstring m_resultPath;
    std::map<std::pair<std::string, std::wstring>, Cell> m_matrix;
    std::vector<Finding> m_findings;
    long m_missed = 0;
    long m_injections = 0, m_crashes = 0, m_hangs = 0, m_torn = 0, m_leaks = 0, m_problems = 0;
};

ChildRun Sweep::RunChild(const std::wstring &scenario, const std::wstring &target) {
    ChildRun run;
    DeleteFileW(m_resultPath.c_str());
    std::wstring cmd = Quote(m_exe) + L" sweep-run " + Quote(scenario) + L" --inject " + target + L" --out " +
                       Quote(m_resultPath) + L" --dll " + Quote(m_options.dllPath);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    // The child's report would only repeat what its result file says.
    si.dwFlags = STARTF_USESTDHANDLES;
    HANDLE hNul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (hNul != INVALID_HANDLE_VALUE) SetHandleInformation(hNul, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    si.hStdInput = nullptr;
    si.hStdOutput = hNul;
    si.hStdError = hNul;
    PROCESS_INFORMATION pi = {};
    const DWORD start = GetTickCount();
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(L'\0');
    if (!CreateProcessW(m_exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        run.errors.push_back(L"the child process cannot be started (error " + std::to_wstring(GetLastError()) + L")");
        if (hNul != INVALID_HANDLE_VALUE) CloseHandle(hNul);
        return run;
    }
    if (hNul != INVALID_HANDLE_VALUE) CloseHandle(hNul);
    run.started = true;
    CloseHandle(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, m_options.timeoutMs) == WAIT_TIMEOUT) {
        run.hung = true;
        TerminateProcess(pi.hProcess, 0xDEAD);
        WaitForSingleObject(pi.hProcess, 10000);
    }
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    CloseHandle(pi.hProcess);
    run.ms = GetTickCount() - start;
    ParseChildResult(ReadLines(m_resultPath), &run);
    if (!run.hung && !run.done) run.crashed = true;
    if (!run.hung && run.exitCode >= 0xC0000000) run.crashed = true;
    return run;
}

bool Sweep::Wanted(const std::string &import) const {
    if (m_options.imports.empty()) return true;
    for (const std::string &name : m_options.imports)
        if (lstrcmpiA(name.c_str(), import.c_str()) == 0) return true;
    return false;
}

void Sweep::Judge(const std::wstring &scenario, const std::wstring &target, const ChildRun &reference,
                  const ChildRun &run, bool injectedRun) {
    const std::wstring leaf = scenario.substr(scenario.find_last_of(L"\\/") + 1);
    auto find = [&](const std::wstring &what) { m_findings.push_back({leaf, target, what}); };
    const std::string label = Narrow(target.substr(0, target.rfind(L':')));
    Cell &cell = m_matrix[{label, leaf}];
    if (!run.started) {
        find(run.errors.empty() ? std::wstring(L"not started") : run.errors.front());
        ++m_problems;
        return;
    }
    if (injectedRun) {
        ++cell.runs;
        ++m_injections;
        // The counting run's calls may not all come again (a resolver thread
        // that finishes late): such a replay failed nothing.
        if (!run.injected && run.done) ++m_missed;
    }
    if (run.hung) {
        ++cell.hangs;
        ++m_hangs;
        find(L"hang: still running after " + std::to_wstring(m_options.timeoutMs / 1000) + L" s, ended");
        return;
    }
    if (run.crashed) {
        ++m_crashes;
        std::wstring why = L"crash: exit code " + Hex32(run.exitCode);
        for (const std::wstring &e : run.errors) why += L"; " + e;
        find(why);
        return;
    }
    ++cell.survived;
    bool leaked = false;
    if (run.gdiLive != 0) {
        leaked = true;
        find(std::to_wstring(run.gdiLive) + L" of " + std::to_wstring(run.gdiCreated) + L" GDI objects not deleted");
    }
    if (run.windowsOpen != 0) {
        leaked = true;
        find(std::to_wstring(run.windowsOpen) + L" window(s) left open: " + run.windowTitles);
    }
    if (leaked) {
        ++cell.leaks;
        ++m_leaks;
    }
    // A failed read is an answer the plug-in acts on: what it then stores
    // may rightly differ from the uninjected run.
    if (IsInputFault(label.substr(0, label.find('/')).c_str())) return;
    for (size_t i = 0; i < run.sessions.size(); ++i) {
        if (i >= reference.sessions.size()) {
            find(L"session " + std::to_wstring(i + 1) + L" has no counterpart in the uninjected run");
            ++m_problems;
            break;
        }
        const std::vector<std::wstring> torn =
            TornValues(run.sessions[i].first, run.sessions[i].second, reference.sessions[i].first,
                       reference.sessions[i].second, i < reference.held.size() ? &reference.held[i] : nullptr);
        if (torn.empty()) continue;
        std::wstring names;
        for (const std::wstring &t : torn)
            names += (names.empty() ? L"" : L"; ") + t + L" " + Shown(run.sessions[i].first, t) + L" -> " +
                     Shown(run.sessions[i].second, t) + L" (uninjected " + Shown(reference.sessions[i].second, t) + L")";
        find(L"torn write in session " + std::to_wstring(i + 1) + L": " + names);
        ++cell.torn;
        ++m_torn;
        break;
    }
}

void Sweep::SweepScenario(const std::wstring &scenario) {
    const std::wstring leaf = scenario.substr(scenario.find_last_of(L"\\/") + 1);
    const long injectionsBefore = m_injections;
    const size_t findingsBefore = m_findings.size();
    const ChildRun reference = RunChild(scenario, L"none");
    Print(L"== " + leaf + L": uninjected run " + std::to_wstring(reference.ms) + L" ms");
    for (const std::wstring &u : reference.unclassified) {
        m_findings.push_back({leaf, L"-", L"import " + u + L" can fail and has no row in the fault table"});
        ++m_problems;
    }
    if (reference.hung || reference.crashed || reference.exitCode != 0) {
        std::wstring why = L"the scenario does not pass uninjected (exit " + Hex32(reference.exitCode) + L")";
        for (const std::wstring &e : reference.errors) why += L"; " + e;
        m_findings.push_back({leaf, L"none", why});
        ++m_problems;
        Judge(scenario, L"none:0", reference, reference, false);
        return;
    }
    Judge(scenario, L"none:0", reference, reference, false);
    for (const FaultLabel &l : FaultLabels()) {
        if (!Wanted(l.import) && !Wanted(l.label)) continue;
        const auto it = reference.calls.find(l.import);
        const long n = it == reference.calls.end() ? 0 : it->second;
        m_matrix[{l.label, leaf}].calls = n;
        if (n == 0) continue;
        std::vector<long> ks;
        if (m_options.allCalls) {
            for (long k = 1; k <= n; ++k) ks.push_back(k);
        } else {
            if (m_options.firstCall) ks.push_back(1);
            if (m_options.lastCall && (n > 1 || !m_options.firstCall)) ks.push_back(n);
        }
        for (long k : ks) {
            const std::wstring target = std::wstring(l.label.begin(), l.label.end()) + L":" + std::to_wstring(k);
            const ChildRun run = RunChild(scenario, target);
            Judge(scenario, target, reference, run, true);
        }
    }
    // A long sweep says how far it got, and what it found, as it goes.
    Print(L"   " + leaf + L": " + std::to_wstring(m_injections - injectionsBefore) + L" injections, findings so far " +
          std::to_wstring(m_findings.size()));
    for (size_t i = findingsBefore; i < m_findings.size(); ++i)
        Print(L"   " + m_findings[i].target + L": " + m_findings[i].what);
}

int Sweep::Run() {
    wchar_t szExe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    m_exe = szExe;
    wchar_t szTemp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, szTemp);
    m_resultPath = std::wstring(szTemp) + L"oemuihost-sweep-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    const DWORD start = GetTickCount();
    for (const std::wstring &scenario : m_options.scenarios) SweepScenario(scenario);
    DeleteFileW(m_resultPath.c_str());
    const DWORD seconds = (GetTickCount() - start + 500) / 1000;
    const std::wstring summary = std::to_wstring(m_injections) + L" injections, " + std::to_wstring(m_crashes) +
                                 L" crashes, " + std::to_wstring(m_hangs) + L" hangs, " + std::to_wstring(m_torn) +
                                 L" torn writes, " + std::to_wstring(m_leaks) + L" leaks";
    const bool failed = m_crashes + m_hangs + m_torn + m_leaks + m_problems != 0;
    if (m_options.json) {
        std::wstring json = L"{\"rows\": [";
        bool first = true;
        for (const auto &m : m_matrix) {
            const Cell &c = m.second;
            json += std::wstring(first ? L"" : L",") + L"\n  {\"import\": \"" + std::wstring(m.first.first.begin(), m.first.first.end()) +
                    L"\", \"scenario\": \"" + m.first.second + L"\", \"calls\": " + std::to_wstring(c.calls) +
                    L", \"runs\": " + std::to_wstring(c.runs) + L", \"survived\": " + std::to_wstring(c.survived) +
                    L", \"hangs\": " + std::to_wstring(c.hangs) + L", \"torn\": " + std::to_wstring(c.torn) +
                    L", \"leaks\": " + std::to_wstring(c.leaks) + L"}";
            first = false;
        }
        json += L"],\n \"findings\": [";
        first = true;
        for (const Finding &f : m_findings) {
            std::wstring what;
            for (wchar_t ch : f.what) {
                if (ch == L'"' || ch == L'\\') what += L'\\';
                if (ch >= 0x20) what += ch;
            }
            json += std::wstring(first ? L"" : L",") + L"\n  {\"scenario\": \"" + f.scenario + L"\", \"injection\": \"" +
                    f.target + L"\", \"what\": \"" + what + L"\"}";
            first = false;
        }
        json += L"],\n \"seconds\": " + std::to_wstring(seconds) + L", \"summary\": \"" + summary + L"\"}\n";
        oemuihost::Print(json);
        return failed ? 1 : 0;
    }
    Print(L"");
    auto row = [&](const std::wstring &a, const std::wstring &b, const std::wstring &c, const std::wstring &d,
                   const std::wstring &e, const std::wstring &f, const std::wstring &g, const std::wstring &h) {
        std::wstring line = a;
        line.resize(std::max<size_t>(line.size() + 1, 26), L' ');
        line += b;
        line.resize(std::max<size_t>(line.size() + 1, 70), L' ');
        for (const std::wstring *col : {&c, &d, &e, &f, &g, &h}) {
            std::wstring cell(9 > col->size() ? 9 - col->size() : 1, L' ');
            line += cell + *col;
        }
        return line;
    };
    Print(row(L"import", L"scenario", L"calls", L"runs", L"survived", L"hangs", L"torn", L"leaks"));
    for (const auto &m : m_matrix) {
        const Cell &c = m.second;
        if (c.calls == 0 && c.runs == 0 && m.first.first != "none") continue;
        Print(row(std::wstring(m.first.first.begin(), m.first.first.end()), m.first.second, std::to_wstring(c.calls),
                  std::to_wstring(c.runs), std::to_wstring(c.survived), std::to_wstring(c.hangs),
                  std::to_wstring(c.torn), std::to_wstring(c.leaks)));
    }
    if (!m_findings.empty()) {
        Print(L"");
        for (const Finding &f : m_findings) Print(f.scenario + L" " + f.target + L": " + f.what);
    }
    if (m_missed != 0) Print(std::to_wstring(m_missed) + L" replays did not reach the call to fail");
    Print(L"run time " + std::to_wstring(seconds) + L" s");
    Print(summary);
    return failed ? 1 : 0;
}

}  // namespace

int RunSweep(const SweepOptions &options) {
    Sweep sweep(options);
    return sweep.Run();
}

}  // namespace oemuihost
