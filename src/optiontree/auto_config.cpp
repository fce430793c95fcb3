#include "optiontree/auto_config.h"

#include <winspool.h>

#include <cwchar>

#include "common/bounded_format.h"
#include "common/handles.h"
#include "module/activation_context.h"
#include "module/module_state.h"
#include "optiontree/driver_item.h"
#include "settings/driver_info.h"
#include "settings/model_config.h"
#include "settings/port_address.h"
#include "settings/printer_values.h"

namespace oemui {
namespace {

// The model INI switches the request carries, with their defaults.
struct FunctionSwitch {
    const wchar_t *pszKey;
    int nDefault;
};
constexpr FunctionSwitch kFunctionSwitches[] = {
    {L"SupportMpTray", 1},
    {L"AutoCfgNetworkMDL", 0},
};

// Tray configuration code -> selections of the second, third and fourth tray
// (0 not fitted, 1 fitted, 2 large-capacity). Codes not listed mean no trays.
struct TrayConfiguration {
    SHORT sCode;
    LONG alSel[3];
};
constexpr TrayConfiguration kTrayConfigurations[] = {
    {0, {0, 0, 0}},  {1, {1, 0, 0}},  {3, {1, 1, 0}},  {4, {1, 1, 1}},
    {10, {2, 0, 0}}, {11, {1, 2, 0}}, {12, {1, 1, 2}},
};

constexpr size_t kPortNameCb = 256;  // 255 bytes and the NUL

POPTITEM FindItem(const OEMCUIPPARAM *pParam, const char *pszKeyword) {
    return FindDriverItem(pParam->pDrvOptItems, pParam->cDrvOptItems, pszKeyword, 0);
}

// The library sits beside the plug-in: the module's path with its last five
// characters ("I.DLL" for OEMUI.DLL) replaced by "N.DLL". A path that was cut,
// here or by the loader, would name some other file.
bool GetNetLibPath(wchar_t *pszPath) {
    wchar_t szModule[MAX_PATH] = {};
    const DWORD cch = GetModuleFileNameW(ModuleInstance(), szModule, MAX_PATH);
    if (cch < 5 || cch >= MAX_PATH) return false;
    szModule[cch - 5] = L'\0';
    return FormatCchW(pszPath, MAX_PATH, L"%sN.DLL", szModule) == S_OK;
}

// The printer's port name in the system ANSI code page. A name too long for
// the library's 255 bytes is not cut: the cut name could be another port.
bool GetPortNameA(HANDLE hPrinter, char *pszPort) {
    GlobalMemory block = ReadPrinterInfo2(hPrinter);
    if (!block) return false;
    const auto *pInfo = static_cast<const PRINTER_INFO_2W *>(static_cast<const void *>(block.get()));
    if (pInfo->pPortName == nullptr) return false;
    return WideCharToMultiByte(CP_ACP, 0, pInfo->pPortName, -1, pszPort, kPortNameCb, nullptr,
                               nullptr) > 0;
}

// Frees the record from the heap it came from.
class HeapRecord {
public:
    explicit HeapRecord(HANDLE hHeap)
        : m_hHeap(hHeap),
          m_pRecord(static_cast<NetLibRecord *>(HeapAlloc(hHeap, HEAP_ZERO_MEMORY, sizeof(NetLibRecord)))) {}
    ~HeapRecord() {
        if (m_pRecord != nullptr) HeapFree(m_hHeap, 0, m_pRecord);
    }
    HeapRecord(const HeapRecord &) = delete;
    HeapRecord &operator=(const HeapRecord &) = delete;
    NetLibRecord *get() const { return m_pRecord; }

private:
    HANDLE m_hHeap;
    NetLibRecord *m_pRecord;
};

void BuildRequest(const OEMCUIPPARAM *pParam, ModelConfig *pConfig, NetLibRecord *pRecord) {
    for (const InstallableOption &option : kInstallableOptions) {
        if (option.pWord == nullptr || option.rule == RequestRule::kNone) continue;
        const bool bFound = FindItem(pParam, option.pszKeyword) != nullptr;
        if (bFound)
            pRecord->*option.pWord = 0;
        else if (option.rule == RequestRule::kSetWord)
            pRecord->*option.pWord = -1;
    }
    pRecord->sReserved0 = -1;
    pRecord->sReserved2 = -1;
    pRecord->sReserved10 = -1;
    pRecord->sReserved14 = -1;
    pRecord->sReserved18 = -1;
    pRecord->bSupportMpTray = static_cast<BYTE>(ReadFunctionSwitch(pParam, pConfig, L"SupportMpTray"));
    pRecord->bAutoCfgNetworkMDL =
        static_cast<BYTE>(ReadFunctionSwitch(pParam, pConfig, L"AutoCfgNetworkMDL"));
}

// Sets one driver item to the answered selection and tells the driver, only
// when the selection differs. A selection beyond the item's own option list
// is refused: the driver indexes its options with it.
bool SetItemSelection(const OEMCUIPPARAM *pParam, IPrintOemDriverUI *pDriverUI, POPTITEM pItem,
                      const char *pszKeyword, LONG lSel, const char *pszOptionName) {
    if (pItem == nullptr || pItem->Sel == lSel) return false;
    if (lSel < 0 || pItem->pOptType == nullptr || lSel >= static_cast<LONG>(pItem->pOptType->Count))
        return false;
    pItem->Sel = lSel;
    pDriverUI->DrvUpgradeRegistrySetting(pParam->hPrinter, pszKeyword, pszOptionName);
    return true;
}

void ApplyTrays(const OEMCUIPPARAM *pParam, IPrintOemDriverUI *pDriverUI, SHORT sCode) {
    // A negative code is the library's "no answer", as in the other words;
    // it must not turn every fitted tray off.
    if (sCode < 0) return;
    const LONG *plSel = kTrayConfigurations[0].alSel;
    for (const TrayConfiguration &config : kTrayConfigurations) {
        if (config.sCode == sCode) plSel = config.alSel;
    }
    for (const TrayItem &tray : kTrayItems) {
        const LONG lSel = plSel[tray.nTray];
        SetItemSelection(pParam, pDriverUI, FindItem(pParam, tray.pszKeyword), tray.pszKeyword, lSel,
                         kTrayOptionNames[lSel]);
    }
}

void ApplySwitchedOption(const OEMCUIPPARAM *pParam, IPrintOemDriverUI *pDriverUI,
                         const SwitchedOption &option, SHORT sAnswer) {
    if (sAnswer < 0) return;
    const char *pszKeyword = option.pszKeyword;
    POPTITEM pItem = FindItem(pParam, pszKeyword);
    if (pItem == nullptr && option.pszOtherKeyword != nullptr) {
        pszKeyword = option.pszOtherKeyword;
        pItem = FindItem(pParam, pszKeyword);
    }
    const char *pszName = sAnswer != 0 ? option.pszOnName : option.pszOffName;
    if (!SetItemSelection(pParam, pDriverUI, pItem, pszKeyword, sAnswer, pszName)) return;
    if (option.bStoreDiskSetting) {
        SetPrinterDword(pParam->hPrinter, kHddSettingValue, static_cast<DWORD>(sAnswer));
    }
}

}  // namespace

int ReadFunctionSwitch(const OEMCUIPPARAM *pParam, ModelConfig *pConfig, const wchar_t *pszKey) {
    if (pParam == nullptr || pszKey == nullptr) return 0;
    const FunctionSwitch *pSwitch = nullptr;
    for (const FunctionSwitch &candidate : kFunctionSwitches) {
        if (std::wcscmp(candidate.pszKey, pszKey) == 0) pSwitch = &candidate;
    }
    if (pSwitch == nullptr) return 0;

    // The context's reader already knows the model INI; its current section
    // belongs to whoever set it, so it is put back afterwards.
    if (pConfig != nullptr && pConfig->pIni != nullptr && pConfig->pIni->Path()[0] != L'\0') {
        ProfileReader &ini = *pConfig->pIni;
        wchar_t szSection[MAX_PATH];
        CopyCchW(szSection, MAX_PATH, ini.Section());
        ini.SetSection(L"FUNCTION");
        const int nValue = ini.ReadInt(pSwitch->pszKey, pSwitch->nDefault);
        ini.SetSection(szSection);
        return nValue;
    }

    wchar_t szIniPath[MAX_PATH];
    if (!ModelIniPathForPrinter(pParam->hPrinter, szIniPath)) return 0;
    return static_cast<int>(
        GetPrivateProfileIntW(L"FUNCTION", pSwitch->pszKey, pSwitch->nDefault, szIniPath));
}

void AutoConfigureOptions(POEMCUIPPARAM pParam, ModelConfig *pConfig, IPrintOemDriverUI *pDriverUI) {
    // Every change needs the helper; without it the library is not asked.
    if (pParam == nullptr || pDriverUI == nullptr) return;

    wchar_t szLibrary[MAX_PATH];
    if (!GetNetLibPath(szLibrary)) return;
    char szPort[kPortNameCb] = {};
    if (!GetPortNameA(pParam->hPrinter, szPort)) return;

    ActivationScope activation;
    ModuleHandle library(LoadLibraryW(szLibrary));
    if (!library) return;
    // GetProcAddress's generic type goes through void(*)() to the entry's own.
    auto pfnAutoUpdate = reinterpret_cast<PFN_SNMP_AutoUpdate>(
        reinterpret_cast<void (*)()>(GetProcAddress(library.get(), kNetLibEntryName)));
    if (pfnAutoUpdate == nullptr) return;

    HeapRecord record(pParam->hOEMHeap != nullptr ? pParam->hOEMHeap : GetProcessHeap());
    NetLibRecord *pRecord = record.get();
    if (pRecord == nullptr) return;
    BuildRequest(pParam, pConfig, pRecord);

    SHORT sFlag = 1;
    if (pfnAutoUpdate(szPort, pRecord, &sFlag, 0) == 0) return;

    ApplyTrays(pParam, pDriverUI, pRecord->sTrayConfig);
    for (const SwitchedOption &option : kSwitchedOptions) {
        ApplySwitchedOption(pParam, pDriverUI, option, pRecord->*option.pWord);
    }
}

}  // namespace oemui
