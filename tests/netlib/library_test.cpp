// The driver package's OEMUN.DLL, loaded for real and called as the plug-in
// calls it, against the snmpd agents tests/snmp/agents.py started (their
// ports arrive in OEMUN_TEST_AGENTS), a silent socket and bad input.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/handles.h"
#include "host/plugin_host.h"
#include "optiontree/auto_config.h"
#include "netlib/test_agents.h"
#include "netlib/test_packets.h"
#include "support/import_patch.h"

using oemui::NetLibRecord;
using testagents::AgentPorts;
using testagents::SilentSocket;

namespace {

const std::wstring kStandardRoot =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";
const std::wstring kMakerRoot = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Talix Network Printer Port\\";

// What the plug-in sends when the driver offers every option.
NetLibRecord FullRequest() {
    NetLibRecord r;
    std::memset(&r, 0, sizeof(r));
    r.sReserved0 = r.sReserved2 = r.sReserved10 = r.sReserved14 = r.sReserved18 = -1;
    r.bSupportMpTray = 1;
    return r;
}

class SnmpLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t szTemp[MAX_PATH];
        GetTempPathW(MAX_PATH, szTemp);
        m_dir = std::wstring(szTemp) + L"oemun_test_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(m_dir.c_str(), nullptr);
        // A private copy, so the settings written here stay here.
        const std::wstring package = oemuihost::ExecutableDirectory() + L"..\\package\\OEMUN.DLL";
        ASSERT_TRUE(CopyFileW(package.c_str(), (m_dir + L"OEMUN.DLL").c_str(), FALSE));
        m_hModule = LoadLibraryW((m_dir + L"OEMUN.DLL").c_str());
        ASSERT_NE(m_hModule, nullptr);
        m_pfn = reinterpret_cast<oemui::PFN_SNMP_AutoUpdate>(
            reinterpret_cast<void (*)()>(GetProcAddress(m_hModule, oemui::kNetLibEntryName)));
        ASSERT_NE(m_pfn, nullptr);
    }
    void TearDown() override {
        if (m_hModule != nullptr) FreeLibrary(m_hModule);
        DeleteFileW((m_dir + L"OEMUN.DLL").c_str());
        DeleteFileW((m_dir + L"OEMUN.INI").c_str());
        RemoveDirectoryW(m_dir.c_str());
        for (const std::wstring &key : m_keys) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    }

    void Settings(const std::map<std::wstring, std::wstring> &values) {
        const std::wstring ini = m_dir + L"OEMUN.INI";
        WritePrivateProfileStringW(L"SNMP", nullptr, nullptr, ini.c_str());
        for (const auto &v : values) WritePrivateProfileStringW(L"SNMP", v.first.c_str(), v.second.c_str(), ini.c_str());
    }
    // A port as the Standard TCP/IP port monitor keeps it, or (values
    // {"IP", address}) as the maker's port monitor does.
    std::string Port(const std::wstring &name, const std::wstring &address, const std::wstring &host = L"",
                     const std::wstring &root = kStandardRoot) {
        oemui::RegKey key;
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (root + name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  key.put(), nullptr),
                  ERROR_SUCCESS);
        auto setText = [&key](const wchar_t *pszName, const std::wstring &text) {
            RegSetValueExW(key.get(), pszName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        };
        if (root == kStandardRoot) {
            setText(L"IPAddress", address);
            setText(L"HostName", host);
        } else {
            setText(L"IP", address);
        }
        m_keys.push_back(root + name);
        return std::string(name.begin(), name.end());
    }
    SHORT Call(const char *pszPort, NetLibRecord *pRecord) {
        SHORT sFlag = 1;
        return m_pfn(pszPort, pRecord, &sFlag, 0);
    }

    std::wstring m_dir;
    HMODULE m_hModule = nullptr;
    oemui::PFN_SNMP_AutoUpdate m_pfn = nullptr;
    std::vector<std::wstring> m_keys;
};

TEST_F(SnmpLibrary, EachPrinterProfileGivesItsRecord) {
    const std::map<std::string, int> agents = AgentPorts();
    ASSERT_GE(agents.size(), 4u) << "run through tests/snmp/agents.py (the test command does)";
    struct Case {
        const char *pszProfile;
        SHORT sTrays, sDuplex, sDisk, sFinisher;
    } const cases[] = {
        {"plain", 0, 0, 0, -1},  // no finisher table: the printer does not say
        {"trays", 11, 0, 0, -1},
        {"duplex_disk_stapler", 0, 1, 1, 1},
        {"v1_only", 12, 1, 1, 0},  // answers only after the v2c question goes unanswered
    };
    const std::string port = Port(L"NETLIB_AGENT", L"127.0.0.1");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pszProfile);
        ASSERT_EQ(agents.count(c.pszProfile), 1u);
        Settings({{L"Port", std::to_wstring(agents.at(c.pszProfile))}});
        NetLibRecord record = FullRequest();
        NetLibRecord expected = record;
        expected.sTrayConfig = c.sTrays;
        expected.sDuplexUnit = c.sDuplex;
        expected.sHardDisk = c.sDisk;
        expected.sFinisher = c.sFinisher;
        EXPECT_EQ(Call(port.c_str(), &record), 1);
        EXPECT_EQ(record.sTrayConfig, c.sTrays);
        EXPECT_EQ(record.sDuplexUnit, c.sDuplex);
        EXPECT_EQ(record.sHardDisk, c.sDisk);
        EXPECT_EQ(record.sFinisher, c.sFinisher);
        EXPECT_EQ(std::memcmp(&record, &expected, sizeof(record)), 0) << "a word that is not an answer changed";
    }

    // The printer found by host name, and through the maker's port monitor.
    Settings({{L"Port", std::to_wstring(agents.at("trays"))}});
    for (const std::string &other : {Port(L"NETLIB_BYNAME", L"", L"localhost"),
                                     Port(L"NETLIB_MAKER", L"127.0.0.1", L"", kMakerRoot)}) {
        SCOPED_TRACE(other);
        NetLibRecord record = FullRequest();
        EXPECT_EQ(Call(other.c_str(), &record), 1);
        EXPECT_EQ(record.sTrayConfig, 11);
    }

    // Only asked words are answered: a driver without trays or disk items.
    Settings({{L"Port", std::to_wstring(agents.at("duplex_disk_stapler"))}});
    NetLibRecord record = FullRequest();
    record.sTrayConfig = record.sHardDisk = -1;
    EXPECT_EQ(Call(port.c_str(), &record), 1);
    EXPECT_EQ(record.sTrayConfig, -1);
    EXPECT_EQ(record.sHardDisk, -1);
    EXPECT_EQ(record.sDuplexUnit, 1);
    EXPECT_EQ(record.sFinisher, 1);
}

TEST_F(SnmpLibrary, BadInputAnswersZeroAndChangesNothing) {
    const std::map<std::string, int> agents = AgentPorts();
    ASSERT_EQ(agents.count("plain"), 1u);
    const std::wstring livePort = std::to_wstring(agents.at("plain"));
    const std::string overlong(300, 'P');
    const std::string live = Port(L"NETLIB_LIVE", L"127.0.0.1");
    struct Case {
        const char *pszWhat;
        std::string port;
        std::map<std::wstring, std::wstring> settings;
        bool bNothingAsked;
    } const cases[] = {
        {"a 300-byte port name", overlong, {{L"Port", livePort}}, false},
        {"a file port", "FILE:", {{L"Port", livePort}}, false},
        {"a parallel port", "LPT1:", {{L"Port", livePort}}, false},
        {"a port without address or name", Port(L"NETLIB_EMPTY", L""), {{L"Port", livePort}}, false},
        {"an address that is no host name", Port(L"NETLIB_JUNK", L"printer one; rm"), {{L"Port", livePort}}, false},
        {"the broadcast address", Port(L"NETLIB_BCAST", L"255.255.255.255"), {{L"Port", livePort}}, false},
        {"an agent of another community",
         live,
         {{L"Port", livePort}, {L"Community", L"private"}, {L"Timeout", L"50"}, {L"Retries", L"0"}},
         false},
        {"a record that asks nothing", live, {{L"Port", livePort}}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Settings(c.settings);
        NetLibRecord record = FullRequest();
        if (c.bNothingAsked) record.sTrayConfig = record.sDuplexUnit = record.sHardDisk = record.sFinisher = -1;
        const NetLibRecord before = record;
        EXPECT_EQ(Call(c.port.c_str(), &record), 0);
        EXPECT_EQ(std::memcmp(&record, &before, sizeof(record)), 0);
    }
    NetLibRecord record = FullRequest();
    EXPECT_EQ(Call(nullptr, &record), 0);
    EXPECT_EQ(Call(live.c_str(), nullptr), 0);

    // An agent that answers every question, v2c and v1, with genErr.
    testagents::FakeAgent refusing([](const oemun::Message &r, int) {
        return std::vector<testagents::Datagram>{
            {testpackets::Message(r.lVersion, "public", oemun::kPduResponse, r.lRequestId, 5, 1, {})}};
    });
    Settings({{L"Port", std::to_wstring(refusing.Port())}});
    const NetLibRecord before = record;
    EXPECT_EQ(Call(live.c_str(), &record), 0);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof(record)), 0);
    EXPECT_EQ(refusing.Seen().size(), 2u);  // asked once in each version
}

TEST_F(SnmpLibrary, SilentPrinterAnswersZero) {
    SilentSocket silent;
    const std::string port = Port(L"NETLIB_DEAD", L"127.0.0.1");
    // Defaults, then settings far out of bounds (clamped to a short wait).
    for (const std::map<std::wstring, std::wstring> &settings :
         {std::map<std::wstring, std::wstring>{{L"Port", std::to_wstring(silent.Port())}},
          std::map<std::wstring, std::wstring>{
              {L"Port", std::to_wstring(silent.Port())}, {L"Timeout", L"0"}, {L"Retries", L"-3"}}}) {
        Settings(settings);
        NetLibRecord record = FullRequest();
        const NetLibRecord before = record;
        EXPECT_EQ(Call(port.c_str(), &record), 0);
        EXPECT_EQ(std::memcmp(&record, &before, sizeof(record)), 0);
    }
}

LONG g_cSlowLookups = 0;
hostent *WSAAPI SlowGetHostByName(const char *) {
    InterlockedIncrement(&g_cSlowLookups);
    Sleep(2500);
    return nullptr;
}

// A name server that does not answer: the lookup of a port set up by name
// holds the caller at most the plug-in's one second, whichever value holds
// the name, and the run then answers nothing.
TEST_F(SnmpLibrary, HostNameLookupIsBounded) {
    SilentSocket silent;
    Settings({{L"Port", std::to_wstring(silent.Port())}, {L"Timeout", L"10"}, {L"Retries", L"0"}});
    testsupport::ImportPatch patch(m_hModule, "ws2_32.dll", "gethostbyname",
                                   reinterpret_cast<void *>(&SlowGetHostByName));
    ASSERT_TRUE(patch.Active());
    for (const std::string &port : {Port(L"NETLIB_SLOWNAME_IP", L"printer-slow.example"),
                                    Port(L"NETLIB_SLOWNAME_HOST", L"", L"printer-slow.example"),
                                    Port(L"NETLIB_SLOWNAME_MAKER", L"printer-slow.example", L"", kMakerRoot)}) {
        SCOPED_TRACE(port);
        const LONG cLookups = g_cSlowLookups;
        NetLibRecord record = FullRequest();
        const NetLibRecord before = record;
        const ULONGLONG ullStart = GetTickCount64();
        EXPECT_EQ(Call(port.c_str(), &record), 0);
        EXPECT_LT(GetTickCount64() - ullStart, 1700u);
        EXPECT_EQ(std::memcmp(&record, &before, sizeof(record)), 0);
        EXPECT_EQ(g_cSlowLookups, cLookups + 1);
    }
    // The resolvers end on their own before the patch goes.
    Sleep(2000);
}

int WSAAPI FailingStartup(WORD, LPWSADATA) { return WSASYSNOTREADY; }

TEST_F(SnmpLibrary, NoWinsockAnswersZero) {
    const std::map<std::string, int> agents = AgentPorts();
    ASSERT_EQ(agents.count("plain"), 1u);
    Settings({{L"Port", std::to_wstring(agents.at("plain"))}});
    const std::string port = Port(L"NETLIB_NOSOCK", L"127.0.0.1");
    testsupport::ImportPatch patch(m_hModule, "ws2_32.dll", "WSAStartup", reinterpret_cast<void *>(&FailingStartup));
    ASSERT_TRUE(patch.Active());
    NetLibRecord record = FullRequest();
    const NetLibRecord before = record;
    EXPECT_EQ(Call(port.c_str(), &record), 0);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof(record)), 0);
}

}  // namespace
