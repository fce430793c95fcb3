// Printer-driver UI plug-in interfaces and structures.
//
// MinGW-w64 ships the common property-sheet (compstui.h), driver UI
// (winddiui.h) and spooler (winspool.h) declarations but not the plug-in
// interfaces a driver's UI core uses to talk to a plug-in. They are declared
// here, and every member offset and record size is asserted so that a
// mismatch with the platform's 64-bit layout fails the build, not a customer.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <winspool.h>
#include <winddiui.h>
#include <compstui.h>

#include <cstddef>

// ---------------------------------------------------------------------------
// Identifiers

// Class under which a driver UI core creates every UI plug-in.
inline constexpr GUID CLSID_OEMUI = {
    0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
inline constexpr GUID IID_IPrintOemUI = {
    0xC6A7A9D0, 0x774C, 0x11D1, {0x94, 0x7F, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
inline constexpr GUID IID_IPrintOemDriverUI = {
    0x92B05D50, 0x78BC, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};

// ---------------------------------------------------------------------------
// Constants

constexpr DWORD OEMGI_GETSIGNATURE = 1;
constexpr DWORD OEMGI_GETINTERFACEVERSION = 2;
constexpr DWORD OEMGI_GETVERSION = 3;
constexpr DWORD OEMGI_GETPUBLISHERINFO = 4;
constexpr DWORD OEMGI_GETREQUESTEDHELPERINTERFACES = 5;
constexpr DWORD OEMPUBLISH_IPRINTCOREHELPER = 1;

constexpr DWORD OEMDM_SIZE = 1;
constexpr DWORD OEMDM_DEFAULT = 2;
constexpr DWORD OEMDM_CONVERT = 3;
constexpr DWORD OEMDM_MERGE = 4;

constexpr DWORD OEMCUIP_DOCPROP = 1;
constexpr DWORD OEMCUIP_PRNPROP = 2;

constexpr ULONG QCP_DEVICEPROFILE = 0;
constexpr ULONG QCP_SOURCEPROFILE = 1;
constexpr FLONG QCP_PROFILEMEMORY = 1;
constexpr FLONG QCP_PROFILEDISK = 2;

#ifndef DM_NOPERMISSION
#define DM_NOPERMISSION 0x0020
#endif
#ifndef DPS_NOPERMISSION
#define DPS_NOPERMISSION 0x0001
#endif

constexpr DWORD PRINTER_OEMINTF_VERSION = 0x00010000;
constexpr DWORD OEMGDS_PRINTFLAGS = 0x8000;

// ---------------------------------------------------------------------------
// Structures

typedef struct _OEM_DMEXTRAHEADER {
    DWORD dwSize;
    DWORD dwSignature;
    DWORD dwVersion;
} OEM_DMEXTRAHEADER, *POEM_DMEXTRAHEADER;

typedef struct _OEMDMPARAM {
    DWORD cbSize;
    PVOID pdriverobj;
    HANDLE hPrinter;
    HANDLE hModule;
    PDEVMODEW pPublicDMIn;
    PDEVMODEW pPublicDMOut;
    PVOID pOEMDMIn;
    PVOID pOEMDMOut;
    DWORD cbBufSize;
} OEMDMPARAM, *POEMDMPARAM;

struct IPrintOemDriverUI;

typedef struct _OEMUIPROCS {
    PVOID DrvGetDriverSetting;  // obsolete function table kept for layout
    PVOID DrvUpdateUISetting;
} OEMUIPROCS, *POEMUIPROCS;

typedef struct _OEMUIOBJ {
    DWORD cbSize;
    POEMUIPROCS pOemUIProcs;
} OEMUIOBJ, *POEMUIOBJ;

struct _OEMCUIPPARAM;
typedef LONG(APIENTRY *OEMCUIPCALLBACK)(PCPSUICBPARAM, struct _OEMCUIPPARAM *);

typedef struct _OEMCUIPPARAM {
    DWORD cbSize;
    POEMUIOBJ poemuiobj;
    HANDLE hPrinter;
    PWSTR pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    PDEVMODEW pPublicDM;
    PVOID pOEMDM;
    DWORD dwFlags;
    POPTITEM pDrvOptItems;
    DWORD cDrvOptItems;
    POPTITEM pOEMOptItems;
    DWORD cOEMOptItems;
    PVOID pOEMUserData;
    OEMCUIPCALLBACK OEMCUIPCallback;
} OEMCUIPPARAM, *POEMCUIPPARAM;

typedef struct _OEMUIPSPARAM {
    DWORD cbSize;
    POEMUIOBJ poemuiobj;
    HANDLE hPrinter;
    PWSTR pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    PDEVMODEW pPublicDM;
    PVOID pOEMDM;
    PVOID pOEMUserData;
    DWORD dwFlags;
    PVOID pOemEntry;
} OEMUIPSPARAM, *POEMUIPSPARAM;

// Argument of DevQueryPrintEx (missing from MinGW's winddiui.h).
typedef struct _DEVQUERYPRINT_INFO {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    PDEVMODEW pDevMode;
    LPWSTR pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
} DEVQUERYPRINT_INFO, *PDEVQUERYPRINT_INFO;

// The driver's record behind each of its OPTITEM.UserData.
typedef struct _USERDATA {
    DWORD dwSize;
    ULONG_PTR dwItemID;
    PSTR pKeyWordName;
    DWORD dwReserved[8];
} USERDATA, *PUSERDATA;

// ---------------------------------------------------------------------------
// Interfaces (vtable order is the platform's, not alphabetical)

struct IPrintOemCommon : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                              PDWORD pcbNeeded) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) = 0;
};

struct IPrintOemUI : public IPrintOemCommon {
    virtual HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown *pIUnknown) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo,
                                                             LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo,
                                                           LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ poemuiobj,
                                                      PDEVQUERYPRINT_INFO pDQPInfo,
                                                      PDEVMODEW pPublicDM, PVOID pOEMDM) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter,
                                                         PWSTR pDeviceName, WORD wCapability,
                                                         PVOID pOutput, PDEVMODEW pPublicDM,
                                                         PVOID pOEMDM, DWORD dwOld,
                                                         DWORD *dwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD dwLevel, PBYTE pDriverUpgradeInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR pPrinterName, INT iDriverEvent,
                                                   DWORD dwFlags, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DriverEvent(DWORD dwDriverEvent, DWORD dwLevel,
                                                  LPBYTE pDriverInfo, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj,
                                                        PDEVMODEW pPublicDM, PVOID pOEMDM,
                                                        ULONG ulQueryMode, VOID *pvProfileData,
                                                        ULONG *pcbProfileData,
                                                        FLONG *pflProfileData) = 0;
    virtual HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam,
                                                           LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap,
                                                          PWSTR pwstrCartridges) = 0;
};

// Implemented by the driver's UI core and handed to the plug-in.
struct IPrintOemDriverUI : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, PCSTR Feature, PVOID pOutput,
                                                          DWORD cbSize, PDWORD pcbNeeded,
                                                          PDWORD pdwOptionsReturned) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE hPrinter, PCSTR pFeature,
                                                                PCSTR pOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID pOptItem,
                                                         DWORD dwPreviousSelection,
                                                         DWORD dwMode) = 0;
};

// ---------------------------------------------------------------------------
// Layout checks (x64)

#define OEMKIT_OFFSET(type, member, off) \
    static_assert(offsetof(type, member) == (off), #type "." #member " offset")
#define OEMKIT_SIZE(type, size) static_assert(sizeof(type) == (size), #type " size")

OEMKIT_OFFSET(OEM_DMEXTRAHEADER, dwSize, 0);
OEMKIT_OFFSET(OEM_DMEXTRAHEADER, dwSignature, 4);
OEMKIT_OFFSET(OEM_DMEXTRAHEADER, dwVersion, 8);
OEMKIT_SIZE(OEM_DMEXTRAHEADER, 12);

OEMKIT_OFFSET(OEMDMPARAM, cbSize, 0);
OEMKIT_OFFSET(OEMDMPARAM, pdriverobj, 8);
OEMKIT_OFFSET(OEMDMPARAM, hPrinter, 16);
OEMKIT_OFFSET(OEMDMPARAM, hModule, 24);
OEMKIT_OFFSET(OEMDMPARAM, pPublicDMIn, 32);
OEMKIT_OFFSET(OEMDMPARAM, pPublicDMOut, 40);
OEMKIT_OFFSET(OEMDMPARAM, pOEMDMIn, 48);
OEMKIT_OFFSET(OEMDMPARAM, pOEMDMOut, 56);
OEMKIT_OFFSET(OEMDMPARAM, cbBufSize, 64);
OEMKIT_SIZE(OEMDMPARAM, 72);

OEMKIT_OFFSET(OEMCUIPPARAM, cbSize, 0);
OEMKIT_OFFSET(OEMCUIPPARAM, poemuiobj, 8);
OEMKIT_OFFSET(OEMCUIPPARAM, hPrinter, 16);
OEMKIT_OFFSET(OEMCUIPPARAM, pPrinterName, 24);
OEMKIT_OFFSET(OEMCUIPPARAM, hModule, 32);
OEMKIT_OFFSET(OEMCUIPPARAM, hOEMHeap, 40);
OEMKIT_OFFSET(OEMCUIPPARAM, pPublicDM, 48);
OEMKIT_OFFSET(OEMCUIPPARAM, pOEMDM, 56);
OEMKIT_OFFSET(OEMCUIPPARAM, dwFlags, 64);
OEMKIT_OFFSET(OEMCUIPPARAM, pDrvOptItems, 72);
OEMKIT_OFFSET(OEMCUIPPARAM, cDrvOptItems, 80);
OEMKIT_OFFSET(OEMCUIPPARAM, pOEMOptItems, 88);
OEMKIT_OFFSET(OEMCUIPPARAM, cOEMOptItems, 96);
OEMKIT_OFFSET(OEMCUIPPARAM, pOEMUserData, 104);
OEMKIT_OFFSET(OEMCUIPPARAM, OEMCUIPCallback, 112);
OEMKIT_SIZE(OEMCUIPPARAM, 120);

OEMKIT_OFFSET(OEMUIPSPARAM, cbSize, 0);
OEMKIT_OFFSET(OEMUIPSPARAM, poemuiobj, 8);
OEMKIT_OFFSET(OEMUIPSPARAM, hPrinter, 16);
OEMKIT_OFFSET(OEMUIPSPARAM, pPrinterName, 24);
OEMKIT_OFFSET(OEMUIPSPARAM, hModule, 32);
OEMKIT_OFFSET(OEMUIPSPARAM, hOEMHeap, 40);
OEMKIT_OFFSET(OEMUIPSPARAM, pPublicDM, 48);
OEMKIT_OFFSET(OEMUIPSPARAM, pOEMDM, 56);
OEMKIT_OFFSET(OEMUIPSPARAM, pOEMUserData, 64);
OEMKIT_OFFSET(OEMUIPSPARAM, dwFlags, 72);
OEMKIT_OFFSET(OEMUIPSPARAM, pOemEntry, 80);
OEMKIT_SIZE(OEMUIPSPARAM, 88);

OEMKIT_OFFSET(USERDATA, dwSize, 0);
OEMKIT_OFFSET(USERDATA, dwItemID, 8);
OEMKIT_OFFSET(USERDATA, pKeyWordName, 16);
OEMKIT_OFFSET(USERDATA, dwReserved, 24);
OEMKIT_SIZE(USERDATA, 56);

OEMKIT_OFFSET(OEMUIOBJ, cbSize, 0);
OEMKIT_OFFSET(OEMUIOBJ, pOemUIProcs, 8);
OEMKIT_SIZE(OEMUIOBJ, 16);

// Cross-checks of MinGW's common property-sheet records against the platform.
OEMKIT_OFFSET(CPSUICBPARAM, Reason, 2);
OEMKIT_OFFSET(CPSUICBPARAM, hDlg, 8);
OEMKIT_OFFSET(CPSUICBPARAM, pOptItem, 16);
OEMKIT_OFFSET(CPSUICBPARAM, cOptItem, 24);
OEMKIT_OFFSET(CPSUICBPARAM, Flags, 26);
OEMKIT_OFFSET(CPSUICBPARAM, pCurItem, 32);
OEMKIT_OFFSET(CPSUICBPARAM, OldSel, 40);
OEMKIT_OFFSET(CPSUICBPARAM, UserData, 48);
OEMKIT_OFFSET(CPSUICBPARAM, Result, 56);
OEMKIT_SIZE(CPSUICBPARAM, 64);

OEMKIT_OFFSET(OPTITEM, Level, 2);
OEMKIT_OFFSET(OPTITEM, DlgPageIdx, 3);
OEMKIT_OFFSET(OPTITEM, Flags, 4);
OEMKIT_OFFSET(OPTITEM, UserData, 8);
OEMKIT_OFFSET(OPTITEM, pName, 16);
OEMKIT_OFFSET(OPTITEM, Sel, 24);
OEMKIT_OFFSET(OPTITEM, pExtChkBox, 32);
OEMKIT_OFFSET(OPTITEM, pOptType, 40);
OEMKIT_OFFSET(OPTITEM, HelpIndex, 48);
OEMKIT_OFFSET(OPTITEM, DMPubID, 52);
OEMKIT_OFFSET(OPTITEM, UserItemID, 53);
OEMKIT_OFFSET(OPTITEM, wReserved, 54);
OEMKIT_OFFSET(OPTITEM, pOIExt, 56);
OEMKIT_OFFSET(OPTITEM, dwReserved, 64);
OEMKIT_SIZE(OPTITEM, 88);

OEMKIT_OFFSET(OPTTYPE, Type, 2);
OEMKIT_OFFSET(OPTTYPE, Flags, 3);
OEMKIT_OFFSET(OPTTYPE, Count, 4);
OEMKIT_OFFSET(OPTTYPE, BegCtrlID, 6);
OEMKIT_OFFSET(OPTTYPE, pOptParam, 8);
OEMKIT_OFFSET(OPTTYPE, Style, 16);
OEMKIT_OFFSET(OPTTYPE, wReserved, 18);
OEMKIT_OFFSET(OPTTYPE, dwReserved, 24);
OEMKIT_SIZE(OPTTYPE, 48);

OEMKIT_OFFSET(OPTPARAM, Flags, 2);
OEMKIT_OFFSET(OPTPARAM, Style, 3);
OEMKIT_OFFSET(OPTPARAM, pData, 8);
OEMKIT_OFFSET(OPTPARAM, IconID, 16);
OEMKIT_OFFSET(OPTPARAM, lParam, 24);
OEMKIT_OFFSET(OPTPARAM, dwReserved, 32);
OEMKIT_SIZE(OPTPARAM, 48);

OEMKIT_OFFSET(PROPSHEETUI_INFO, Version, 2);
OEMKIT_OFFSET(PROPSHEETUI_INFO, Flags, 4);
OEMKIT_OFFSET(PROPSHEETUI_INFO, Reason, 6);
OEMKIT_OFFSET(PROPSHEETUI_INFO, hComPropSheet, 8);
OEMKIT_OFFSET(PROPSHEETUI_INFO, pfnComPropSheet, 16);
OEMKIT_OFFSET(PROPSHEETUI_INFO, lParamInit, 24);
OEMKIT_OFFSET(PROPSHEETUI_INFO, UserData, 32);
OEMKIT_OFFSET(PROPSHEETUI_INFO, Result, 40);
OEMKIT_SIZE(PROPSHEETUI_INFO, 48);

OEMKIT_OFFSET(PROPSHEETUI_INFO_HEADER, Flags, 2);
OEMKIT_OFFSET(PROPSHEETUI_INFO_HEADER, pTitle, 8);
OEMKIT_OFFSET(PROPSHEETUI_INFO_HEADER, hWndParent, 16);
OEMKIT_OFFSET(PROPSHEETUI_INFO_HEADER, hInst, 24);
OEMKIT_OFFSET(PROPSHEETUI_INFO_HEADER, hIcon, 32);
OEMKIT_SIZE(PROPSHEETUI_INFO_HEADER, 40);

OEMKIT_OFFSET(SETRESULT_INFO, wReserved, 2);
OEMKIT_OFFSET(SETRESULT_INFO, hSetResult, 8);
OEMKIT_OFFSET(SETRESULT_INFO, Result, 16);
OEMKIT_SIZE(SETRESULT_INFO, 24);

OEMKIT_OFFSET(DRIVER_INFO_2W, pName, 8);
OEMKIT_SIZE(DRIVER_INFO_1W, 8);
OEMKIT_SIZE(DRIVER_INFO_2W, 48);
OEMKIT_SIZE(DRIVER_INFO_3W, 80);
OEMKIT_SIZE(DRIVER_INFO_4W, 88);

static_assert(DMPUB_NUP == 16, "pages-per-sheet public id");
static_assert(DRIVER_EVENT_DELETE == 2 && DRIVER_EVENT_INITIALIZE == 1, "driver events");

#undef OEMKIT_OFFSET
#undef OEMKIT_SIZE
