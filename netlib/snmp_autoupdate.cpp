// The network library a driver package ships beside the plug-in: answers the
// plug-in's installable-options question by asking the printer behind the
// port over SNMP (see README.md for what is read and how it is mapped).
#include <winsock2.h>

#include "auto_update.h"
#include "settings.h"

extern "C" SHORT WINAPI SNMP_AutoUpdate(LPCSTR pszPortName, oemui::NetLibRecord *pRecord, SHORT *psFlag,
                                        DWORD dwReserved) {
    // The flag and the reserved word carry nothing this library needs.
    (void)psFlag;
    (void)dwReserved;
    if (pszPortName == nullptr || pRecord == nullptr) return 0;
    in_addr addr = {};
    if (!oemun::ResolvePortTarget(pszPortName, &addr, nullptr, nullptr)) return 0;
    oemun::Settings settings;
    wchar_t szIni[MAX_PATH];
    if (oemun::SettingsPathBeside(oemun::ModuleOfThisCode(), szIni, MAX_PATH))
        oemun::LoadSettings(szIni, &settings);
    else
        oemun::DefaultSettings(&settings);
    return oemun::RunAutoUpdate(addr, settings, pRecord, nullptr, nullptr);
}
