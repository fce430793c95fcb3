#include <winsock2.h>

#include "host/fault_table.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <winspool.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <process.h>

namespace oemuihost {
namespace {

// Failure modes that need more than a value and a last error.

// The value is not there; or (second mode) it is larger than the buffer,
// with the size it would need.
struct PrinterDataFails {
    template <typename R>
    static R Make(const FaultRowState &s, HANDLE, LPWSTR, LPDWORD, LPBYTE, DWORD nSize, LPDWORD pcbNeeded) {
        if (s.variant == 1) return ERROR_FILE_NOT_FOUND;
        if (pcbNeeded != nullptr) *pcbNeeded = nSize + 64;
        return ERROR_MORE_DATA;
    }
};

struct RegQueryFails {
    template <typename R>
    static R Make(const FaultRowState &s, HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE pData, LPDWORD pcbData) {
        if (s.variant == 1) return ERROR_FILE_NOT_FOUND;
        const DWORD cb = pcbData != nullptr ? *pcbData : 0;
        if (pcbData != nullptr) *pcbData = cb + 64;
        return pData != nullptr ? ERROR_MORE_DATA : ERROR_SUCCESS;
    }
};

struct RegOpenFails {
    template <typename R, typename... A>
    static R Make(const FaultRowState &s, A...) {
        return s.variant == 1 ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    }
};

// The spooler refuses the data; or (second mode) takes only half of it.
struct WritePrinterFails {
    template <typename R>
    static R Make(const FaultRowState &s, HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
        if (s.variant == 1) {
            if (pcWritten != nullptr) *pcWritten = 0;
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        using Fn = BOOL(WINAPI *)(HANDLE, LPVOID, DWORD, LPDWORD);
        return reinterpret_cast<Fn>(s.pNext)(hPrinter, pBuf, cbBuf / 2, pcWritten);
    }
};

// The C runtime's allocation failures set errno, not the last error.
template <int Errno>
struct CrtFails {
    template <typename R, typename... A>
    static R Make(const FaultRowState &, A...) {
        errno = Errno;
        if constexpr (std::is_pointer_v<R>) return nullptr;
        else return static_cast<R>(0);
    }
};

using MallocFn = void *(*)(size_t);
using CallocFn = void *(*)(size_t, size_t);
using ReallocFn = void *(*)(void *, size_t);
using BeginThreadFn = uintptr_t (*)(void *, unsigned, unsigned(__stdcall *)(void *), void *, unsigned, unsigned *);

// Winsock reports through WSAGetLastError, which is the thread's last error.
template <INT_PTR Value, int WsaError>
using WsaFails = Returns<Value, static_cast<DWORD>(WsaError)>;

// The common failure modes, named so that a row reads as one line.
using Oom = Returns<0, ERROR_NOT_ENOUGH_MEMORY>;
using MinusOneOom = Returns<-1, ERROR_NOT_ENOUGH_MEMORY>;
using BadHandle = Returns<0, ERROR_INVALID_HANDLE>;
using BadParam = Returns<0, ERROR_INVALID_PARAMETER>;
using Denied = Returns<0, ERROR_ACCESS_DENIED>;
using ModNotFound = Returns<0, ERROR_MOD_NOT_FOUND>;
using ProcNotFound = Returns<0, ERROR_PROC_NOT_FOUND>;
using NoBuffer = Returns<0, ERROR_INSUFFICIENT_BUFFER>;
using NoResource = Returns<0, ERROR_RESOURCE_NAME_NOT_FOUND>;
using ClipboardClosed = Returns<0, ERROR_CLIPBOARD_NOT_OPEN>;
using ClrInvalid = Returns<CLR_INVALID, ERROR_INVALID_PARAMETER>;
using WaitFailed = Returns<WAIT_FAILED, ERROR_INVALID_HANDLE>;
using NoAssociation = Returns<SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION>;
using HostNotFound = WsaFails<0, WSAHOST_NOT_FOUND>;
using WsaInvalid = WsaFails<0, WSAEINVAL>;
using NoSocket = WsaFails<static_cast<INT_PTR>(INVALID_SOCKET), WSAEMFILE>;
using Unreachable = WsaFails<SOCKET_ERROR, WSAENETUNREACH>;
using ConnReset = WsaFails<SOCKET_ERROR, WSAECONNRESET>;
using NetDown = WsaFails<SOCKET_ERROR, WSAENETDOWN>;

}  // namespace
}  // namespace oemuihost

// One row: the import's own type makes the replacement; the line number
// keeps replacements of functions with the same type apart.
#define OEMUI_FAULT_ROW(dll, fn, fail, after, text, text2)                                                        \
    FaultRow {                                                                                                    \
        dll, #fn, text, text2, true,                                                                              \
            reinterpret_cast<void *>(&FaultHook<decltype(&::fn), fail, AfterCall::after, __LINE__>::Call),      \
            &FaultHook<decltype(&::fn), fail, AfterCall::after, __LINE__>::state                                 \
    }

// The C runtime's declarations carry attributes a template argument drops:
// those rows name the plain function type.
#define OEMUI_CRT_FAULT_ROW(fn, type, fail, text)                                                                \
    FaultRow {                                                                                                    \
        "msvcrt.dll", #fn, text, nullptr, true,                                                                   \
            reinterpret_cast<void *>(&FaultHook<type, fail, AfterCall::None, __LINE__>::Call),                  \
            &FaultHook<type, fail, AfterCall::None, __LINE__>::state                                             \
    }

// A row that is only counted and booked, never failed.
#define OEMUI_BOOKED_ROW(dll, fn, after)                                                                          \
    FaultRow {                                                                                                    \
        dll, #fn, nullptr, nullptr, false,                                                                        \
            reinterpret_cast<void *>(&FaultHook<decltype(&::fn), BadHandle, AfterCall::after, __LINE__>::Call), \
            &FaultHook<decltype(&::fn), BadHandle, AfterCall::after, __LINE__>::state                            \
    }

namespace oemuihost {

const std::vector<FaultRow> &FaultRows() {
    static const std::vector<FaultRow> rows = {
        // advapi32
        OEMUI_FAULT_ROW("advapi32.dll", GetUserNameW, Oom, None, L"FALSE, 8", nullptr),
        OEMUI_FAULT_ROW("advapi32.dll", RegCreateKeyExW, ReturnsCode<ERROR_ACCESS_DENIED>, None, L"5 (access denied)", nullptr),
        OEMUI_FAULT_ROW("advapi32.dll", RegOpenKeyExW, RegOpenFails, None, L"2 (not found)", L"5 (access denied)"),
        OEMUI_FAULT_ROW("advapi32.dll", RegQueryValueExW, RegQueryFails, None, L"2 (not found)", L"234 (more data), size + 64"),
        OEMUI_FAULT_ROW("advapi32.dll", RegSetValueExW, ReturnsCode<ERROR_ACCESS_DENIED>, None, L"5 (access denied)", nullptr),
        OEMUI_FAULT_ROW("advapi32.dll", RegDeleteKeyW, ReturnsCode<ERROR_ACCESS_DENIED>, None, L"5 (access denied)", nullptr),
        // comctl32
        OEMUI_FAULT_ROW("comctl32.dll", InitCommonControlsEx, Oom, None, L"FALSE", nullptr),
        // gdi32 (deletions are booked, never failed: nothing is left to do
        // when one fails)
        OEMUI_FAULT_ROW("gdi32.dll", CreateBitmap, Oom, GdiCreated, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("gdi32.dll", CreateCompatibleBitmap, Oom, GdiCreated, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("gdi32.dll", CreateCompatibleDC, Oom, DcCreated, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("gdi32.dll", CreateFontIndirectW, Oom, GdiCreated, L"null, 8", nullptr),
        OEMUI_BOOKED_ROW("gdi32.dll", DeleteDC, DcDeleted),
        OEMUI_BOOKED_ROW("gdi32.dll", DeleteObject, GdiDeleted),
        OEMUI_FAULT_ROW("gdi32.dll", GetObjectW, BadHandle, None, L"0, 6", nullptr),
        OEMUI_FAULT_ROW("gdi32.dll", SelectObject, BadHandle, None, L"null, 6", nullptr),
        OEMUI_FAULT_ROW("gdi32.dll", GetTextExtentPoint32W, BadHandle, None, L"FALSE, 6", nullptr),
        OEMUI_FAULT_ROW("gdi32.dll", GetPixel, ClrInvalid, None, L"CLR_INVALID", nullptr),
        // kernel32
        OEMUI_FAULT_ROW("kernel32.dll", CreateActCtxW, MinusOneOom, None, L"INVALID_HANDLE_VALUE, 8", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", ActivateActCtx, BadParam, None, L"FALSE, 87", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", CreateThread, Oom, None, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", ExpandEnvironmentStringsW, Oom, None, L"0, 8", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", GetModuleFileNameW, Oom, None, L"0, 8", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", GetModuleHandleExW, ModNotFound, None, L"FALSE, 126", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", GetProcAddress, ProcNotFound, None, L"null, 127", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", GetSystemDirectoryW, Oom, None, L"0, 8", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", GetVersionExW, BadParam, None, L"FALSE, 87", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", GlobalAlloc, Oom, None, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", GlobalLock, Oom, None, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", GlobalSize, BadHandle, None, L"0, 6", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", HeapAlloc, Oom, None, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", HeapReAlloc, Oom, None, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", LoadLibraryW, ModNotFound, LibraryLoaded, L"null, 126", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", MultiByteToWideChar, NoBuffer, None, L"0, 122", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", WideCharToMultiByte, NoBuffer, None, L"0, 122", nullptr),
        OEMUI_FAULT_ROW("kernel32.dll", WaitForSingleObject, WaitFailed, None, L"WAIT_FAILED, 6", nullptr),
        // msvcrt: the allocations behind new (std::nothrow) and threads
        OEMUI_CRT_FAULT_ROW(malloc, MallocFn, CrtFails<ENOMEM>, L"null, ENOMEM"),
        OEMUI_CRT_FAULT_ROW(calloc, CallocFn, CrtFails<ENOMEM>, L"null, ENOMEM"),
        OEMUI_CRT_FAULT_ROW(realloc, ReallocFn, CrtFails<ENOMEM>, L"null, ENOMEM"),
        OEMUI_CRT_FAULT_ROW(_beginthreadex, BeginThreadFn, CrtFails<EAGAIN>, L"0, EAGAIN"),
        // shell32, shlwapi
        OEMUI_FAULT_ROW("shell32.dll", ShellExecuteW, NoAssociation, None, L"31 (no association)", nullptr),
        OEMUI_FAULT_ROW("shlwapi.dll", SHDeleteEmptyKeyW, ReturnsCode<ERROR_ACCESS_DENIED>, None, L"5 (access denied)", nullptr),
        // user32
        OEMUI_FAULT_ROW("user32.dll", BeginDeferWindowPos, Oom, None, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("user32.dll", DeferWindowPos, Oom, None, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("user32.dll", EndDeferWindowPos, Oom, None, L"FALSE, 8", nullptr),
        OEMUI_FAULT_ROW("user32.dll", BeginPaint, Oom, None, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("user32.dll", GetDC, Oom, DcCreated, L"null, 8", nullptr),
        OEMUI_BOOKED_ROW("user32.dll", ReleaseDC, DcReleased),
        OEMUI_FAULT_ROW("user32.dll", CreateWindowExW, Oom, None, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("user32.dll", DialogBoxParamW, MinusOneOom, None, L"-1, 8", nullptr),
        OEMUI_FAULT_ROW("user32.dll", GetClipboardData, ClipboardClosed, None, L"null, 1418", nullptr),
        OEMUI_FAULT_ROW("user32.dll", OpenClipboard, Denied, None, L"FALSE, 5", nullptr),
        OEMUI_FAULT_ROW("user32.dll", GetCursorPos, Denied, None, L"FALSE, 5", nullptr),
        OEMUI_FAULT_ROW("user32.dll", LoadCursorW, NoResource, None, L"null, 1814", nullptr),
        OEMUI_FAULT_ROW("user32.dll", LoadImageW, Oom, GdiCreatedIfBitmap, L"null, 8", nullptr),
        OEMUI_FAULT_ROW("user32.dll", MessageBoxW, Oom, None, L"0, 8", nullptr),
        OEMUI_FAULT_ROW("user32.dll", SetPropW, Oom, None, L"FALSE, 8", nullptr),
        OEMUI_FAULT_ROW("user32.dll", SetTimer, Oom, None, L"0, 8", nullptr),
        // winspool
        OEMUI_FAULT_ROW("winspool.drv", GetPrinterDataW, PrinterDataFails, None, L"2 (not found)", L"234 (more data), size + 64"),
        OEMUI_FAULT_ROW("winspool.drv", SetPrinterDataW, ReturnsCode<ERROR_ACCESS_DENIED>, None, L"5 (access denied)", nullptr),
        OEMUI_FAULT_ROW("winspool.drv", DeletePrinterDataW, ReturnsCode<ERROR_ACCESS_DENIED>, None, L"5 (access denied)", nullptr),
        OEMUI_FAULT_ROW("winspool.drv", GetPrinterDriverDirectoryW, Oom, None, L"FALSE, 8", nullptr),
        OEMUI_FAULT_ROW("winspool.drv", GetPrinterDriverW, Oom, None, L"FALSE, 8", nullptr),
        OEMUI_FAULT_ROW("winspool.drv", GetPrinterW, Oom, None, L"FALSE, 8", nullptr),
        OEMUI_FAULT_ROW("winspool.drv", StartDocPrinterW, Denied, None, L"0, 5", nullptr),
        OEMUI_FAULT_ROW("winspool.drv", StartPagePrinter, Oom, None, L"FALSE, 8", nullptr),
        OEMUI_FAULT_ROW("winspool.drv", WritePrinter, WritePrinterFails, None, L"FALSE, 8", L"TRUE, half the bytes written"),
        OEMUI_FAULT_ROW("winspool.drv", EndPagePrinter, Oom, None, L"FALSE, 8", nullptr),
        OEMUI_FAULT_ROW("winspool.drv", EndDocPrinter, Oom, None, L"FALSE, 8", nullptr),
        // ws2_32 (the SNMP library and the host-name lookup)
        OEMUI_FAULT_ROW("ws2_32.dll", WSAStartup, ReturnsCode<WSASYSNOTREADY>, None, L"WSASYSNOTREADY", nullptr),
        OEMUI_FAULT_ROW("ws2_32.dll", gethostbyname, HostNotFound, None, L"null, WSAHOST_NOT_FOUND", nullptr),
        OEMUI_FAULT_ROW("ws2_32.dll", inet_ntoa, WsaInvalid, None, L"null", nullptr),
        OEMUI_FAULT_ROW("ws2_32.dll", socket, NoSocket, None, L"INVALID_SOCKET, WSAEMFILE", nullptr),
        OEMUI_FAULT_ROW("ws2_32.dll", sendto, Unreachable, None, L"SOCKET_ERROR, WSAENETUNREACH", nullptr),
        OEMUI_FAULT_ROW("ws2_32.dll", recvfrom, ConnReset, None, L"SOCKET_ERROR, WSAECONNRESET", nullptr),
        OEMUI_FAULT_ROW("ws2_32.dll", select, NetDown, None, L"SOCKET_ERROR, WSAENETDOWN", nullptr),
    };
    return rows;
}

namespace {

// Imports with no failure a caller could act on. Each group says why.
constexpr const char *kCannotFail[] = {
    // Releases: nothing is left to do when one fails.
    "RegCloseKey", "CloseHandle", "FreeLibrary", "FreeLibraryAndExitThread", "HeapFree", "GlobalFree", "GlobalUnlock",
    "ReleaseActCtx", "DeactivateActCtx", "CloseClipboard", "EndPaint", "KillTimer", "RemovePropW", "EndDialog",
    "closesocket", "WSACleanup", "free",
    // Answers that are always there: handles of the process, stock objects,
    // the last error, the clock, the languages, the keyboard state.
    "GetLastError", "SetLastError", "GetProcessHeap", "GetStockObject", "GetTickCount64", "GetLocalTime",
    "GetSystemDefaultLangID", "GetUserDefaultLangID", "GetKeyState", "GetMessageTime", "DisableThreadLibraryCalls",
    "WSAGetLastError", "htonl", "htons", "QueryPerformanceCounter", "Sleep",
    // Profile reads answer the default they are given when anything fails.
    "GetPrivateProfileIntW", "GetPrivateProfileSectionW", "GetPrivateProfileStringW",
    // String, character and rectangle helpers of the process itself.
    "lstrcmpW", "lstrcmpiW", "lstrlenA", "lstrlenW", "StrCmpNIW", "StrCmpW", "StrStrW", "CharUpperBuffW",
    "IsDBCSLeadByteEx", "OffsetRect", "PtInRect", "SetRect",
    // Calls on the plug-in's own windows and controls: they fail only for a
    // window that does not exist, which the plug-in never hands them.
    "CallWindowProcW", "CheckDlgButton", "DefWindowProcW", "EnableWindow", "EnumChildWindows", "GetAncestor",
    "GetClassNameW", "GetClientRect", "GetDlgCtrlID", "GetDlgItem", "GetDlgItemInt", "GetDlgItemTextW", "GetParent",
    "GetPropW", "GetWindowLongPtrW", "GetWindowLongW", "GetWindowRect", "GetWindowTextW", "InvalidateRect",
    "IsClipboardFormatAvailable", "IsDlgButtonChecked", "IsWindow", "IsWindowEnabled", "IsWindowVisible",
    "MapWindowPoints", "MessageBeep", "MoveWindow", "SendDlgItemMessageW", "SendMessageW", "SetCursor",
    "SetDlgItemInt", "SetDlgItemTextW", "SetForegroundWindow", "SetWindowLongPtrW", "SetWindowPos",
    "SetWindowTextW", "ShowWindow",
    // Drawing state and drawing: a failure draws less, and nothing else.
    "BitBlt", "StretchBlt", "PatBlt", "DPtoLP", "GetLayout", "SetLayout", "GetMapMode", "SetMapMode", "SetBkColor",
    "SetBkMode", "SetBrushOrgEx", "SetStretchBltMode", "GetDeviceCaps", "MulDiv",
    // The static C and C++ runtime and thread library: their own calls,
    // whose failures end the process by the runtime's design.
    "AddVectoredExceptionHandler", "CreateEventA", "CreateSemaphoreA", "DeleteCriticalSection", "DuplicateHandle",
    "EnterCriticalSection", "GetCurrentProcess", "GetCurrentProcessId", "GetCurrentThread", "GetCurrentThreadId",
    "GetHandleInformation", "GetProcessAffinityMask", "GetSystemTimeAsFileTime", "GetThreadContext",
    "GetThreadPriority", "InitializeCriticalSection", "IsDebuggerPresent", "LeaveCriticalSection", "OpenProcess",
    "OutputDebugStringA", "RaiseException", "ReleaseSemaphore", "RemoveVectoredExceptionHandler", "ResetEvent",
    "ResumeThread", "RtlCaptureContext", "RtlLookupFunctionEntry", "RtlUnwindEx", "RtlVirtualUnwind", "SetEvent",
    "SetProcessAffinityMask", "SetThreadContext", "SetThreadPriority", "SuspendThread", "TlsAlloc", "TlsGetValue",
    "TlsSetValue", "TryEnterCriticalSection", "VirtualProtect", "VirtualQuery", "WaitForMultipleObjects",
    "__C_specific_handler", "___lc_codepage_func", "___mb_cur_max_func", "__iob_func", "_amsg_exit", "_endthreadex",
    "_errno", "_initterm", "_lock", "_unlock", "_setjmp", "longjmp", "abort", "exit", "signal", "strerror",
    "localeconv", "iswctype", "fgetwc", "ungetwc", "fprintf", "fputc", "fputs", "fwrite", "printf", "vfprintf",
    "_strdup", "_ultoa",
    // Formatting and conversion of bounded buffers: a result that does not
    // fit is reported through the length, which the callers check.
    "_vsnwprintf", "_vsnprintf", "_wtoi", "wcstol", "wcstoul", "towlower", "towupper", "iswspace", "memcmp", "memcpy",
    "memmove", "memset", "strcmp", "strlen", "strncmp", "wcscmp", "wcslen", "wcsrchr", "wcsstr",
};

constexpr const char *kInputFaults[] = {
    "GetPrinterDataW", "RegQueryValueExW", "RegOpenKeyExW", "GetUserNameW", "GetPrinterW", "GetPrinterDriverW",
    "GetPrinterDriverDirectoryW", "GetModuleFileNameW", "GetSystemDirectoryW", "ExpandEnvironmentStringsW",
    "GetVersionExW", "GetModuleHandleExW", "LoadLibraryW", "GetProcAddress", "GetClipboardData", "OpenClipboard",
    "GetCursorPos", "GetObjectW", "GetTextExtentPoint32W", "GetPixel", "MultiByteToWideChar",
    "WideCharToMultiByte", "WSAStartup", "gethostbyname", "inet_ntoa", "socket", "sendto", "recvfrom", "select",
};

}  // namespace

bool IsInputFault(const char *name) {
    for (const char *p : kInputFaults)
        if (std::strcmp(p, name) == 0) return true;
    return false;
}

const FaultRow *FindFaultRow(const char *name) {
    for (const FaultRow &row : FaultRows())
        if (std::strcmp(row.name, name) == 0) return &row;
    return nullptr;
}

bool CannotFail(const char *name) {
    for (const char *p : kCannotFail)
        if (std::strcmp(p, name) == 0) return true;
    return false;
}

std::vector<ModuleImport> ReadModuleImports(HMODULE hModule) {
    std::vector<ModuleImport> imports;
    if (hModule == nullptr) return imports;
    auto *base = reinterpret_cast<BYTE *>(hModule);
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return imports;
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return imports;
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return imports;
    for (auto *desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); desc->Name != 0; ++desc) {
        const char *dll = reinterpret_cast<const char *>(base + desc->Name);
        const DWORD namesRva = desc->OriginalFirstThunk != 0 ? desc->OriginalFirstThunk : desc->FirstThunk;
        auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + namesRva);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            ModuleImport imp;
            imp.dll = dll;
            for (char &c : imp.dll) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                imp.name = "#" + std::to_string(IMAGE_ORDINAL(names->u1.Ordinal));
            } else {
                auto *byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
                imp.name = reinterpret_cast<const char *>(byName->Name);
            }
            // Without a separate name table the slots were overwritten on load.
            imp.slot = desc->OriginalFirstThunk != 0 ? reinterpret_cast<void **>(&slots->u1.Function) : nullptr;
            imports.push_back(imp);
        }
    }
    return imports;
}

std::vector<std::string> UnclassifiedImports(HMODULE hModule) {
    std::vector<std::string> missing;
    for (const ModuleImport &imp : ReadModuleImports(hModule))
        if (FindFaultRow(imp.name.c_str()) == nullptr && !CannotFail(imp.name.c_str()))
            missing.push_back(imp.dll + "!" + imp.name);
    return missing;
}

}  // namespace oemuihost
