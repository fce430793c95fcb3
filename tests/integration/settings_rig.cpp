#include "integration/settings_rig.h"

#include <cstring>
#include <vector>

#include <windows.h>
#include <winspool.h>

namespace settingsrig {
namespace {

struct Sample {
    const wchar_t *pszFolder;
    const wchar_t *pszPrinter;
};
constexpr Sample kSamples[] = {
    {L"talix_c500", kTalix},
    {L"korvant_k30", kKorvant},
    {L"korvant_k45s", kSecure},
    {L"mero_p45ps", kMero},
};

constexpr char kScratchIni[] =
    "[OEMFiles]\r\nOEMPrefix=SCR\r\n[Common]\r\nCaption=Korvant Scratch\r\n"
    "PrinterHDD=1\r\n[FUNCTION]\r\nAutoConfiguration=0\r\n";
constexpr char kScratchVer[] = "[Version]\r\nLanguageDependent=0\r\n";

std::wstring ScratchSourceDir() {
    wchar_t sz[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, sz);
    return std::wstring(sz) + L"oemui_settings_scratch\\";
}

void WriteFileBytes(const std::wstring &path, const void *pData, size_t cb) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, pData, static_cast<DWORD>(cb), &written, nullptr);
    CloseHandle(h);
}

}  // namespace

std::wstring FakeDriver::dataFile;
int FakeDriver::calls = 0;

BOOL WINAPI FakeDriver::GetPrinterDriverW(HANDLE, LPWSTR, DWORD level, LPBYTE pBuf, DWORD cbBuf,
                                          LPDWORD pcbNeeded) {
    ++calls;
    const DWORD cbText = static_cast<DWORD>((dataFile.size() + 1) * sizeof(wchar_t));
    const DWORD cbNeeded = sizeof(DRIVER_INFO_2W) + cbText;
    if (pcbNeeded != nullptr) *pcbNeeded = cbNeeded;
    if (level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (pBuf == nullptr || cbBuf < cbNeeded) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto *pInfo = reinterpret_cast<DRIVER_INFO_2W *>(pBuf);
    std::memset(pInfo, 0, sizeof(*pInfo));
    auto *pText = reinterpret_cast<wchar_t *>(pBuf + sizeof(DRIVER_INFO_2W));
    std::memcpy(pText, dataFile.c_str(), cbText);
    pInfo->cVersion = 3;
    pInfo->pDataFile = pText;
    return TRUE;
}

std::wstring DriverFilesDir() {
    wchar_t sz[MAX_PATH] = {};
    DWORD cb = 0;
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(sz), sizeof(sz), &cb);
    return std::wstring(sz) + L"\\3\\";
}

void WriteScratchFile(const wchar_t *pszName, const void *pData, size_t cb) {
    const std::wstring path = DriverFilesDir() + pszName;
    if (pData == nullptr)
        DeleteFileW(path.c_str());
    else
        WriteFileBytes(path, pData, cb);
    // The profile API keeps the last file it read; make it read ours anew.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
}

void WriteScratchText(const wchar_t *pszName, const char *pszText) {
    WriteScratchFile(pszName, pszText, std::strlen(pszText));
}

void ResetScratch() {
    WriteScratchText(L"SCRATCHu.INI", kScratchIni);
    WriteScratchText(L"SCRATCH.VER", kScratchVer);
}

bool InstallAll(std::wstring *pError) {
    const std::wstring models = oemuihost::SampleModelsDirectory();
    for (const Sample &s : kSamples) {
        if (!oemuihost::InstallModelPrinter(models + s.pszFolder, s.pszPrinter, L"", L"", nullptr, pError))
            return false;
    }
    const std::wstring scratch = ScratchSourceDir();
    CreateDirectoryW(scratch.c_str(), nullptr);
    const char gpd[] = "*GPDFileVersion: \"1.0\"\r\n";
    WriteFileBytes(scratch + L"SCRATCH.GPD", gpd, sizeof(gpd) - 1);
    WriteFileBytes(scratch + L"SCRATCHu.INI", kScratchIni, sizeof(kScratchIni) - 1);
    WriteFileBytes(scratch + L"SCRATCH.VER", kScratchVer, sizeof(kScratchVer) - 1);
    return oemuihost::InstallModelPrinter(scratch, kScratch, L"", L"", nullptr, pError);
}

void UninstallAll() {
    for (const Sample &s : kSamples) oemuihost::UninstallModelPrinter(s.pszPrinter, L"");
    oemuihost::UninstallModelPrinter(kScratch, L"");
    const std::wstring scratch = ScratchSourceDir();
    for (const wchar_t *name : {L"SCRATCH.GPD", L"SCRATCHu.INI", L"SCRATCH.VER"})
        DeleteFileW((scratch + name).c_str());
    RemoveDirectoryW(scratch.c_str());
}

void ForgetLanguage(const wchar_t *pszPrinter) {
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Qvprint\\") + pszPrinter).c_str());
}

Loaded LoadFor(const wchar_t *pszPrinter, const wchar_t *pszNameOverride) {
    Loaded out;
    HANDLE hPrinter = nullptr;
    OpenPrinterW(const_cast<LPWSTR>(pszPrinter), &hPrinter, nullptr);
    HANDLE hHeap = HeapCreate(0, 0, 0);
    oemui::ModelConfig *pConfig = oemui::CreateModelConfig(hHeap);
    if (pConfig != nullptr) {
        OEMUIPSPARAM ps = {};
        ps.cbSize = sizeof(ps);
        ps.hPrinter = hPrinter;
        ps.pPrinterName = const_cast<PWSTR>(pszNameOverride != nullptr ? pszNameOverride : pszPrinter);
        ps.hOEMHeap = hHeap;
        pConfig->pPsParam = &ps;
        pConfig->hPrinter = hPrinter;
        oemui::LoadModelConfig(pConfig);
        out.sBrand = pConfig->sBrand;
        out.dwIsPpd = pConfig->dwIsPpd;
        out.driverDir = pConfig->szDriverDir;
        out.prefix = pConfig->szOemPrefix;
        out.languageCode = pConfig->szLanguageCode;
        out.datPath = pConfig->pDat->Path();
        out.iniPath = pConfig->pIni->Path();
        out.verPath = pConfig->pVer->Path();
        out.hinPath = pConfig->pHin->Path();
        out.hinSection = pConfig->pHin->Section();
        out.dwGraphicsCopiesSetting = pConfig->dwGraphicsCopiesSetting;
        out.dwPrinterHDD = pConfig->dwPrinterHDD;
        out.dwPrinterInstalledHDD = pConfig->dwPrinterInstalledHDD;
        out.lGrayscaleEnh = pConfig->lGrayscaleEnh;
        out.sExtrasSecurePrint = pConfig->sExtrasSecurePrint;
        out.dwPrinterJobAccounting = pConfig->dwPrinterJobAccounting;
        pConfig->pPsParam = nullptr;
        oemui::FreeModelConfig(hHeap, pConfig);
    }
    HeapDestroy(hHeap);
    if (hPrinter != nullptr) ClosePrinter(hPrinter);
    return out;
}

}  // namespace settingsrig
