// What the plug-in does to the world outside it, recorded for the report and
// for expect steps: message boxes, beeps, shell execution, HTML Help calls,
// the network library's request and answer, dialogs ended, registry keys
// removed. Also the languages the plug-in is told the system and the user
// have. Calls are caught by replacing the plug-in module's imports (the
// plug-in carries no test hooks) and, for HTML Help, by a stand-in library
// registered where the plug-in's loader looks for the real one.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/import_patch.h"
#include "host/report.h"

namespace oemuihost {

struct RecordedCall {
    std::wstring kind;                // messagebox, beep, shellexecute, htmlhelp, netlib, enddialog, regdelete
    std::vector<std::wstring> fields;  // in the order the README lists for each kind
};

// The run's record of calls; also writes each call into the report.
class CallLog {
public:
    explicit CallLog(Report *pReport) : m_pReport(pReport) {}
    void Add(const std::wstring &kind, std::vector<std::wstring> fields);
    const std::vector<RecordedCall> &Calls() const { return m_calls; }

private:
    Report *m_pReport;
    std::vector<RecordedCall> m_calls;
};

// The log the import replacements write to (one scenario runs at a time).
CallLog *ActiveCallLog();
void SetActiveCallLog(CallLog *pLog);

// Two upper-case hexadecimal digits a byte.
std::wstring HexBytes(const void *p, size_t cb);

// "MB_YESNO | MB_ICONWARNING" and the like.
std::wstring MessageBoxStyleText(UINT uType);

// "0x0401", "1025", or a name (arabic, hebrew, english, german, french,
// japanese, ...); 0 when not understood.
LANGID ParseLangId(const std::wstring &text);

class SideEffects {
public:
    // helpLibraryPath: the HTML Help stand-in to register (empty: none).
    SideEffects(HMODULE hPlugin, CallLog *pLog, const std::wstring &helpLibraryPath);
    ~SideEffects();
    SideEffects(const SideEffects &) = delete;
    SideEffects &operator=(const SideEffects &) = delete;

    void SetLanguage(bool system, LANGID langId);
    // The next ShellExecuteW answers this instead of the default 42.
    void QueueShellResult(int result) { m_shellResults.push_back(result); }
    // Why HTML Help calls cannot be recorded, or empty.
    const std::wstring &HelpProblem() const { return m_helpProblem; }

private:
    void RegisterHelpLibrary(const std::wstring &path);
    void RestoreHelpRegistration();

    std::vector<std::unique_ptr<ImportPatch>> m_patches;
    std::vector<int> m_shellResults;
    HMODULE m_hHelp = nullptr;
    bool m_helpRegistered = false;
    bool m_hadHelpValue = false;
    std::string m_oldHelpValue;
    std::wstring m_helpProblem;

    friend struct SideEffectHooks;
};

// Where the HTML Help stand-in is built: beside the emulator.
std::wstring HelpStandInPath();

}  // namespace oemuihost
