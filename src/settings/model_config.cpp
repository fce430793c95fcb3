#include "settings/model_config.h"

#include <new>
#include <cwchar>

#include <winspool.h>

#include "common/bounded_format.h"
#include "settings/driver_info.h"
#include "settings/user_store.h"

namespace oemui {
namespace {

constexpr wchar_t kDriverSubdir[] = L"\\3\\";

struct BrandWord {
    const wchar_t *pszWord;
    SHORT sBrand;
};
// Tested in this order: a caption naming two brands takes the first listed.
constexpr BrandWord kBrandWords[] = {
    {L"KORVANT", kBrandKorvant},
    {L"TALIX", kBrandTalix},
    {L"MERO", kBrandMero},
};

ProfileReader **ReaderSlots(ModelConfig *pConfig, size_t index) {
    ProfileReader **slots[] = {&pConfig->pDat, &pConfig->pIni, &pConfig->pVer, &pConfig->pHin};
    return index < 4 ? slots[index] : nullptr;
}
constexpr size_t kReaderCount = 4;

ProfileReader *NewReader(HANDLE hHeap) {
    void *p = HeapAlloc(hHeap, HEAP_ZERO_MEMORY, sizeof(ProfileReader));
    return p != nullptr ? new (p) ProfileReader() : nullptr;
}

// A path that does not fit whole names some other file; such a reader gets
// no path and reads defaults.
void SetFormattedPath(ProfileReader *pReader, const wchar_t *pszFormat, ...) {
    wchar_t szPath[MAX_PATH];
    va_list args;
    va_start(args, pszFormat);
    const HRESULT hr = FormatCchVW(szPath, MAX_PATH, pszFormat, args);
    va_end(args);
    pReader->SetPath(hr == S_OK ? szPath : L"");
}

void ReadDriverDirectory(ModelConfig *pConfig) {
    DWORD cbNeeded = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(pConfig->szDriverDir),
                                    sizeof(pConfig->szDriverDir), &cbNeeded)) {
        pConfig->szDriverDir[0] = L'\0';
    }
    pConfig->szDriverDir[MAX_PATH - 1] = L'\0';
    const size_t len = LengthCchW(pConfig->szDriverDir, MAX_PATH);
    CopyCchW(pConfig->szDriverDir + len, MAX_PATH - len, kDriverSubdir);
}

// The stored code decides once per user and printer; an empty stored value
// is no code (it would name a table without a language).
void ChooseLanguageCode(ModelConfig *pConfig) {
    const wchar_t *pszPrinter = pConfig->pPsParam->pPrinterName;
    if (ReadLanguageCode(pszPrinter, pConfig->szLanguageCode, MAX_PATH) &&
        pConfig->szLanguageCode[0] != L'\0') {
        return;
    }
    DeriveLanguageCode(pConfig->szLanguageCode, MAX_PATH);
    WriteLanguageCode(pszPrinter, pConfig->szLanguageCode);
}

}  // namespace

SHORT BrandFromCaption(const ProfileReader &ini) {
    wchar_t szCaption[kProfileTextCch];
    ini.ReadText(L"Caption", szCaption);
    CharUpperBuffW(szCaption, static_cast<DWORD>(LengthCchW(szCaption, kProfileTextCch)));
    for (const BrandWord &brand : kBrandWords) {
        if (std::wcsstr(szCaption, brand.pszWord) != nullptr) return brand.sBrand;
    }
    return kBrandKorvant;
}

ModelConfig *CreateModelConfig(HANDLE hHeap) {
    if (hHeap == nullptr) return nullptr;
    auto *pConfig = static_cast<ModelConfig *>(HeapAlloc(hHeap, HEAP_ZERO_MEMORY, sizeof(ModelConfig)));
    if (pConfig == nullptr) return nullptr;
    for (size_t i = 0; i < kReaderCount; ++i) {
        ProfileReader **slot = ReaderSlots(pConfig, i);
        *slot = NewReader(hHeap);
        if (*slot == nullptr) {
            FreeModelConfig(hHeap, pConfig);
            return nullptr;
        }
    }
    return pConfig;
}

void FreeModelConfig(HANDLE hHeap, ModelConfig *pConfig) {
    if (hHeap == nullptr || pConfig == nullptr) return;
    for (size_t i = 0; i < kReaderCount; ++i) {
        ProfileReader **slot = ReaderSlots(pConfig, i);
        if (*slot != nullptr) HeapFree(hHeap, 0, *slot);
        *slot = nullptr;
    }
    HeapFree(hHeap, 0, pConfig);
}

void LoadModelConfig(ModelConfig *pConfig) {
    if (pConfig == nullptr || pConfig->pPsParam == nullptr || pConfig->pDat == nullptr ||
        pConfig->pIni == nullptr || pConfig->pVer == nullptr || pConfig->pHin == nullptr) {
        return;
    }
    const OEMUIPSPARAM &ps = *pConfig->pPsParam;
    ProfileReader &ini = *pConfig->pIni;
    ProfileReader &ver = *pConfig->pVer;
    for (size_t i = 0; i < kReaderCount; ++i) (*ReaderSlots(pConfig, i))->SetPath(L"");
    pConfig->szLanguageCode[0] = L'\0';

    ReadDriverDirectory(pConfig);

    // Without the driver's data-file name no model file can be named: every
    // reader keeps an empty path and all reads below give their defaults.
    wchar_t szStem[MAX_PATH] = L"";
    bool bHaveFiles = false;
    pConfig->dwIsPpd = 0;
    if (ps.hOEMHeap != nullptr) {
        BYTE *pInfo = QueryDriverInfo(ps.hOEMHeap, ps.hPrinter, 2);
        if (pInfo != nullptr) {
            const wchar_t *pszDataFile = reinterpret_cast<const DRIVER_INFO_2W *>(pInfo)->pDataFile;
            if (pszDataFile != nullptr && pszDataFile[0] != L'\0') {
                pConfig->dwIsPpd = std::wcsstr(pszDataFile, L".PPD") != nullptr ? 1 : 0;
                bHaveFiles = DataFileStem(pszDataFile, szStem, MAX_PATH);
            }
            HeapFree(ps.hOEMHeap, 0, pInfo);
        }
    }
    if (bHaveFiles) {
        SetFormattedPath(&ver, L"%s.VER", szStem);
        SetFormattedPath(&ini, L"%su.INI", szStem);
    }

    ini.SetSection(L"OEMFiles");
    ini.ReadText(L"OEMPrefix", pConfig->szOemPrefix);

    ini.SetSection(L"Common");
    pConfig->dwGraphicsCopiesSetting = static_cast<DWORD>(ini.ReadInt(L"GraphicsCopiesSetting", kAbsentMarker));
    pConfig->dwPrinterHDD = static_cast<DWORD>(ini.ReadInt(L"PrinterHDD", kAbsentMarker));
    pConfig->dwPrinterInstalledHDD = static_cast<DWORD>(ini.ReadInt(L"PrinterInstalledHDD", kAbsentMarker));
    pConfig->lGrayscaleEnh = ini.ReadInt(L"GraphicsGrayscaleEnh", kAbsentMarker);
    pConfig->sExtrasSecurePrint = static_cast<SHORT>(ini.ReadInt(L"ExtrasSecurePrint", kAbsentMarker));
    pConfig->dwPrinterJobAccounting = static_cast<DWORD>(ini.ReadInt(L"PrinterJobAccounting", kAbsentMarker));
    pConfig->sBrand = BrandFromCaption(ini);

    ver.SetSection(L"Version");
    const bool bLanguageDependent = ver.ReadInt(L"LanguageDependent", 0) == 1;
    if (!bHaveFiles) return;
    if (bLanguageDependent) ChooseLanguageCode(pConfig);

    if (pConfig->sBrand == kBrandMero) {
        pConfig->pDat->SetPath(ini.Path());
    } else if (bLanguageDependent) {
        SetFormattedPath(pConfig->pDat, L"%s%s%s.DAT", pConfig->szDriverDir, pConfig->szOemPrefix,
                         pConfig->szLanguageCode);
    } else {
        SetFormattedPath(pConfig->pDat, L"%s%s.DAT", pConfig->szDriverDir, pConfig->szOemPrefix);
    }

    if (pConfig->sBrand == kBrandTalix) {
        SetFormattedPath(pConfig->pHin, L"%s.hin", szStem);
        pConfig->pHin->SetSection(L"TROUBLE_PAGE");
    }
}

int OpenOptionTreeContext(ModelConfig *pConfig, const OEMCUIPPARAM *pParam) {
    if (pConfig == nullptr || pParam == nullptr || pParam->hOEMHeap == nullptr) return 0;
    HANDLE hHeap = pParam->hOEMHeap;
    auto *pTemp = static_cast<OEMUIPSPARAM *>(HeapAlloc(hHeap, HEAP_ZERO_MEMORY, sizeof(OEMUIPSPARAM)));
    if (pTemp == nullptr) return 0;
    pTemp->cbSize = sizeof(OEMUIPSPARAM);
    pTemp->hOEMHeap = hHeap;
    pTemp->hPrinter = pParam->hPrinter;
    pTemp->pPrinterName = pParam->pPrinterName;
    pConfig->pPsParam = pTemp;
    pConfig->hPrinter = pParam->hPrinter;

    int nAutoConfiguration = 0;
    bool bReaders = true;
    for (size_t i = 0; i < kReaderCount; ++i) {
        ProfileReader **slot = ReaderSlots(pConfig, i);
        if (*slot != nullptr)
            new (*slot) ProfileReader();
        else
            *slot = NewReader(hHeap);
        bReaders = bReaders && *slot != nullptr;
    }
    pConfig->lChanged = 0;
    if (bReaders) {
        LoadModelConfig(pConfig);
        pConfig->pIni->SetSection(L"FUNCTION");
        nAutoConfiguration = pConfig->pIni->ReadInt(L"AutoConfiguration", 0);
    }

    // The record only lived for this set-up; nothing may reach it afterwards.
    pConfig->pPsParam = nullptr;
    HeapFree(hHeap, 0, pTemp);
    return nAutoConfiguration;
}

}  // namespace oemui
