#include "sheet_support.h"

#include <prsht.h>

#include <cstdio>

#include "host/printer_install.h"

namespace bench {

using namespace oemuihost;

PluginEnv::~PluginEnv() {
    if (m_host.Plugin() != nullptr) m_host.Unload();
    if (m_pHelper != nullptr) m_pHelper->Release();
}

bool PluginEnv::Load() {
    if (!m_host.Load(ExecutableDirectory() + L"OEMUI.DLL")) {
        std::fprintf(stderr, "plug-in: %ls\n", m_host.Error().c_str());
        return false;
    }
    m_pHelper = new DriverHelper(&m_report);
    m_host.Publish(m_pHelper);
    return true;
}

SessionEnv PluginEnv::Sessions() {
    SessionEnv env;
    env.pPlugin = m_host.Plugin();
    env.hPlugin = m_host.Module();
    env.pHelper = m_pHelper;
    env.pReport = &m_report;
    return env;
}

bool InstallPrinter(const std::wstring &model, const wchar_t *pszPrinter) {
    std::wstring error;
    InstalledPrinter installed;
    UninstallModelPrinter(pszPrinter, pszPrinter);
    const std::wstring dir = model.find(L'\\') != std::wstring::npos ? model : SampleModelsDirectory() + model;
    if (InstallModelPrinter(dir, pszPrinter, L"FILE:", pszPrinter, &installed, &error))
        return true;
    std::fprintf(stderr, "install %ls: %ls\n", model.c_str(), error.c_str());
    return false;
}

void UninstallPrinter(const wchar_t *pszPrinter) { UninstallModelPrinter(pszPrinter, pszPrinter); }

bool OpenSheet(Session &session, const wchar_t *pszPrinter, SheetKind kind) {
    std::wstring error;
    if (session.Open(pszPrinter, kind, false, &error)) return true;
    std::fprintf(stderr, "cannot open a sheet on %ls: %ls\n", pszPrinter, error.c_str());
    return false;
}

Opening PressButton(Session &session, const wchar_t *pszCaption) {
    OptionTree &tree = session.Tree();
    POPTITEM pItem = nullptr;
    for (DWORD i = tree.DriverCount(); i < tree.Count(); ++i)
        if (tree.Caption(i) == pszCaption) pItem = &tree.Items()[i];
    if (pItem == nullptr || pItem->pOptType == nullptr || pItem->pOptType->pOptParam == nullptr) return {-1, -1, -1};
    auto pfn = reinterpret_cast<_CPSUICALLBACK>(reinterpret_cast<void *>(pItem->pOptType->pOptParam[0].pData));
    CPSUICBPARAM cb = {};
    cb.cbSize = sizeof(cb);
    cb.Reason = CPSUICB_REASON_PUSHBUTTON;
    cb.hDlg = PropSheet_GetCurrentPageHwnd(session.SheetWindow());
    cb.pOptItem = tree.Items();
    cb.cOptItem = static_cast<WORD>(tree.Count());
    cb.pCurItem = pItem;
    cb.OldSel = pItem->Sel;
    cb.UserData = pItem->UserData;
    return TimeModal([&] { pfn(&cb); });
}

int PageIndex(Session &session, const wchar_t *pszTitle) {
    const std::vector<std::wstring> &titles = session.PageTitles();
    for (size_t i = 0; i < titles.size(); ++i)
        if (titles[i] == pszTitle) return static_cast<int>(i);
    return -1;
}

}  // namespace bench
