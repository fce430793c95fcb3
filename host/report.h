// What a run of the emulator saw, in order: the steps, every call into the
// plug-in (with its HRESULT and last-error code), every call the plug-in made
// back into the driver helper or the sheet, callbacks, message boxes and
// dumps. Rendered as readable text or as JSON.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace oemuihost {

using ReportFields = std::vector<std::pair<std::wstring, std::wstring>>;

struct ReportEntry {
    int line = 0;          // scenario line being executed, 0 outside a scenario
    std::wstring kind;     // step, plugin, call, helper, sheet, callback, messagebox, dialog, dump, warning, error
    std::wstring text;
    ReportFields fields;   // dumps carry their values here
};

class Report {
public:
    void SetLine(int line) { m_line = line; }
    int Line() const { return m_line; }
    void Add(const std::wstring &kind, const std::wstring &text, ReportFields fields = ReportFields());
    // A plug-in call and its outcome; lastError is what the thread held right after it.
    void AddCall(const std::wstring &text, HRESULT hr, DWORD lastError, const std::wstring &detail = std::wstring());

    const std::vector<ReportEntry> &Entries() const { return m_entries; }
    size_t CountKind(const std::wstring &kind) const;

    std::wstring RenderText() const;
    std::string RenderJson(const std::wstring &scenario, int exitCode) const;

private:
    int m_line = 0;
    std::vector<ReportEntry> m_entries;
};

// "0x%08lX".
std::wstring Hex32(unsigned long value);

}  // namespace oemuihost
