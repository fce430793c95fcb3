// The plug-in's private block inside the driver's device mode. Its layout is
// a stored binary format: documents and the print system keep it, and the
// driver's rendering side reads it at print time. Never reorder or resize.
#pragma once

#include "kit/oemkit.h"

namespace oemui {

struct ModelConfig;

constexpr DWORD kPluginSignature = 0x4D534654;
constexpr DWORD kPluginVersion = 1;
constexpr DWORD kPrivateDevModeSize = 2408;
constexpr LONG kMaxHoldSel = 100;

struct PrivateDevMode {
    OEM_DMEXTRAHEADER dmExtraHdr;  // dwSize, dwSignature, dwVersion
    LONG lHoldSel;
    SHORT sPrintMode;
    WCHAR szUserId[20];
    WCHAR szJobName[64];
    WCHAR szPasscode[8];
    WCHAR szPrintAt[20];
    BYTE abGap0[2];
    LONG lGrayCopies;
    ModelConfig *pContext;  // run-time only; meaningless once stored
    SHORT sDiskInstalled;
    SHORT sStapling;
    SHORT sNupFlag;
    SHORT sResolution;
    BYTE bLockFlags;
    BYTE abGap1[1];
    SHORT sColorCopiesEnabled;
    SHORT sOptionalDisk;
    BYTE abGap2[2];
    LONG lColorCopies;
    SHORT sSecurePrint;
    WCHAR szSecurePasscode[20];
    WCHAR szEncryptionKey[20];
    BYTE bRegionColor;
    BYTE abGap3[1];
    SHORT sJobAccounting;
    BYTE abReserved[2046];
};

#define OEMUI_PDM_OFFSET(member, off) \
    static_assert(offsetof(PrivateDevMode, member) == (off), "PrivateDevMode." #member)
OEMUI_PDM_OFFSET(dmExtraHdr.dwSize, 0x000);
OEMUI_PDM_OFFSET(dmExtraHdr.dwSignature, 0x004);
OEMUI_PDM_OFFSET(dmExtraHdr.dwVersion, 0x008);
OEMUI_PDM_OFFSET(lHoldSel, 0x00C);
OEMUI_PDM_OFFSET(sPrintMode, 0x010);
OEMUI_PDM_OFFSET(szUserId, 0x012);
OEMUI_PDM_OFFSET(szJobName, 0x03A);
OEMUI_PDM_OFFSET(szPasscode, 0x0BA);
OEMUI_PDM_OFFSET(szPrintAt, 0x0CA);
OEMUI_PDM_OFFSET(abGap0, 0x0F2);
OEMUI_PDM_OFFSET(lGrayCopies, 0x0F4);
OEMUI_PDM_OFFSET(pContext, 0x0F8);
OEMUI_PDM_OFFSET(sDiskInstalled, 0x100);
OEMUI_PDM_OFFSET(sStapling, 0x102);
OEMUI_PDM_OFFSET(sNupFlag, 0x104);
OEMUI_PDM_OFFSET(sResolution, 0x106);
OEMUI_PDM_OFFSET(bLockFlags, 0x108);
OEMUI_PDM_OFFSET(abGap1, 0x109);
OEMUI_PDM_OFFSET(sColorCopiesEnabled, 0x10A);
OEMUI_PDM_OFFSET(sOptionalDisk, 0x10C);
OEMUI_PDM_OFFSET(abGap2, 0x10E);
OEMUI_PDM_OFFSET(lColorCopies, 0x110);
OEMUI_PDM_OFFSET(sSecurePrint, 0x114);
OEMUI_PDM_OFFSET(szSecurePasscode, 0x116);
OEMUI_PDM_OFFSET(szEncryptionKey, 0x13E);
OEMUI_PDM_OFFSET(bRegionColor, 0x166);
OEMUI_PDM_OFFSET(abGap3, 0x167);
OEMUI_PDM_OFFSET(sJobAccounting, 0x168);
OEMUI_PDM_OFFSET(abReserved, 0x16A);
#undef OEMUI_PDM_OFFSET
static_assert(sizeof(PrivateDevMode) == kPrivateDevModeSize, "PrivateDevMode size");

// End of the fields a conversion copies: a block claiming fewer bytes than
// this cannot hold them and is treated as foreign.
constexpr DWORD kPrivateDevModeFieldsEnd = offsetof(PrivateDevMode, abReserved);

// Handles IPrintOemUI::DevMode.
HRESULT HandleDevMode(DWORD dwMode, POEMDMPARAM pOemDMParam);

// Writes the defaults; hPrinter locates the installed model INI.
void WriteDefaultPrivateDevMode(HANDLE hPrinter, PrivateDevMode *pdm);

// Carries a block over from another device mode (defaults for a foreign one).
void ConvertPrivateDevMode(HANDLE hPrinter, const PrivateDevMode *pIn, PrivateDevMode *pOut);

// Region code of a user language (primary language in the low 10 bits).
BYTE RegionCodeForLangId(LANGID langId);

// sPrintMode encoding of the Print and Hold mode index and store flag.
SHORT EncodePrintMode(int modeIndex, int storeFlag, bool securePrintModel);
void DecodePrintMode(SHORT value, bool securePrintModel, int *pModeIndex, int *pStoreFlag);

// An integer of the installed model INI ("<data-file stem>u.INI"); 0 when the
// printer, its driver information or the key cannot be had.
int ReadModelIniInt(HANDLE hPrinter, const wchar_t *pszSection, const wchar_t *pszKey);

}  // namespace oemui
