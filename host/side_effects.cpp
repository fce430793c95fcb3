#include "host/side_effects.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <winspool.h>

#include "common/bounded_format.h"
#include "common/handles.h"
#include "host/dialog_driver.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "optiontree/auto_config.h"

namespace oemuihost {
namespace {

CallLog *g_pLog = nullptr;
SideEffects *g_pEffects = nullptr;

struct LangOverride {
    bool set = false;
    LANGID id = 0;
};
LangOverride g_system, g_user;

std::wstring Bounded(const wchar_t *psz) {
    if (psz == nullptr) return L"(null)";
    if (IS_INTRESOURCE(psz)) return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(psz));
    size_t n = 0;
    while (n < 2048 && psz[n] != L'\0') ++n;
    return std::wstring(psz, n);
}

std::wstring Pointer(const void *p) {
    wchar_t sz[24];
    oemui::FormatCchW(sz, 24, L"0x%llX", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(p)));
    return p == nullptr ? L"null" : sz;
}

struct NamedValue {
    UINT value;
    const wchar_t *name;
};
constexpr NamedValue kBoxButtons[] = {
    {MB_OK, L"MB_OK"}, {MB_OKCANCEL, L"MB_OKCANCEL"}, {MB_ABORTRETRYIGNORE, L"MB_ABORTRETRYIGNORE"},
    {MB_YESNOCANCEL, L"MB_YESNOCANCEL"}, {MB_YESNO, L"MB_YESNO"}, {MB_RETRYCANCEL, L"MB_RETRYCANCEL"},
};
constexpr NamedValue kBoxIcons[] = {
    {MB_ICONHAND, L"MB_ICONERROR"}, {MB_ICONQUESTION, L"MB_ICONQUESTION"},
    {MB_ICONEXCLAMATION, L"MB_ICONWARNING"}, {MB_ICONASTERISK, L"MB_ICONINFORMATION"},
};
constexpr NamedValue kBoxFlags[] = {
    {MB_DEFBUTTON2, L"MB_DEFBUTTON2"}, {MB_DEFBUTTON3, L"MB_DEFBUTTON3"}, {MB_SYSTEMMODAL, L"MB_SYSTEMMODAL"},
    {MB_TASKMODAL, L"MB_TASKMODAL"},   {MB_RTLREADING, L"MB_RTLREADING"}, {MB_RIGHT, L"MB_RIGHT"},
    {MB_SETFOREGROUND, L"MB_SETFOREGROUND"}, {MB_TOPMOST, L"MB_TOPMOST"},
};

struct NamedLang {
    const wchar_t *name;
    LANGID id;
};
constexpr NamedLang kLanguages[] = {
    {L"english", 0x0409}, {L"arabic", 0x0401}, {L"hebrew", 0x040D}, {L"german", 0x0407}, {L"french", 0x040C},
    {L"spanish", 0x0C0A}, {L"italian", 0x0410}, {L"japanese", 0x0411}, {L"chinese", 0x0804}, {L"korean", 0x0412},
    {L"russian", 0x0419}, {L"dutch", 0x0413},
};

// The value where the plug-in's loader finds the HTML Help library.
constexpr char kHelpClsidKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

using HelpSink = void(WINAPI *)(HWND, const wchar_t *, UINT, DWORD_PTR);
using SetHelpSinkFn = void(WINAPI *)(HelpSink);
using NetLibEntry = SHORT(WINAPI *)(LPCSTR, oemui::NetLibRecord *, SHORT *, DWORD);
NetLibEntry g_realNetLib = nullptr;

}  // namespace

void CallLog::Add(const std::wstring &kind, std::vector<std::wstring> fields) {
    std::wstring text;
    for (const std::wstring &f : fields) text += (text.empty() ? L"" : L", ") + f;
    if (m_pReport != nullptr) m_pReport->Add(kind, text);
    m_calls.push_back(RecordedCall{kind, std::move(fields)});
}

CallLog *ActiveCallLog() { return g_pLog; }

std::wstring HexBytes(const void *p, size_t cb) {
    std::wstring out;
    const auto *b = static_cast<const BYTE *>(p);
    for (size_t i = 0; i < cb; ++i) {
        wchar_t sz[4];
        oemui::FormatCchW(sz, 4, L"%02X", b[i]);
        out += sz;
    }
    return out;
}
void SetActiveCallLog(CallLog *pLog) { g_pLog = pLog; }

std::wstring MessageBoxStyleText(UINT uType) {
    std::wstring out = L"MB_OK";
    for (const NamedValue &b : kBoxButtons)
        if ((uType & MB_TYPEMASK) == b.value) out = b.name;
    for (const NamedValue &i : kBoxIcons)
        if ((uType & MB_ICONMASK) == i.value) out += L" | " + std::wstring(i.name);
    UINT rest = uType & ~(MB_TYPEMASK | MB_ICONMASK);
    for (const NamedValue &f : kBoxFlags)
        if ((rest & f.value) == f.value && f.value != 0) {
            out += L" | " + std::wstring(f.name);
            rest &= ~f.value;
        }
    if (rest != 0) out += L" | " + Hex32(rest);
    return out;
}

LANGID ParseLangId(const std::wstring &text) {
    for (const NamedLang &l : kLanguages)
        if (lstrcmpiW(l.name, text.c_str()) == 0) return l.id;
    wchar_t *end = nullptr;
    const unsigned long v = wcstoul(text.c_str(), &end, 0);
    if (text.empty() || end == nullptr || *end != L'\0' || v == 0 || v > 0xFFFF) return 0;
    return static_cast<LANGID>(v);
}

std::wstring HelpStandInPath() { return ExecutableDirectory() + L"helpstub.dll"; }

namespace {

// The platform's own functions, taken from their libraries before any import
// is replaced: the replacements must not call themselves when the patched
// module is the caller's own (as in the tests).
struct RealFunctions {
    LANGID(WINAPI *systemLang)() = nullptr;
    LANGID(WINAPI *userLang)() = nullptr;
    BOOL(WINAPI *endDialog)(HWND, INT_PTR) = nullptr;
    LSTATUS(WINAPI *regDeleteKey)(HKEY, LPCWSTR) = nullptr;
    FARPROC(WINAPI *getProc)(HMODULE, LPCSTR) = nullptr;
} g_real;

template <typename Fn>
void Resolve(Fn *pFn, const wchar_t *pszDll, const char *pszName) {
    HMODULE h = GetModuleHandleW(pszDll);
    if (h == nullptr) h = LoadLibraryW(pszDll);
    *pFn = reinterpret_cast<Fn>(reinterpret_cast<void *>(h != nullptr ? GetProcAddress(h, pszName) : nullptr));
}

}  // namespace

// The replacements: each records, then does what the platform would
// (shell execution excepted: nothing is started from a test).
struct SideEffectHooks {
    static LANGID WINAPI SystemLang() { return g_system.set ? g_system.id : g_real.systemLang(); }
    static LANGID WINAPI UserLang() { return g_user.set ? g_user.id : g_real.userLang(); }

    static BOOL WINAPI Beep(UINT uType) {
        if (g_pLog != nullptr) g_pLog->Add(L"beep", {MessageBoxStyleText(uType)});
        return TRUE;
    }

    static HINSTANCE WINAPI Shell(HWND hWnd, LPCWSTR pszVerb, LPCWSTR pszFile, LPCWSTR pszParameters,
                                  LPCWSTR pszDirectory, INT nShow) {
        int result = 42;
        if (g_pEffects != nullptr && !g_pEffects->m_shellResults.empty()) {
            result = g_pEffects->m_shellResults.front();
            g_pEffects->m_shellResults.erase(g_pEffects->m_shellResults.begin());
        }
        if (g_pLog != nullptr)
            g_pLog->Add(L"shellexecute", {Bounded(pszVerb), Bounded(pszFile), Bounded(pszParameters),
                                          Bounded(pszDirectory), std::to_wstring(nShow), std::to_wstring(result),
                                          L"owner " + Pointer(hWnd)});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(result));
    }

    static BOOL WINAPI EndDlg(HWND hDlg, INT_PTR result) {
        if (g_pLog != nullptr) g_pLog->Add(L"enddialog", {WindowText(hDlg), std::to_wstring(result)});
        return g_real.endDialog(hDlg, result);
    }

    // Wine's spooler has no DeletePrinterDataW (a call ends the process);
    // the value goes from the printer's key as the spooler would remove it.
    static DWORD WINAPI DeletePrinterData(HANDLE hPrinter, LPWSTR pszValueName) {
        if (pszValueName == nullptr) return ERROR_INVALID_PARAMETER;
        DWORD cb = 0;
        GetPrinterW(hPrinter, 2, nullptr, 0, &cb);
        std::vector<BYTE> info(cb != 0 ? cb : 1);
        if (cb == 0 || !GetPrinterW(hPrinter, 2, info.data(), cb, &cb)) return ERROR_INVALID_HANDLE;
        const wchar_t *pszPrinter = reinterpret_cast<PRINTER_INFO_2W *>(info.data())->pPrinterName;
        if (pszPrinter == nullptr) return ERROR_INVALID_HANDLE;
        DWORD type = 0, cbValue = 0;
        if (GetPrinterDataW(hPrinter, pszValueName, &type, nullptr, 0, &cbValue) == ERROR_FILE_NOT_FOUND)
            return ERROR_FILE_NOT_FOUND;
        return DeletePrinterValue(pszPrinter, pszValueName) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }

    static LSTATUS WINAPI DeleteKey(HKEY hKey, LPCWSTR pszSubKey) {
        const LSTATUS status = g_real.regDeleteKey(hKey, pszSubKey);
        if (g_pLog != nullptr) g_pLog->Add(L"regdelete", {Bounded(pszSubKey), std::to_wstring(status)});
        return status;
    }

    static SHORT WINAPI NetLib(LPCSTR pszPort, oemui::NetLibRecord *pRecord, SHORT *psFlag, DWORD dwReserved) {
        std::wstring port;
        for (size_t i = 0; pszPort != nullptr && i < 256 && pszPort[i] != '\0'; ++i)
            port += static_cast<wchar_t>(static_cast<unsigned char>(pszPort[i]));
        const std::wstring request = pRecord != nullptr ? HexBytes(pRecord, sizeof(*pRecord)) : L"null";
        const SHORT result = g_realNetLib != nullptr ? g_realNetLib(pszPort, pRecord, psFlag, dwReserved) : 0;
        if (g_pLog != nullptr)
            g_pLog->Add(L"netlib", {port, request, pRecord != nullptr ? HexBytes(pRecord, sizeof(*pRecord)) : L"null",
                                    std::to_wstring(result)});
        return result;
    }

    // The network library's entry is handed out wrapped; everything else as asked.
    static FARPROC WINAPI GetProc(HMODULE hModule, LPCSTR pszName) {
        FARPROC proc = g_real.getProc(hModule, pszName);
        if (proc == nullptr || IS_INTRESOURCE(pszName) || lstrcmpA(pszName, oemui::kNetLibEntryName) != 0) return proc;
        g_realNetLib = reinterpret_cast<NetLibEntry>(reinterpret_cast<void *>(proc));
        return reinterpret_cast<FARPROC>(reinterpret_cast<void *>(&NetLib));
    }

    static void WINAPI Help(HWND hOwner, const wchar_t *pszFile, UINT uCommand, DWORD_PTR dwData) {
        if (g_pLog != nullptr)
            g_pLog->Add(L"htmlhelp", {Pointer(hOwner), Bounded(pszFile), std::to_wstring(uCommand),
                                      std::to_wstring(static_cast<unsigned long long>(dwData))});
    }
};

SideEffects::SideEffects(HMODULE hPlugin, CallLog *pLog, const std::wstring &helpLibraryPath) {
    g_pEffects = this;
    g_pLog = pLog;
    g_system = LangOverride();
    g_user = LangOverride();
    Resolve(&g_real.systemLang, L"kernel32.dll", "GetSystemDefaultLangID");
    Resolve(&g_real.userLang, L"kernel32.dll", "GetUserDefaultLangID");
    Resolve(&g_real.endDialog, L"user32.dll", "EndDialog");
    Resolve(&g_real.regDeleteKey, L"advapi32.dll", "RegDeleteKeyW");
    Resolve(&g_real.getProc, L"kernel32.dll", "GetProcAddress");
    struct Replacement {
        const char *function;
        void *replacement;
    };
    const Replacement replacements[] = {
        {"GetSystemDefaultLangID", reinterpret_cast<void *>(&SideEffectHooks::SystemLang)},
        {"GetUserDefaultLangID", reinterpret_cast<void *>(&SideEffectHooks::UserLang)},
        {"MessageBeep", reinterpret_cast<void *>(&SideEffectHooks::Beep)},
        {"ShellExecuteW", reinterpret_cast<void *>(&SideEffectHooks::Shell)},
        {"EndDialog", reinterpret_cast<void *>(&SideEffectHooks::EndDlg)},
        {"RegDeleteKeyW", reinterpret_cast<void *>(&SideEffectHooks::DeleteKey)},
        {"DeletePrinterDataW", reinterpret_cast<void *>(&SideEffectHooks::DeletePrinterData)},
        {"GetProcAddress", reinterpret_cast<void *>(&SideEffectHooks::GetProc)},
    };
    for (const Replacement &r : replacements)
        m_patches.emplace_back(new ImportPatch(hPlugin, nullptr, r.function, r.replacement));
    if (!helpLibraryPath.empty()) RegisterHelpLibrary(helpLibraryPath);
}

SideEffects::~SideEffects() {
    m_patches.clear();
    RestoreHelpRegistration();
    if (m_hHelp != nullptr) {
        auto setSink = reinterpret_cast<SetHelpSinkFn>(reinterpret_cast<void *>(GetProcAddress(m_hHelp, "SetHelpSink")));
        if (setSink != nullptr) setSink(nullptr);
        FreeLibrary(m_hHelp);
    }
    if (g_pEffects == this) g_pEffects = nullptr;
    g_system = LangOverride();
    g_user = LangOverride();
}

void SideEffects::SetLanguage(bool system, LANGID langId) {
    LangOverride &o = system ? g_system : g_user;
    o.set = true;
    o.id = langId;
}

// The stand-in is loaded here first and told where to report; the plug-in's
// loader then finds it through the registry and gets the same module.
void SideEffects::RegisterHelpLibrary(const std::wstring &path) {
    m_hHelp = LoadLibraryW(path.c_str());
    auto setSink = m_hHelp == nullptr ? nullptr
                                      : reinterpret_cast<SetHelpSinkFn>(
                                            reinterpret_cast<void *>(GetProcAddress(m_hHelp, "SetHelpSink")));
    if (setSink == nullptr) {
        m_helpProblem = L"the HTML Help stand-in " + path + L" cannot be loaded";
        return;
    }
    setSink(&SideEffectHooks::Help);
    char szPath[MAX_PATH] = {};
    if (WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, szPath, MAX_PATH, nullptr, nullptr) <= 0) {
        m_helpProblem = L"the HTML Help stand-in's path does not fit";
        return;
    }
    oemui::RegKey key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kHelpClsidKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
        m_helpProblem = L"the HTML Help registration cannot be written";
        return;
    }
    char szOld[MAX_PATH + 1] = {};
    DWORD cb = MAX_PATH, type = 0;
    m_hadHelpValue = RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE *>(szOld), &cb) ==
                         ERROR_SUCCESS &&
                     type == REG_SZ;
    // A run that was stopped may have left the stand-in registered: that is
    // not a value to put back.
    if (m_hadHelpValue && StrStrIA(szOld, "helpstub.dll") != nullptr) m_hadHelpValue = false;
    if (m_hadHelpValue) m_oldHelpValue = szOld;
    m_helpRegistered = RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(szPath),
                                      static_cast<DWORD>(lstrlenA(szPath) + 1)) == ERROR_SUCCESS;
    if (!m_helpRegistered) m_helpProblem = L"the HTML Help registration cannot be written";
}

void SideEffects::RestoreHelpRegistration() {
    if (!m_helpRegistered) return;
    oemui::RegKey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHelpClsidKey, 0, KEY_WRITE, key.put()) != ERROR_SUCCESS) return;
    if (m_hadHelpValue)
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(m_oldHelpValue.c_str()),
                       static_cast<DWORD>(m_oldHelpValue.size() + 1));
    else
        RegDeleteValueA(key.get(), nullptr);
    m_helpRegistered = false;
}

}  // namespace oemuihost
