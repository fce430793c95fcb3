// winsock2.h must come before anything that pulls in windows.h.
#include <winsock2.h>

#include "settings/port_address.h"

#include <winspool.h>

#include <cstring>

#include "common/bounded_format.h"
#include "common/handles.h"

namespace oemui {
namespace {

// Where the two port monitors keep a port's settings (HKLM).
constexpr const wchar_t kStandardPortKeyFormat[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\%s";
constexpr const wchar_t kMakerPortKeyFormat[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Talix Network Printer Port\\%s";

constexpr DWORD kAddressCb = kAddressCch * sizeof(wchar_t);
// Names, port, driver, location and a device mode with its private part.
constexpr DWORD kUsualPrinterInfoCb = 8 * 1024;

// Opens the monitor's key for the port. A port name that does not fit the
// 260-character path is not looked up at all: the cut path could name the
// key of another port.
bool OpenPortKey(const wchar_t *pszFormat, const wchar_t *pszPortName, RegKey *pKey) {
    wchar_t szPath[MAX_PATH];
    if (FormatCchW(szPath, MAX_PATH, pszFormat, pszPortName) != S_OK) return false;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, szPath, 0, KEY_READ, pKey->put()) == ERROR_SUCCESS;
}

// Reads a string value of at most kAddressCch - 1 characters into pszDest.
// The registry neither terminates what it returns nor defines the buffer's
// contents when the value is too long, so the value lands in a scratch
// buffer with room for a terminator and is copied only when it is whole.
bool ReadAddressValue(HKEY hKey, const wchar_t *pszName, wchar_t *pszDest) {
    wchar_t szValue[kAddressCch + 1] = {};
    DWORD dwType = 0;
    DWORD cb = kAddressCb;
    if (RegQueryValueExW(hKey, pszName, nullptr, &dwType, reinterpret_cast<BYTE *>(szValue), &cb) !=
        ERROR_SUCCESS) {
        return false;
    }
    // Anything but text would end up in a web address as raw bytes.
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ) return false;
    szValue[cb / sizeof(wchar_t)] = L'\0';
    if (LengthCchW(szValue, kAddressCch) >= kAddressCch) return false;
    CopyCchW(pszDest, kAddressCch, szValue);
    return true;
}

// One resolution handed to a thread: shared by the waiting caller and the
// thread, freed by whichever lets go last.
struct ResolveJob {
    volatile LONG cRefs;
    HMODULE hModule;  // keeps this code loaded while the thread runs it
    wchar_t szHostName[kAddressCch];
    wchar_t szAddress[kAddressCch];
};

void ReleaseJob(ResolveJob *pJob) {
    if (InterlockedDecrement(&pJob->cRefs) == 0) HeapFree(GetProcessHeap(), 0, pJob);
}

DWORD WINAPI ResolveThread(void *pParameter) {
    auto *pJob = static_cast<ResolveJob *>(pParameter);
    ResolveHostName(pJob->szHostName, pJob->szAddress);
    const HMODULE hModule = pJob->hModule;
    ReleaseJob(pJob);
    FreeLibraryAndExitThread(hModule, 0);
}

}  // namespace

GlobalMemory ReadPrinterInfo2(HANDLE hPrinter) {
    if (hPrinter == INVALID_HANDLE_VALUE || hPrinter == nullptr) return GlobalMemory();
    DWORD cbBlock = kUsualPrinterInfoCb;
    for (int nTry = 0; nTry < 2; ++nTry) {
        GlobalMemory block(GlobalAlloc(GPTR, cbBlock));
        if (!block) return GlobalMemory();
        DWORD cbNeeded = 0;
        if (GetPrinterW(hPrinter, 2, static_cast<BYTE *>(static_cast<void *>(block.get())), cbBlock, &cbNeeded))
            return block;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || cbNeeded <= cbBlock) break;
        cbBlock = cbNeeded;
    }
    return GlobalMemory();
}

int GetPrinterAddress(HANDLE hPrinter, wchar_t *pszAddress) {
    if (pszAddress == nullptr) return 0;
    GlobalMemory block = ReadPrinterInfo2(hPrinter);
    if (!block) return 0;
    const auto *pInfo = static_cast<const PRINTER_INFO_2W *>(static_cast<const void *>(block.get()));
    if (pInfo->pDriverName == nullptr || pInfo->pPortName == nullptr) return 0;
    return LookupPortAddress(pInfo->pPortName, pszAddress);
}

int LookupPortAddress(const wchar_t *pszPortName, wchar_t *pszAddress) {
    if (pszPortName == nullptr || pszAddress == nullptr) return 0;

    RegKey key;
    if (OpenPortKey(kStandardPortKeyFormat, pszPortName, &key)) {
        // The standard monitor keeps either an address or a host name; a port
        // set up by name has an empty address.
        if (ReadAddressValue(key.get(), L"IPAddress", pszAddress) && pszAddress[0] == L'\0') {
            wchar_t szHostName[kAddressCch] = {};
            if (ReadAddressValue(key.get(), L"HostName", szHostName) && szHostName[0] != L'\0') {
                ResolveHostNameWithin(szHostName, pszAddress, kResolveWaitMs);
            }
        }
        return 1;
    }

    if (!OpenPortKey(kMakerPortKeyFormat, pszPortName, &key)) return 0;
    return ReadAddressValue(key.get(), L"IP", pszAddress) ? 1 : 0;
}

void ResolveHostNameWithin(const wchar_t *pszHostName, wchar_t *pszAddress, DWORD dwWaitMs) {
    if (pszHostName == nullptr || pszAddress == nullptr) return;
    // A name cut to fit is another name: one that does not fit is no host's.
    if (LengthCchW(pszHostName, kAddressCch) >= kAddressCch) return;
    auto *pJob = static_cast<ResolveJob *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ResolveJob)));
    if (pJob == nullptr) {
        ResolveHostName(pszHostName, pszAddress);
        return;
    }
    CopyCchW(pJob->szHostName, kAddressCch, pszHostName);
    CopyCchW(pJob->szAddress, kAddressCch, pszAddress);
    pJob->cRefs = 2;
    HANDLE hThread = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ResolveThread),
                           &pJob->hModule)) {
        hThread = CreateThread(nullptr, 0, ResolveThread, pJob, 0, nullptr);
        if (hThread == nullptr) FreeLibrary(pJob->hModule);
    }
    if (hThread == nullptr) {
        // No thread to wait for: resolve here without the time limit rather than give no address.
        HeapFree(GetProcessHeap(), 0, pJob);
        ResolveHostName(pszHostName, pszAddress);
        return;
    }
    const bool bDone = WaitForSingleObject(hThread, dwWaitMs) == WAIT_OBJECT_0;
    CloseHandle(hThread);
    if (bDone) CopyCchW(pszAddress, kAddressCch, pJob->szAddress);
    ReleaseJob(pJob);
}

void ResolveHostName(const wchar_t *pszHostName, wchar_t *pszAddress) {
    if (pszHostName == nullptr || pszAddress == nullptr) return;
    WSADATA wsaData;
    if (WSAStartup(MAKEWORD(1, 1), &wsaData) != 0) return;

    // A name that does not fit is not resolved: its cut form names another host.
    char szName[MAX_PATH] = {};
    if (WideCharToMultiByte(CP_ACP, 0, pszHostName, -1, szName, sizeof(szName), nullptr, nullptr) > 0) {
        const hostent *pEntry = gethostbyname(szName);
        // Only 4-byte addresses fit the IPv4 address they are copied into.
        if (pEntry != nullptr && pEntry->h_addr_list != nullptr && pEntry->h_length == sizeof(in_addr)) {
            in_addr addr = {};
            bool bFound = false;
            for (char **ppAddr = pEntry->h_addr_list; *ppAddr != nullptr; ++ppAddr) {
                std::memcpy(&addr, *ppAddr, sizeof(addr));
                bFound = true;
            }
            // An entry without addresses leaves the caller's text as it was.
            const char *pszDotted = bFound ? inet_ntoa(addr) : nullptr;
            wchar_t szDotted[kAddressCch] = {};
            if (pszDotted != nullptr &&
                MultiByteToWideChar(CP_ACP, 0, pszDotted, -1, szDotted, kAddressCch) > 0) {
                CopyCchW(pszAddress, kAddressCch, szDotted);
            }
        }
    }
    WSACleanup();
}

}  // namespace oemui
