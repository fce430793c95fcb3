#include "netlib_runs.h"

#include <windows.h>

#include <cstring>

#include "bench_support.h"
#include "host/plugin_host.h"
#include "optiontree/auto_config.h"

namespace bench {
namespace {

constexpr wchar_t kPortKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\BENCH_NETLIB";

}  // namespace

LibraryCopy::~LibraryCopy() {
    if (m_dir.empty()) return;
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPortKey);
    DeleteFileW(m_dll.c_str());
    DeleteFileW(m_ini.c_str());
    RemoveDirectoryW(m_dir.c_str());
}

bool LibraryCopy::Prepare(const std::wstring &folder, std::wstring *pError) {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    m_dir = std::wstring(szTemp) + folder + L"\\";
    CreateDirectoryW(m_dir.c_str(), nullptr);
    m_dll = m_dir + L"OEMUN.DLL";
    m_ini = m_dir + L"OEMUN.INI";
    const std::wstring package = oemuihost::ExecutableDirectory() + L"..\\package\\";
    if (!CopyFileW((package + L"OEMUN.DLL").c_str(), m_dll.c_str(), FALSE)) {
        *pError = L"cannot copy the driver package's OEMUN.DLL";
        return false;
    }
    HKEY hKey = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPortKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    RegSetValueExW(hKey, L"IPAddress", 0, REG_SZ, reinterpret_cast<const BYTE *>(L"127.0.0.1"), 20);
    RegCloseKey(hKey);
    if (LoadLibraryW((package + L"OEMUI.DLL").c_str()) == nullptr) {
        *pError = L"cannot load the driver package's OEMUI.DLL";
        return false;
    }
    return true;
}

void LibraryCopy::SetAgentPort(int port) const {
    WritePrivateProfileStringW(L"SNMP", nullptr, nullptr, m_ini.c_str());
    WritePrivateProfileStringW(L"SNMP", L"Port", std::to_wstring(port).c_str(), m_ini.c_str());
}

double LibraryCopy::RunMs(bool bCall, int *pResult) const {
    oemui::NetLibRecord record;
    std::memset(&record, 0, sizeof(record));
    record.sReserved0 = record.sReserved2 = record.sReserved10 = record.sReserved14 = record.sReserved18 = -1;
    SHORT sFlag = 1;
    const double t0 = NowMs();
    HMODULE h = LoadLibraryW(m_dll.c_str());
    auto pfn = reinterpret_cast<oemui::PFN_SNMP_AutoUpdate>(
        reinterpret_cast<void (*)()>(GetProcAddress(h, oemui::kNetLibEntryName)));
    const int nResult = !bCall ? 0 : pfn != nullptr ? pfn("BENCH_NETLIB", &record, &sFlag, 0) : -1;
    FreeLibrary(h);
    const double ms = NowMs() - t0;
    if (pResult != nullptr) *pResult = nResult;
    return ms;
}

}  // namespace bench
