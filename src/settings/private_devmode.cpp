#include "settings/private_devmode.h"

#include <cstring>

#include "common/bounded_format.h"
#include "settings/driver_info.h"

namespace oemui {
namespace {

// Region codes by user language. kAnySub matches every sub-language; the
// first matching row wins, so specific sub-languages come first.
constexpr BYTE kAnySub = 0xFF;
struct RegionRow {
    WORD wPrimary;  // all 10 bits: user-defined languages lie above 0xFF
    BYTE bSub;
    BYTE bCode;
};
constexpr RegionRow kRegionTable[] = {
    {0x01, 0x0E, 4}, {0x01, kAnySub, 1},                    // Arabic
    {0x04, kAnySub, 4}, {0x12, kAnySub, 4}, {0x39, kAnySub, 4},  // Chinese, Korean, Hindi
    {0x09, 0x01, 2}, {0x09, 0x04, 2}, {0x09, 0x02, 3},      // English
    {0x09, 0x03, 4}, {0x09, 0x07, 4}, {0x09, kAnySub, 1},
    {0x0A, 0x02, 2}, {0x0A, 0x0B, 2}, {0x0A, 0x03, 3}, {0x0A, kAnySub, 1},  // Spanish
    {0x0C, 0x03, 2}, {0x0C, kAnySub, 3},                    // French
    {0x16, 0x01, 2}, {0x16, 0x02, 3}, {0x16, kAnySub, 1},   // Portuguese
    {0x05, kAnySub, 3}, {0x07, kAnySub, 3}, {0x08, kAnySub, 3}, {0x0E, kAnySub, 3},
    {0x10, kAnySub, 3}, {0x13, kAnySub, 3}, {0x15, kAnySub, 3}, {0x19, kAnySub, 3},
    {0x1A, kAnySub, 3}, {0x1D, kAnySub, 3}, {0x24, kAnySub, 3},
};
constexpr BYTE kRegionOther = 1;

// The fields a conversion copies, from sPrintMode through sJobAccounting,
// as byte ranges that leave out pContext and the alignment gaps.
struct ByteRange {
    size_t off;
    size_t len;
};
constexpr ByteRange kCopiedRanges[] = {
    {offsetof(PrivateDevMode, sPrintMode), offsetof(PrivateDevMode, abGap0) - offsetof(PrivateDevMode, sPrintMode)},
    {offsetof(PrivateDevMode, lGrayCopies), sizeof(LONG)},
    {offsetof(PrivateDevMode, sDiskInstalled), offsetof(PrivateDevMode, abGap1) - offsetof(PrivateDevMode, sDiskInstalled)},
    {offsetof(PrivateDevMode, sColorCopiesEnabled), offsetof(PrivateDevMode, abGap2) - offsetof(PrivateDevMode, sColorCopiesEnabled)},
    {offsetof(PrivateDevMode, lColorCopies), offsetof(PrivateDevMode, abGap3) - offsetof(PrivateDevMode, lColorCopies)},
    {offsetof(PrivateDevMode, sJobAccounting), sizeof(SHORT)},
};

void SetHeader(PrivateDevMode *pdm) {
    pdm->dmExtraHdr.dwSize = kPrivateDevModeSize;
    pdm->dmExtraHdr.dwSignature = kPluginSignature;
    pdm->dmExtraHdr.dwVersion = kPluginVersion;
}

}  // namespace

BYTE RegionCodeForLangId(LANGID langId) {
    const WORD primary = PRIMARYLANGID(langId);
    const BYTE sub = static_cast<BYTE>(SUBLANGID(langId));
    for (const RegionRow &row : kRegionTable) {
        if (row.wPrimary == primary && (row.bSub == kAnySub || row.bSub == sub)) return row.bCode;
    }
    return kRegionOther;
}

SHORT EncodePrintMode(int modeIndex, int storeFlag, bool securePrintModel) {
    if (securePrintModel) return static_cast<SHORT>(modeIndex);
    if (modeIndex < 4) return static_cast<SHORT>(2 * modeIndex + (storeFlag ? 1 : 0));
    return static_cast<SHORT>(2 * modeIndex - (modeIndex % 2));
}

void DecodePrintMode(SHORT value, bool securePrintModel, int *pModeIndex, int *pStoreFlag) {
    int mode = value;
    int store = 0;
    if (!securePrintModel) {
        const int n = value / 2;
        if (n > 3) {
            mode = n + (value % 2);
        } else {
            mode = n;
            store = value % 2;
        }
    }
    if (pModeIndex != nullptr) *pModeIndex = mode;
    if (pStoreFlag != nullptr) *pStoreFlag = store;
}

int ReadModelIniInt(HANDLE hPrinter, const wchar_t *pszSection, const wchar_t *pszKey) {
    wchar_t szIni[MAX_PATH];
    if (!ModelIniPathForPrinter(hPrinter, szIni)) return 0;
    return static_cast<int>(GetPrivateProfileIntW(pszSection, pszKey, 0, szIni));
}

void WriteDefaultPrivateDevMode(HANDLE hPrinter, PrivateDevMode *pdm) {
    SetHeader(pdm);
    pdm->lHoldSel = 0;
    pdm->sDiskInstalled = static_cast<SHORT>(ReadModelIniInt(hPrinter, L"Common", L"PrinterInstalledHDD"));
    pdm->sStapling = 0;
    pdm->sPrintMode = 0;
    std::memset(pdm->szUserId, 0, offsetof(PrivateDevMode, abGap0) - offsetof(PrivateDevMode, szUserId));
    pdm->lGrayCopies = 0;
    pdm->sNupFlag = 0;
    pdm->sResolution = static_cast<SHORT>(ReadModelIniInt(hPrinter, L"DEFAULTDEVMODE", L"iResolution"));
    pdm->bLockFlags = 0;
    pdm->sColorCopiesEnabled = static_cast<SHORT>(ReadModelIniInt(hPrinter, L"Common", L"GraphicsCopiesSetting"));
    pdm->sOptionalDisk = static_cast<SHORT>(ReadModelIniInt(hPrinter, L"Common", L"PrinterHDD"));
    pdm->lColorCopies = 0;
    pdm->sSecurePrint = 0;
    std::memset(pdm->szSecurePasscode, 0, sizeof(pdm->szSecurePasscode));
    std::memset(pdm->szEncryptionKey, 0, sizeof(pdm->szEncryptionKey));
    pdm->bRegionColor = RegionCodeForLangId(GetUserDefaultLangID());
    pdm->sJobAccounting = static_cast<SHORT>(ReadModelIniInt(hPrinter, L"Common", L"PrinterJobAccounting"));
}

void ConvertPrivateDevMode(HANDLE hPrinter, const PrivateDevMode *pIn, PrivateDevMode *pOut) {
    if (pIn == nullptr || pOut == nullptr) return;
    // A block too short to hold the copied fields is not ours whatever its
    // signature says. The size comes first: in a block of 4 to 7 bytes the
    // signature itself lies past the end.
    const bool bOurs = pIn->dmExtraHdr.dwSize >= kPrivateDevModeFieldsEnd &&
                       pIn->dmExtraHdr.dwSignature == pOut->dmExtraHdr.dwSignature;
    if (!bOurs) {
        WriteDefaultPrivateDevMode(hPrinter, pOut);
        return;
    }
    pOut->dmExtraHdr.dwSize = kPrivateDevModeSize;
    pOut->dmExtraHdr.dwVersion = kPluginVersion;
    pOut->lHoldSel = 0;
    if (pIn == pOut) return;
    const BYTE *src = reinterpret_cast<const BYTE *>(pIn);
    BYTE *dst = reinterpret_cast<BYTE *>(pOut);
    for (const ByteRange &r : kCopiedRanges) std::memmove(dst + r.off, src + r.off, r.len);
}

HRESULT HandleDevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) {
    if (pOemDMParam == nullptr || dwMode < OEMDM_SIZE || dwMode > OEMDM_MERGE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    auto *pIn = static_cast<const PrivateDevMode *>(pOemDMParam->pOEMDMIn);
    auto *pOut = static_cast<PrivateDevMode *>(pOemDMParam->pOEMDMOut);
    switch (dwMode) {
    case OEMDM_SIZE:
        pOemDMParam->cbBufSize = kPrivateDevModeSize;
        return S_OK;
    case OEMDM_DEFAULT:
        // Writing defaults through a null block would crash the host.
        if (pOut == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return E_FAIL;
        }
        WriteDefaultPrivateDevMode(pOemDMParam->hPrinter, pOut);
        return S_OK;
    case OEMDM_CONVERT:
        ConvertPrivateDevMode(pOemDMParam->hPrinter, pIn, pOut);
        return S_OK;
    default:  // OEMDM_MERGE
        ConvertPrivateDevMode(pOemDMParam->hPrinter, pIn, pOut);
        if (pOut != nullptr) {
            SetHeader(pOut);
            if (pOut->lHoldSel > kMaxHoldSel) pOut->lHoldSel = 0;
        }
        return S_OK;
    }
}

}  // namespace oemui
