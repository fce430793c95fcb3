#include "troubleshooting/html_help.h"

#include "common/bounded_format.h"
#include "settings/model_config.h"

namespace oemui {

HWND OpenHtmlHelp(HWND, const wchar_t *, UINT, DWORD_PTR) { return nullptr; }

void BuildHelpAddress(wchar_t *pszDest, size_t cchDest, const ModelConfig *pConfig,
                      const wchar_t *pszFolder, const wchar_t *pszTopic) {
    if (pszDest == nullptr || cchDest == 0) return;
    pszDest[0] = L'\0';
    if (pConfig == nullptr) return;
    FormatCchW(pszDest, cchDest, L"%s%s.chm::\\%s\\%s", pConfig->szDriverDir, pConfig->szOemPrefix,
               pszFolder, pszTopic);
}

void ShowHelpTopic(HWND hOwner, const ModelConfig *pConfig, const wchar_t *pszFolder,
                   const wchar_t *pszTopic) {
    wchar_t szAddress[MAX_PATH];
    BuildHelpAddress(szAddress, MAX_PATH, pConfig, pszFolder, pszTopic);
    OpenHtmlHelp(hOwner, szAddress, kHelpDisplayTopic, 0);
}

}  // namespace oemui
