// Installable-options auto-configuration: asks the model's network library
// about the printer behind the port and sets the driver's installable-option
// items (trays, duplex unit, hard disk, finisher) to what it reports.
#pragma once

#include <cstddef>

#include "kit/oemkit.h"

namespace oemui {

struct ModelConfig;

// The request/answer record handed to the network library's
// "SNMP_AutoUpdate". Every word is a signed 16-bit integer; a request word is
// 0 for an option the driver offers and -1 otherwise. The library answers in
// sTrayConfig, sDuplexUnit, sHardDisk and sFinisher (negative = no answer).
struct NetLibRecord {
    SHORT sReserved0;         // -1
    SHORT sReserved2;         // -1
    SHORT sTrayConfig;        // tray configuration code
    SHORT sDuplexUnit;        // duplex unit selection
    SHORT sHardDisk;          // hard disk selection
    SHORT sReserved10;        // -1
    SHORT sThirdTray;         // request only
    SHORT sReserved14;        // -1
    SHORT sFinisher;          // finisher selection
    SHORT sReserved18;        // -1
    BYTE bSupportMpTray;      // model INI [FUNCTION] "SupportMpTray", low 8 bits
    BYTE bAutoCfgNetworkMDL;  // model INI [FUNCTION] "AutoCfgNetworkMDL", low 8 bits
    BYTE abReserved22[10];    // 0
};
static_assert(offsetof(NetLibRecord, sReserved0) == 0, "NetLibRecord.sReserved0");
static_assert(offsetof(NetLibRecord, sReserved2) == 2, "NetLibRecord.sReserved2");
static_assert(offsetof(NetLibRecord, sTrayConfig) == 4, "NetLibRecord.sTrayConfig");
static_assert(offsetof(NetLibRecord, sDuplexUnit) == 6, "NetLibRecord.sDuplexUnit");
static_assert(offsetof(NetLibRecord, sHardDisk) == 8, "NetLibRecord.sHardDisk");
static_assert(offsetof(NetLibRecord, sReserved10) == 10, "NetLibRecord.sReserved10");
static_assert(offsetof(NetLibRecord, sThirdTray) == 12, "NetLibRecord.sThirdTray");
static_assert(offsetof(NetLibRecord, sReserved14) == 14, "NetLibRecord.sReserved14");
static_assert(offsetof(NetLibRecord, sFinisher) == 16, "NetLibRecord.sFinisher");
static_assert(offsetof(NetLibRecord, sReserved18) == 18, "NetLibRecord.sReserved18");
static_assert(offsetof(NetLibRecord, bSupportMpTray) == 20, "NetLibRecord.bSupportMpTray");
static_assert(offsetof(NetLibRecord, bAutoCfgNetworkMDL) == 21, "NetLibRecord.bAutoCfgNetworkMDL");
static_assert(offsetof(NetLibRecord, abReserved22) == 22, "NetLibRecord.abReserved22");
static_assert(sizeof(NetLibRecord) == 32, "NetLibRecord size");

// The library's entry: port name (system ANSI code page, at most 255 bytes
// and the NUL), the record, a 16-bit flag set to 1, and 0. Nonzero when the
// record holds answers.
using PFN_SNMP_AutoUpdate = SHORT(WINAPI *)(LPCSTR pszPortName, NetLibRecord *pRecord,
                                            SHORT *psFlag, DWORD dwReserved);
constexpr const char kNetLibEntryName[] = "SNMP_AutoUpdate";

// How a keyword's presence shapes the request word it stands for: the first
// family sets the word (0 found, -1 not), the second only adds a 0 when found.
enum class RequestRule { kSetWord, kClearWordIfFound, kNone };

struct InstallableOption {
    const char *pszKeyword;
    SHORT NetLibRecord::*pWord;  // null for keywords that ask nothing
    RequestRule rule;
};

// The installable options' driver keywords, one per kind of driver data the
// models use, in the order the request is built. The disk option is entry
// kKeywordOption4 or kKeywordPrinterHardDisk.
inline constexpr InstallableOption kInstallableOptions[] = {
    {"Option1", &NetLibRecord::sTrayConfig, RequestRule::kSetWord},
    {"Option2", &NetLibRecord::sDuplexUnit, RequestRule::kSetWord},
    {"Option4", &NetLibRecord::sHardDisk, RequestRule::kSetWord},
    {"Option5", &NetLibRecord::sThirdTray, RequestRule::kSetWord},
    {"Option6", nullptr, RequestRule::kNone},
    {"Finisher", &NetLibRecord::sFinisher, RequestRule::kSetWord},
    {"InstalledMemory", nullptr, RequestRule::kNone},
    {"OptTray2", &NetLibRecord::sTrayConfig, RequestRule::kClearWordIfFound},
    {"DuplexUnit", &NetLibRecord::sDuplexUnit, RequestRule::kClearWordIfFound},
    {"PrinterHardDisk", &NetLibRecord::sHardDisk, RequestRule::kClearWordIfFound},
    {"OptTray3", &NetLibRecord::sThirdTray, RequestRule::kClearWordIfFound},
    {"OptTray4", nullptr, RequestRule::kNone},
};
constexpr int kKeywordOption4 = 2;
constexpr int kKeywordPrinterHardDisk = 9;

// Which tray each tray keyword stands for (index into TrayConfiguration::alSel).
struct TrayItem {
    const char *pszKeyword;
    int nTray;
};
inline constexpr TrayItem kTrayItems[] = {
    {"Option1", 0}, {"Option5", 1}, {"Option6", 2},
    {"OptTray2", 0}, {"OptTray3", 1}, {"OptTray4", 2},
};
inline constexpr const char *kTrayOptionNames[] = {"False", "True", "LCT"};

// The single-choice options: the first keyword found wins.
struct SwitchedOption {
    SHORT NetLibRecord::*pWord;
    const char *pszKeyword;
    const char *pszOtherKeyword;  // the other driver-data family, or null
    const char *pszOffName;
    const char *pszOnName;
    bool bStoreDiskSetting;
};
inline constexpr SwitchedOption kSwitchedOptions[] = {
    {&NetLibRecord::sDuplexUnit, "Option2", "DuplexUnit", "False", "True", false},
    {&NetLibRecord::sHardDisk, "Option4", "PrinterHardDisk", "False", "True", true},
    {&NetLibRecord::sFinisher, "Finisher", nullptr, "None", "MPFinisher", false},
};

// One run; pConfig is the call's context record (its model INI reader is
// used when it has one), pDriverUI the driver's helper. Without a parameter
// block or a helper nothing is done.
void AutoConfigureOptions(POEMCUIPPARAM pParam, ModelConfig *pConfig, IPrintOemDriverUI *pDriverUI);

// Model INI [FUNCTION] switch read for the library request. Known keys:
// "SupportMpTray" (default 1) and "AutoCfgNetworkMDL" (default 0); any other
// key gives 0. The INI is pConfig's model INI reader when there is one, else
// found through the printer's driver data file; 0 without pParam or driver
// information.
int ReadFunctionSwitch(const OEMCUIPPARAM *pParam, ModelConfig *pConfig, const wchar_t *pszKey);

}  // namespace oemui
