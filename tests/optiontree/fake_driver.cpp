#include "optiontree/fake_driver.h"

#include <cstdio>
#include <cstring>

#include <winspool.h>

namespace optiontest {
namespace {

FakePrinter *g_printer = nullptr;
std::wstring g_dataFile, g_driverDir;
int g_modelCounter = 0;

BOOL WINAPI FakeGetPrinterDriverW(HANDLE, LPWSTR, DWORD, LPBYTE pBuf, DWORD cbBuf, LPDWORD pcbNeeded) {
    const DWORD cbText = static_cast<DWORD>((g_dataFile.size() + 1) * sizeof(wchar_t));
    *pcbNeeded = sizeof(DRIVER_INFO_2W) + cbText;
    if (pBuf == nullptr || cbBuf < *pcbNeeded) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto *pInfo = reinterpret_cast<DRIVER_INFO_2W *>(pBuf);
    std::memset(pInfo, 0, sizeof(*pInfo));
    pInfo->pDataFile = reinterpret_cast<wchar_t *>(pBuf + sizeof(DRIVER_INFO_2W));
    std::memcpy(pInfo->pDataFile, g_dataFile.c_str(), cbText);
    return TRUE;
}

BOOL WINAPI FakeGetPrinterDriverDirectoryW(LPWSTR, LPWSTR, DWORD, LPBYTE pBuf, DWORD cbBuf, LPDWORD pcbNeeded) {
    *pcbNeeded = static_cast<DWORD>((g_driverDir.size() + 1) * sizeof(wchar_t));
    if (cbBuf < *pcbNeeded) return FALSE;
    std::memcpy(pBuf, g_driverDir.c_str(), *pcbNeeded);
    return TRUE;
}

DWORD WINAPI FakeGetPrinterDataW(HANDLE, LPWSTR pName, LPDWORD pType, LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded) {
    auto it = g_printer->data.find(pName);
    if (it == g_printer->data.end()) return ERROR_FILE_NOT_FOUND;
    *pcbNeeded = static_cast<DWORD>(it->second.data.size());
    if (pType != nullptr) *pType = it->second.type;
    if (nSize < *pcbNeeded) return ERROR_MORE_DATA;
    std::memcpy(pData, it->second.data.data(), *pcbNeeded);
    return ERROR_SUCCESS;
}

DWORD WINAPI FakeSetPrinterDataW(HANDLE, LPWSTR pName, DWORD type, LPBYTE pData, DWORD cbData) {
    g_printer->data[pName] = PrinterValue{type, std::vector<BYTE>(pData, pData + cbData)};
    return ERROR_SUCCESS;
}

void WriteText(const std::wstring &path, const std::string &text) {
    FILE *f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

template <typename Fn>
std::unique_ptr<testsupport::ImportPatch> Patch(const char *name, Fn fn) {
    return std::make_unique<testsupport::ImportPatch>(GetModuleHandleW(nullptr), nullptr, name,
                                                      reinterpret_cast<void *>(fn));
}

}  // namespace

void DriverItems::Add(const char *keyword, BYTE pubId, LONG sel, bool bare) {
    OPTITEM item = {};
    item.cbSize = sizeof(OPTITEM);
    item.DMPubID = pubId;
    item.Sel = sel;
    if (!bare) {
        users.push_back(USERDATA{});
        if (keyword != nullptr) {
            keywords.emplace_back(keyword);
            users.back().pKeyWordName = const_cast<char *>(keywords.back().c_str());
        }
        item.UserData = reinterpret_cast<ULONG_PTR>(&users.back());
    }
    items.push_back(item);
}

HRESULT STDMETHODCALLTYPE FakeDriverUI::DrvGetDriverSetting(PVOID, PCSTR feature, PVOID pOut, DWORD cb,
                                                            PDWORD pcbNeeded, PDWORD) {
    asked.emplace_back(feature);
    auto it = settings.find(feature);
    if (it == settings.end()) return E_INVALIDARG;
    *pcbNeeded = static_cast<DWORD>(it->second.size() + 1);
    if (cb < *pcbNeeded) return E_OUTOFMEMORY;
    std::memcpy(pOut, it->second.c_str(), *pcbNeeded);
    return S_OK;
}

FakePrinter::FakePrinter() {
    patches_.push_back(Patch("GetPrinterDriverW", FakeGetPrinterDriverW));
    patches_.push_back(Patch("GetPrinterDriverDirectoryW", FakeGetPrinterDriverDirectoryW));
    patches_.push_back(Patch("GetPrinterDataW", FakeGetPrinterDataW));
    patches_.push_back(Patch("SetPrinterDataW", FakeSetPrinterDataW));
    wchar_t szTemp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, szTemp);
    dir_ = std::wstring(szTemp) + L"oemuiot" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir_.c_str(), nullptr);
    CreateDirectoryW((dir_ + L"\\3").c_str(), nullptr);
    g_printer = this;
    g_driverDir = dir_;
}

FakePrinter::~FakePrinter() { g_printer = nullptr; }

void FakePrinter::WriteModel(const std::string &oemFilesAndIni, const std::string &dat) {
    // The model files are named from the data file cut at its first dot.
    ASSERT_EQ(dir_.find(L'.'), std::wstring::npos);
    const std::string n = std::to_string(++g_modelCounter);
    const std::wstring wn(n.begin(), n.end());
    const std::wstring stem = dir_ + L"\\3\\MDL" + wn;
    g_dataFile = stem + L".GPD";
    WriteText(g_dataFile, "*GPDFileVersion: \"1.0\"\r\n");
    WriteText(stem + L".VER", "[Version]\r\nLanguageDependent=0\r\n");
    WriteText(stem + L"u.INI", "[OEMFiles]\r\nOEMPrefix=PX" + n + "\r\n" + oemFilesAndIni);
    WriteText(dir_ + L"\\3\\PX" + wn + L".DAT", dat);
}

void FakePrinter::SetDword(const wchar_t *valueName, DWORD value) {
    const BYTE *p = reinterpret_cast<const BYTE *>(&value);
    data[valueName] = PrinterValue{REG_DWORD, std::vector<BYTE>(p, p + 4)};
}

DWORD FakePrinter::Dword(const wchar_t *valueName) const {
    auto it = data.find(valueName);
    if (it == data.end() || it->second.type != REG_DWORD || it->second.data.size() != 4) {
        ADD_FAILURE() << "no 4-byte REG_DWORD";
        return 0xFFFFFFFF;
    }
    DWORD value = 0;
    std::memcpy(&value, it->second.data.data(), 4);
    return value;
}

std::wstring FakePrinter::Text(const wchar_t *valueName) const {
    auto it = data.find(valueName);
    if (it == data.end()) return L"<absent>";
    EXPECT_EQ(it->second.type, static_cast<DWORD>(REG_SZ));
    return std::wstring(reinterpret_cast<const wchar_t *>(it->second.data.data()), it->second.data.size() / 2);
}

std::vector<SheetCall> g_sheetCalls;
LONG_PTR g_sheetNextResult = 0x1000;

LONG_PTR CALLBACK RecordingComPropSheet(HANDLE, UINT uFunction, LPARAM lParam1, LPARAM lParam2) {
    SheetCall call = {uFunction, {}, {}};
    if (uFunction == CPSFUNC_ADD_PROPSHEETPAGEW) {
        call.page = *reinterpret_cast<const PROPSHEETPAGEW *>(lParam1);
        call.title = call.page.pszTitle;
    } else {
        EXPECT_EQ(lParam2, static_cast<LPARAM>(CPSUI_OK));
    }
    g_sheetCalls.push_back(call);
    return g_sheetNextResult++;
}

void OptionTreeTest::SetUp() {
    heap = HeapCreate(0, 0, 0);
    g_sheetCalls.clear();
    publicDM.dmCopies = 1;
    publicDM.dmColor = DMCOLOR_COLOR;
    publicDM.dmCollate = DMCOLLATE_TRUE;
    pdm.dmExtraHdr = {oemui::kPrivateDevModeSize, oemui::kPluginSignature, oemui::kPluginVersion};
}

OEMCUIPPARAM &OptionTreeTest::Param(DWORD n) {
    OPTITEM guard;
    std::memset(&guard, 0xAB, sizeof(guard));
    items.assign(n + 2, guard);
    param = {};
    param.cbSize = sizeof(param);
    param.poemuiobj = &uiObject;
    param.hPrinter = printer.Handle();
    param.pPrinterName = printer.name;
    param.hOEMHeap = heap;
    param.pPublicDM = &publicDM;
    param.pOEMDM = &pdm;
    param.pDrvOptItems = driver.items.data();
    param.cDrvOptItems = static_cast<DWORD>(driver.items.size());
    param.pOEMOptItems = items.data();
    param.cOEMOptItems = n;
    return param;
}

bool OptionTreeTest::GuardsIntact() const {
    for (size_t i = items.size() - 2; i < items.size(); ++i) {
        const BYTE *p = reinterpret_cast<const BYTE *>(&items[i]);
        for (size_t b = 0; b < sizeof(OPTITEM); ++b)
            if (p[b] != 0xAB) return false;
    }
    return true;
}

}  // namespace optiontest
