// Looking steps: dumps of the device mode, printer data, per-user registry,
// helper calls, option items, the dialog or page shown and captured print
// jobs, and screenshots of the dialog or sheet. Expectations live apart.
#include "host/scenario_runner_impl.h"

#include <prsht.h>

#include "host/dumps.h"
#include "host/screenshot.h"
#include "host/word_match.h"

namespace oemuihost {

bool ScenarioRunner::Screenshot(const std::wstring &path, std::wstring *pError) {
    HWND hWnd = m_watcher.Current();
    if (hWnd == nullptr) hWnd = OpenSheetWindow();
    if (hWnd == nullptr) {
        *pError = L"no dialog or sheet to take a picture of";
        return false;
    }
    // Let every control paint, and the display catch up, before the picture.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 300) {
        PumpPending(m_watcher.Current());
        GdiFlush();
        Sleep(20);
    }
    // %TEMP% and the like, so that a scenario need not know the machine.
    wchar_t szPath[MAX_PATH] = {};
    const DWORD cch = ExpandEnvironmentStringsW(path.c_str(), szPath, MAX_PATH);
    if (cch == 0 || cch > MAX_PATH) {
        *pError = L"the path " + path + L" is too long";
        return false;
    }
    if (!SaveWindowPng(hWnd, szPath, pError)) return false;
    m_report.Add(L"sheet", L"screenshot of \"" + WindowText(hWnd) + L"\" saved to " + szPath);
    return true;
}

bool ScenarioRunner::Dump(const std::wstring &what, std::wstring *pError) {
    if (Is(what, L"job")) {
        if (!NeedPlugin(pError)) return false;
        ReportFields fields;
        for (const CapturedDocument &doc : m_jobs->TakeDocuments()) {
            fields.emplace_back(L"document", L"\"" + doc.name + L"\" " + doc.dataType +
                                                 (doc.jobId == 0 ? L", refused by the spooler" : L""));
            if (!doc.ended) continue;
            fields.emplace_back(L"bytes", std::to_wstring(doc.bytes.size()));
            fields.emplace_back(L"hex", HexBytes(doc.bytes.data(), doc.bytes.size()));
            fields.emplace_back(L"text", ReadableBytes(doc.bytes));
        }
        m_report.Add(L"dump", L"print jobs since the last dump job (port " + m_jobs->Port() + L")", fields);
        return true;
    }
    if (Is(what, L"dialog")) {
        std::wstring ignored;
        HWND hWnd = TargetWindow(Context(), &ignored);
        if (hWnd == nullptr) {
            *pError = L"no dialog or page is open";
            return false;
        }
        std::wstring label = L"dialog \"" + WindowText(hWnd) + L"\"";
        if (m_watcher.Current() == nullptr) {
            const int page = static_cast<int>(PropSheet_HwndToIndex(OpenSheetWindow(), hWnd));
            const std::vector<std::wstring> &titles = m_session->PageTitles();
            label = L"page " + std::to_wstring(page) +
                    (page >= 0 && static_cast<size_t>(page) < titles.size() ? L" \"" + titles[static_cast<size_t>(page)] + L"\"" : L"") +
                    L" of \"" + WindowText(OpenSheetWindow()) + L"\"";
        }
        m_report.Add(L"dump", label, DescribeDialog(hWnd));
        return true;
    }
    const bool all = Is(what, L"all");
    const bool open = m_session && m_session->IsOpen();
    if (Is(what, L"items") || (all && open)) {
        if (!NeedSession(pError)) return false;
        m_report.Add(L"dump", L"option items", m_session->DescribeItems());
    }
    if (Is(what, L"devmode") || all) {
        const DriverDevMode &dm = open ? m_session->DevMode() : m_lastDevMode;
        if (dm.Empty()) {
            if (!all) {
                *pError = L"no device mode yet (open a printing-preferences sheet first)";
                return false;
            }
        } else {
            m_report.Add(L"dump", open ? L"device mode" : L"device mode of the last sheet", DescribeDevMode(dm));
        }
    }
    if (Is(what, L"printerdata") || Is(what, L"registry") || all) {
        if (m_printer.empty()) {
            if (!all) {
                *pError = L"no printer yet (use model or printer first)";
                return false;
            }
        } else {
            if (Is(what, L"printerdata") || all) {
                ReportFields fields;
                if (!DescribePrinterData(m_printer, &fields, pError)) return false;
                m_report.Add(L"dump", L"printer data of \"" + m_printer + L"\"", fields);
            }
            if (Is(what, L"registry") || all)
                m_report.Add(L"dump", L"per-user registry values", DescribeUserRegistry(m_printer));
        }
    }
    if (Is(what, L"calls") || all) {
        ReportFields calls;
        const std::vector<ReportEntry> &entries = m_report.Entries();
        for (size_t i = m_callsShown; i < entries.size(); ++i)
            if (entries[i].kind == L"helper") calls.emplace_back(L"line " + std::to_wstring(entries[i].line), entries[i].text);
        m_callsShown = entries.size();
        m_report.Add(L"dump", std::to_wstring(calls.size()) + L" helper calls since the last dump", calls);
    }
    return true;
}

}  // namespace oemuihost
