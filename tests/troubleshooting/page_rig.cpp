#include "troubleshooting/page_rig.h"

#include <commctrl.h>
#include <prsht.h>
#include <shlwapi.h>

#include <cstring>

#include "common/bounded_format.h"
#include "host/import_patch.h"
#include "host/printer_install.h"
#include "host/scenario_runner.h"

namespace troublerig {
namespace {

using oemuihost::ImportPatch;

constexpr wchar_t kPortKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\OEMUITROUBLE:";

struct Rig {
    oemuihost::Report report;
    oemuihost::PluginHost host;
    oemuihost::DriverHelper *pHelper = nullptr;
    oemuihost::InstalledPrinter installed;
    std::unique_ptr<oemuihost::JobCapture> capture;
    std::vector<std::unique_ptr<ImportPatch>> patches;
    std::wstring modelDir;
};
Rig *g_pRig = nullptr;
Recorded g_record;

// Originals of the patched imports, by slot.
enum Slot { kShell, kGetProc, kLang, kFont, kDc, kCompatBitmap, kBitmap, kBrush, kImage, kDeleteObject, kDeleteDc, kSlots };
void *g_originals[kSlots] = {};

template <typename Fn>
Fn Orig(Slot s) {
    return reinterpret_cast<Fn>(g_originals[s]);
}

HGDIOBJ Track(HGDIOBJ h) {
    if (h != nullptr) {
        g_record.liveGdi.insert(h);
        ++g_record.gdiCreated;
    }
    return h;
}

HINSTANCE WINAPI FakeShellExecuteW(HWND, LPCWSTR pszVerb, LPCWSTR pszFile, LPCWSTR pszParameters, LPCWSTR, INT nShow) {
    ShellCall call;
    call.verb = pszVerb != nullptr ? pszVerb : L"(null)";
    call.file = pszFile != nullptr ? pszFile : L"(null)";
    call.parameters = pszParameters != nullptr ? pszParameters : L"(null)";
    call.show = nShow;
    const size_t n = g_record.shell.size();
    g_record.shell.push_back(call);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(n < g_record.shellResults.size() ? g_record.shellResults[n] : 42));
}

HWND WINAPI FakeHtmlHelpW(HWND, LPCWSTR pszFile, UINT, DWORD_PTR) {
    g_record.help.push_back(pszFile != nullptr ? pszFile : L"(null)");
    return nullptr;
}

FARPROC WINAPI FakeGetProcAddress(HMODULE hModule, LPCSTR pszName) {
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(hModule, szPath, MAX_PATH);
    const bool bHelp = StrStrIA(szPath, "hhctrl") != nullptr;
    if (bHelp && (IS_INTRESOURCE(pszName) ? reinterpret_cast<ULONG_PTR>(pszName) == 15 : std::strcmp(pszName, "HtmlHelpW") == 0))
        return reinterpret_cast<FARPROC>(reinterpret_cast<void *>(FakeHtmlHelpW));
    return Orig<FARPROC(WINAPI *)(HMODULE, LPCSTR)>(kGetProc)(hModule, pszName);
}

LANGID WINAPI FakeGetSystemDefaultLangID() { return g_record.systemLanguage; }

HFONT WINAPI FakeCreateFontIndirectW(const LOGFONTW *plf) {
    return static_cast<HFONT>(Track(Orig<HFONT(WINAPI *)(const LOGFONTW *)>(kFont)(plf)));
}
HDC WINAPI FakeCreateCompatibleDC(HDC hdc) {
    return static_cast<HDC>(Track(Orig<HDC(WINAPI *)(HDC)>(kDc)(hdc)));
}
HBITMAP WINAPI FakeCreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    return static_cast<HBITMAP>(Track(Orig<HBITMAP(WINAPI *)(HDC, int, int)>(kCompatBitmap)(hdc, cx, cy)));
}
HBITMAP WINAPI FakeCreateBitmap(int cx, int cy, UINT planes, UINT bits, const void *pBits) {
    return static_cast<HBITMAP>(
        Track(Orig<HBITMAP(WINAPI *)(int, int, UINT, UINT, const void *)>(kBitmap)(cx, cy, planes, bits, pBits)));
}
HBRUSH WINAPI FakeCreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(Track(Orig<HBRUSH(WINAPI *)(COLORREF)>(kBrush)(color)));
}
HANDLE WINAPI FakeLoadImageW(HINSTANCE hInst, LPCWSTR pszName, UINT type, int cx, int cy, UINT flags) {
    HANDLE h = Orig<HANDLE(WINAPI *)(HINSTANCE, LPCWSTR, UINT, int, int, UINT)>(kImage)(hInst, pszName, type, cx, cy, flags);
    if (type == IMAGE_BITMAP) Track(h);
    if ((flags & LR_LOADFROMFILE) && pszName != nullptr && !IS_INTRESOURCE(pszName)) g_record.images.push_back(pszName);
    return h;
}
BOOL WINAPI FakeDeleteObject(HGDIOBJ h) {
    g_record.liveGdi.erase(h);
    return Orig<BOOL(WINAPI *)(HGDIOBJ)>(kDeleteObject)(h);
}
BOOL WINAPI FakeDeleteDC(HDC h) {
    g_record.liveGdi.erase(h);
    return Orig<BOOL(WINAPI *)(HDC)>(kDeleteDc)(h);
}

void Patch(Slot slot, const char *pszFunction, void *pReplacement) {
    auto *p = new ImportPatch(g_pRig->host.Module(), nullptr, pszFunction, pReplacement);
    g_originals[slot] = p->Original();
    g_pRig->patches.emplace_back(p);
}

// The dialog a modal loop of this thread shows: enabled, visible, not the sheet.
HWND g_hFound = nullptr;
BOOL CALLBACK FindModal(HWND hWnd, LPARAM) {
    wchar_t szClass[16] = {};
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    if (lstrcmpW(szClass, L"#32770") != 0 || !IsWindowVisible(hWnd) || !IsWindowEnabled(hWnd)) return TRUE;
    if (hWnd == oemuihost::OpenSheetWindow() || GetWindow(hWnd, GW_OWNER) == nullptr) return TRUE;
    g_hFound = hWnd;
    return FALSE;
}

const std::function<void(HWND)> *g_pInside = nullptr;
bool g_driven = false;
int g_ticksSeen = 0;
UINT_PTR g_timer = 0;

void CALLBACK DriveTimer(HWND, UINT, UINT_PTR, DWORD) {
    g_hFound = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindModal, 0);
    if (g_hFound == nullptr) return;
    HWND hDlg = g_hFound;
    // Let the dialog's own loop show and paint it first.
    if (++g_ticksSeen < 3) return;
    if (!g_driven) {
        g_driven = true;
        (*g_pInside)(hDlg);
    }
    // Still open after the test's turn: cancel it on the next tick.
    if (IsWindowVisible(hDlg)) PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
}

}  // namespace

Recorded &Record() { return g_record; }
HMODULE Plugin() { return g_pRig != nullptr ? g_pRig->host.Module() : nullptr; }
oemuihost::JobCapture &Capture() { return *g_pRig->capture; }

std::string Narrow(const std::wstring &s) {
    std::string out;
    for (wchar_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

bool SetUpRig(std::wstring *pError) {
    g_pRig = new Rig;
    if (!g_pRig->host.Load(oemuihost::ExecutableDirectory() + L"OEMUI.DLL")) {
        *pError = L"plug-in: " + g_pRig->host.Error();
        return false;
    }
    g_pRig->pHelper = new oemuihost::DriverHelper(&g_pRig->report);
    g_pRig->host.Publish(g_pRig->pHelper);
    g_pRig->modelDir = oemuihost::ResolveModelDirectory(L"talix_c500");
    oemuihost::UninstallModelPrinter(kPrinter, std::wstring());
    if (!oemuihost::InstallModelPrinter(g_pRig->modelDir, kPrinter, kPort, std::wstring(), &g_pRig->installed, pError))
        return false;
    g_pRig->capture.reset(new oemuihost::JobCapture(g_pRig->host.Module()));
    if (!g_pRig->capture->Attach(kPrinter, pError)) return false;
    Patch(kShell, "ShellExecuteW", reinterpret_cast<void *>(FakeShellExecuteW));
    Patch(kGetProc, "GetProcAddress", reinterpret_cast<void *>(FakeGetProcAddress));
    Patch(kLang, "GetSystemDefaultLangID", reinterpret_cast<void *>(FakeGetSystemDefaultLangID));
    Patch(kFont, "CreateFontIndirectW", reinterpret_cast<void *>(FakeCreateFontIndirectW));
    Patch(kDc, "CreateCompatibleDC", reinterpret_cast<void *>(FakeCreateCompatibleDC));
    Patch(kCompatBitmap, "CreateCompatibleBitmap", reinterpret_cast<void *>(FakeCreateCompatibleBitmap));
    Patch(kBitmap, "CreateBitmap", reinterpret_cast<void *>(FakeCreateBitmap));
    Patch(kBrush, "CreateSolidBrush", reinterpret_cast<void *>(FakeCreateSolidBrush));
    Patch(kImage, "LoadImageW", reinterpret_cast<void *>(FakeLoadImageW));
    Patch(kDeleteObject, "DeleteObject", reinterpret_cast<void *>(FakeDeleteObject));
    Patch(kDeleteDc, "DeleteDC", reinterpret_cast<void *>(FakeDeleteDC));
    if (g_originals[kShell] == nullptr || g_originals[kGetProc] == nullptr || g_originals[kLang] == nullptr) {
        *pError = L"the plug-in does not import ShellExecuteW, GetProcAddress or GetSystemDefaultLangID";
        return false;
    }
    return true;
}

void TearDownRig() {
    if (g_pRig == nullptr) return;
    SetPortAddress(nullptr);
    g_pRig->patches.clear();
    g_pRig->capture.reset();
    oemuihost::UninstallModelPrinter(kPrinter, g_pRig->installed.driverName);
    g_pRig->host.Unload();
    if (g_pRig->pHelper != nullptr) g_pRig->pHelper->Release();
    delete g_pRig;
    g_pRig = nullptr;
}

std::wstring InstalledFile(const wchar_t *pszName) {
    const std::wstring &data = g_pRig->installed.dataFile;
    return data.substr(0, data.find_last_of(L'\\') + 1) + pszName;
}

void SetModelValue(const wchar_t *pszFile, const wchar_t *pszSection, const wchar_t *pszKey, const wchar_t *pszValue) {
    const std::wstring path = InstalledFile(pszFile);
    WritePrivateProfileStringW(pszSection, pszKey, pszValue, path.c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
}

void RestoreModelFiles() {
    for (const std::wstring &copied : g_pRig->installed.copiedFiles) {
        const std::wstring leaf = copied.substr(copied.find_last_of(L'\\') + 1);
        CopyFileW((g_pRig->modelDir + L"\\" + leaf).c_str(), copied.c_str(), FALSE);
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, copied.c_str());
    }
}

void SetPortAddress(const wchar_t *pszAddress) {
    if (pszAddress == nullptr) {
        oemuihost::DeleteRegTree(HKEY_LOCAL_MACHINE, kPortKey);
        return;
    }
    oemuihost::WriteRegString(HKEY_LOCAL_MACHINE, kPortKey, L"IPAddress", pszAddress);
    oemuihost::WriteRegString(HKEY_LOCAL_MACHINE, kPortKey, L"HostName", L"");
}

namespace {
HANDLE OpenTestPrinter() {
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    OpenPrinterW(const_cast<LPWSTR>(kPrinter), &h, &defaults);
    return h;
}
}  // namespace

void SetPrinterValue(const wchar_t *pszName, DWORD dwType, const void *pData, DWORD cb) {
    HANDLE h = OpenTestPrinter();
    SetPrinterDataW(h, const_cast<LPWSTR>(pszName), dwType, static_cast<BYTE *>(const_cast<void *>(pData)), cb);
    ClosePrinter(h);
}

// Wine 8 has no DeletePrinterDataW; its printer data lives in the registry.
void DeletePrinterValue(const wchar_t *pszName) {
    const std::wstring key = std::wstring(L"System\\CurrentControlSet\\Control\\Print\\Printers\\") + kPrinter +
                             L"\\PrinterDriverData";
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, &hKey) != ERROR_SUCCESS) return;
    RegDeleteValueW(hKey, pszName);
    RegCloseKey(hKey);
}

bool GetPrinterValue(const wchar_t *pszName, DWORD *pdwType, std::vector<BYTE> *pData) {
    HANDLE h = OpenTestPrinter();
    DWORD cb = 0;
    GetPrinterDataW(h, const_cast<LPWSTR>(pszName), pdwType, nullptr, 0, &cb);
    pData->assign(cb, 0);
    const DWORD rc = GetPrinterDataW(h, const_cast<LPWSTR>(pszName), pdwType, pData->data(), cb, &cb);
    ClosePrinter(h);
    return rc == ERROR_SUCCESS;
}

OpenPage::OpenPage(bool preferences, bool settle) {
    oemuihost::SessionEnv env;
    env.pPlugin = g_pRig->host.Plugin();
    env.hPlugin = g_pRig->host.Module();
    env.pHelper = g_pRig->pHelper;
    env.pReport = &m_report;
    m_session.reset(new oemuihost::Session(env));
    if (!m_session->Open(kPrinter, preferences ? oemuihost::SheetKind::Document : oemuihost::SheetKind::Device, false, &m_error)) return;
    if (!m_session->SwitchPage(L"Troubleshooting", &m_error, settle)) return;
    m_hPage = PropSheet_GetCurrentPageHwnd(m_session->SheetWindow());
}

OpenPage::~OpenPage() {
    if (m_session && m_session->IsOpen()) m_session->Close(false);
}

oemui::ModelConfig *OpenPage::config() const {
    return reinterpret_cast<oemui::ModelConfig *>(GetWindowLongPtrW(m_hPage, DWLP_USER));
}

RECT OpenPage::Rect(int id) const { return ChildRect(m_hPage, id); }

void OpenPage::Command(int id, WORD code) {
    SendMessageW(m_hPage, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(item(id)));
}

bool DriveModal(const std::function<void()> &trigger, const std::function<void(HWND)> &inside) {
    g_pInside = &inside;
    g_driven = false;
    g_ticksSeen = 0;
    g_timer = SetTimer(nullptr, 0, 30, DriveTimer);
    trigger();
    KillTimer(nullptr, g_timer);
    g_pInside = nullptr;
    return g_driven;
}

SIZE ClientSize(HWND hWnd) {
    RECT rc = {};
    GetClientRect(hWnd, &rc);
    return SIZE{rc.right, rc.bottom};
}

RECT ChildRect(HWND hParent, int id) {
    RECT rc = {};
    HWND hChild = GetDlgItem(hParent, id);
    if (hChild == nullptr) return rc;
    GetWindowRect(hChild, &rc);
    MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT *>(&rc), 2);
    return rc;
}

}  // namespace troublerig
