// The context record of one property sheet or one option-tree call: the
// model's settings read from its files, the profile readers, the handles the
// pages and dialogs share, and the job-option dialogs' working values.
#pragma once

#include "kit/oemkit.h"
#include "settings/profile_reader.h"

namespace oemui {

constexpr size_t kJobAccountCch = 33;
constexpr int kMaxResolutions = 10;

struct ModelConfig {
    HANDLE hComPropSheet;
    POEMUIPSPARAM pPsParam;
    PFNCOMPROPSHEET pfnComPropSheet;
    HANDLE hPage;
    // Print and Hold working values while its dialog is open; the length
    // limits also serve the Job Accounting dialog and the input filters.
    SHORT sHoldIndex;
    WCHAR szHoldUserId[21];
    WCHAR szHoldJobName[65];
    WCHAR szHoldPasscode[21];
    WCHAR szHoldPrintAt[128];
    SHORT sStoreFlag;
    SHORT sMinPassLen;
    SHORT sMaxPassLen;
    IPrintOemDriverUI *pDriverUI;  // the plug-in object's reference, not counted again
    HANDLE hPrinter;
    HWND hCurrentDlg;
    DWORD dwCurrentTemplate;
    WCHAR szDialogName[256];
    SHORT sPrevCopies;
    SHORT sCurCopies;
    DWORD dwPrinterHDD;
    DWORD dwGraphicsCopiesSetting;
    DWORD dwPrinterInstalledHDD;
    LONG lGrayCopiesWork;
    DWORD dwColorCopiesWork;
    LONG lChanged;
    WCHAR szDriverDir[MAX_PATH];
    WCHAR szOemPrefix[MAX_PATH];
    ProfileReader *pDat;  // string table
    ProfileReader *pIni;  // model INI
    ProfileReader *pVer;  // version file
    HWND hTooltip;
    DWORD dwIsPpd;
    SHORT sBrand;
    ProfileReader *pHin;  // hint file (brand 1)
    WCHAR szPrinterAddress[MAX_PATH];
    LONG alResolution[kMaxResolutions];
    LONG lResolutionCount;
    LONG lGrayscaleEnh;
    LONG lNoPermission;
    SHORT sExtrasSecurePrint;
    WCHAR szJobAccountIdEntered[kJobAccountCch];
    WCHAR szJobAccountIdKept[kJobAccountCch];
    WCHAR szJobAccountPwEntered[kJobAccountCch];
    WCHAR szJobAccountPwKept[kJobAccountCch];
    DWORD dwPrinterJobAccounting;
    // Set once the Job Accounting dialog has been confirmed in this sheet:
    // only then do the credentials replace what the printer data holds.
    LONG lJobAccountEdited;
    WCHAR szLanguageCode[MAX_PATH];
};

enum Brand : SHORT { kBrandKorvant = 0, kBrandTalix = 1, kBrandMero = 2 };

// The brand of the caption that ini's current section gives ("Caption"):
// the first brand word it contains, in capitals, else Korvant.
SHORT BrandFromCaption(const ProfileReader &ini);

// A zero-filled context from hHeap with its four readers; null when the heap
// is out of memory. Release with FreeModelConfig (the readers and the record).
ModelConfig *CreateModelConfig(HANDLE hHeap);
void FreeModelConfig(HANDLE hHeap, ModelConfig *pConfig);

// Fills the record from the model files of the printer in pPsParam (printer
// handle, printer name and driver heap). Without driver information every
// setting stays at its default and no file path is set.
void LoadModelConfig(ModelConfig *pConfig);

// The option-tree set-up: readers, model files, and the model's
// [FUNCTION] "AutoConfiguration" switch as the result.
int OpenOptionTreeContext(ModelConfig *pConfig, const OEMCUIPPARAM *pParam);

}  // namespace oemui
