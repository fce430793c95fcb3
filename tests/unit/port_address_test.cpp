#include <winsock2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/handles.h"
#include "settings/port_address.h"
#include "support/import_patch.h"
#include "unit/fake_spooler.h"

using namespace oemui;

namespace {

const std::wstring kStandardRoot =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";
const std::wstring kMakerRoot = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Talix Network Printer Port\\";

struct Value {
    const wchar_t *pszName;
    std::wstring data;
    DWORD dwType = REG_SZ;
    bool bTerminated = true;
};

void WriteKey(const std::wstring &path, const std::vector<Value> &values) {
    RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    for (const Value &v : values) {
        const DWORD cb = static_cast<DWORD>((v.data.size() + (v.bTerminated ? 1 : 0)) * sizeof(wchar_t));
        RegSetValueExW(key.get(), v.pszName, 0, v.dwType, reinterpret_cast<const BYTE *>(v.data.c_str()), cb);
    }
}

class PortAddress : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::wstring &path : written) RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
    }
    void Standard(const std::wstring &port, const std::vector<Value> &values) { Add(kStandardRoot + port, values); }
    void Maker(const std::wstring &port, const std::vector<Value> &values) { Add(kMakerRoot + port, values); }
    void Add(const std::wstring &path, const std::vector<Value> &values) {
        written.push_back(path);
        WriteKey(path, values);
    }
    std::vector<std::wstring> written;
};

TEST_F(PortAddress, ReadsWhatEachMonitorKeeps) {
    const std::wstring longText(400, L'9');
    const std::wstring fits(kAddressCch - 1, L'8');
    const std::wstring noRoom(kAddressCch, L'7');
    Standard(L"AcT_Ip", {{L"IPAddress", L"192.168.1.20"}, {L"HostName", L"localhost"}});
    Standard(L"AcT_Host", {{L"IPAddress", L""}, {L"HostName", L"localhost"}});
    Standard(L"AcT_Empty", {{L"IPAddress", L""}, {L"HostName", L""}});
    Standard(L"AcT_NoValues", {});
    Standard(L"AcT_Both", {{L"IPAddress", L"10.1.1.1"}});
    Maker(L"AcT_Both", {{L"IP", L"10.2.2.2"}});
    Maker(L"AcT_Maker", {{L"IP", L"10.0.0.7"}});
    Maker(L"AcT_MakerNoIp", {});
    // Values that do not fit the 260-character buffer with a terminator.
    Standard(L"AcT_LongIp", {{L"IPAddress", longText}});
    Standard(L"AcT_Unterminated", {{L"IPAddress", noRoom, REG_SZ, false}});
    Standard(L"AcT_Fits", {{L"IPAddress", fits, REG_SZ, false}});
    Standard(L"AcT_LongHost", {{L"IPAddress", L""}, {L"HostName", longText}});
    Maker(L"AcT_MakerLong", {{L"IP", longText}});
    Standard(L"AcT_Dword", {{L"IPAddress", L"AB", REG_DWORD, false}});

    struct Case {
        const wchar_t *pszPort;
        int nResult;
        std::wstring address;  // the buffer starts as "keep"
    } const cases[] = {
        {L"AcT_Ip", 1, L"192.168.1.20"},  // an address is used without resolving the name
        {L"AcT_Host", 1, L"127.0.0.1"},
        {L"AcT_Empty", 1, L""},
        {L"AcT_NoValues", 1, L"keep"},
        {L"AcT_Both", 1, L"10.1.1.1"},
        {L"AcT_Maker", 1, L"10.0.0.7"},
        {L"AcT_MakerNoIp", 0, L"keep"},
        {L"AcT_Nowhere", 0, L"keep"},
        {L"AcT_LongIp", 1, L"keep"},
        {L"AcT_Unterminated", 1, L"keep"},
        {L"AcT_Fits", 1, fits},
        {L"AcT_LongHost", 1, L""},
        {L"AcT_MakerLong", 0, L"keep"},
        {L"AcT_Dword", 1, L"keep"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pszPort);
        wchar_t szAddress[kAddressCch + 8];
        std::fill(std::begin(szAddress), std::end(szAddress), L'#');
        wcscpy_s(szAddress, kAddressCch, L"keep");
        EXPECT_EQ(LookupPortAddress(c.pszPort, szAddress), c.nResult);
        EXPECT_EQ(std::wstring(szAddress), c.address);
        EXPECT_EQ(szAddress[kAddressCch], L'#');  // nothing written past the buffer
    }
}

TEST_F(PortAddress, PortNameTooLongForTheKeyPathIsNotFound) {
    const size_t cchPrefix = kStandardRoot.size();
    const std::wstring longest(MAX_PATH - 1 - cchPrefix, L'p');  // just fits
    Standard(longest, {{L"IPAddress", L"10.9.9.9"}});
    wchar_t szAddress[kAddressCch] = {};
    EXPECT_EQ(LookupPortAddress(longest.c_str(), szAddress), 1);
    EXPECT_STREQ(szAddress, L"10.9.9.9");

    // One more character: the cut path would name the port above.
    const std::wstring tooLong = longest + L"q";
    wchar_t szOther[kAddressCch] = {};
    EXPECT_EQ(LookupPortAddress(tooLong.c_str(), szOther), 0);
    EXPECT_STREQ(szOther, L"");
    const std::wstring huge(255, L'p');
    EXPECT_EQ(LookupPortAddress(huge.c_str(), szOther), 0);
}

TEST_F(PortAddress, GetPrinterAddressGoesThroughThePrinterPort) {
    Standard(L"AcT_Printer", {{L"IPAddress", L"172.16.0.3"}});
    fakespooler::Scope spooler;
    auto &state = fakespooler::Scope::Get();
    state.portName = L"AcT_Printer";
    wchar_t szAddress[kAddressCch] = {};
    EXPECT_EQ(GetPrinterAddress(INVALID_HANDLE_VALUE, szAddress), 0);
    EXPECT_EQ(GetPrinterAddress(fakespooler::Scope::kPrinter, szAddress), 1);
    EXPECT_STREQ(szAddress, L"172.16.0.3");

    wchar_t szOther[kAddressCch] = {};
    state.bNullDriverName = true;
    EXPECT_EQ(GetPrinterAddress(fakespooler::Scope::kPrinter, szOther), 0);
    state.bNullDriverName = false;
    state.bPrinterFails = true;
    EXPECT_EQ(GetPrinterAddress(fakespooler::Scope::kPrinter, szOther), 0);
    EXPECT_STREQ(szOther, L"");
}

// Resolver answers, scripted through the test program's own import.
hostent g_entry;
std::vector<char *> g_list;
in_addr g_addrs[3];
bool g_fFail = false;

hostent *WINAPI FakeGetHostByName(const char *) {
    if (g_fFail) return nullptr;
    g_entry.h_addr_list = g_list.data();
    return &g_entry;
}

TEST(ResolveHostName, KeepsTheLastIpv4AddressOrLeavesTheBuffer) {
    testsupport::ImportPatch patch(GetModuleHandleW(nullptr), nullptr, "gethostbyname",
                                   reinterpret_cast<void *>(&FakeGetHostByName));
    ASSERT_TRUE(patch.Active());
    g_addrs[0].s_addr = htonl(0x01020304);
    g_addrs[1].s_addr = htonl(0x05060708);
    auto *a0 = reinterpret_cast<char *>(&g_addrs[0]);
    auto *a1 = reinterpret_cast<char *>(&g_addrs[1]);
    struct Case {
        const char *pszName;
        std::vector<char *> list;
        short sLength;
        bool bFail;
        const wchar_t *pszExpected;
    } const cases[] = {
        {"two", {a0, a1, nullptr}, 4, false, L"5.6.7.8"},
        {"one", {a0, nullptr}, 4, false, L"1.2.3.4"},
        {"empty list", {nullptr}, 4, false, L"keep"},
        {"not IPv4", {a0, nullptr}, 16, false, L"keep"},
        {"unknown", {nullptr}, 4, true, L"keep"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pszName);
        g_list = c.list;
        g_entry = hostent();
        g_entry.h_addrtype = AF_INET;
        g_entry.h_length = c.sLength;
        g_fFail = c.bFail;
        wchar_t szAddress[kAddressCch] = L"keep";
        ResolveHostName(L"printer.example", szAddress);
        EXPECT_STREQ(szAddress, c.pszExpected);
    }
    // A name that does not fit the resolver's 260 bytes is not resolved cut.
    g_list = {a0, nullptr};
    g_entry.h_length = 4;
    g_fFail = false;
    wchar_t szAddress[kAddressCch] = L"keep";
    ResolveHostName(std::wstring(300, L'h').c_str(), szAddress);
    EXPECT_STREQ(szAddress, L"keep");
}

}  // namespace

namespace {

DWORD g_dwResolverDelayMs = 0;
LONG g_cResolverCalls = 0;

hostent *WINAPI SlowGetHostByName(const char *) {
    InterlockedIncrement(&g_cResolverCalls);
    Sleep(g_dwResolverDelayMs);
    g_entry.h_addr_list = g_list.data();
    return &g_entry;
}

// The user interface waits for the resolver only so long: a name server that
// does not answer leaves the address unknown instead of freezing the caller.
TEST(ResolveHostName, WaitsOnlySoLongForTheResolver) {
    testsupport::ImportPatch patch(GetModuleHandleW(nullptr), nullptr, "gethostbyname",
                                   reinterpret_cast<void *>(&SlowGetHostByName));
    ASSERT_TRUE(patch.Active());
    g_addrs[0].s_addr = htonl(0x0A000001);
    g_list = {reinterpret_cast<char *>(&g_addrs[0]), nullptr};
    g_entry = hostent();
    g_entry.h_addrtype = AF_INET;
    g_entry.h_length = 4;
    struct Case {
        DWORD dwDelayMs, dwWaitMs;
        const wchar_t *pszExpected;
    } const cases[] = {{0, 2000, L"10.0.0.1"}, {1500, 100, L"keep"}};
    for (const Case &c : cases) {
        g_dwResolverDelayMs = c.dwDelayMs;
        wchar_t szAddress[kAddressCch] = L"keep";
        const DWORD start = GetTickCount();
        ResolveHostNameWithin(L"printer.example", szAddress, c.dwWaitMs);
        EXPECT_LT(GetTickCount() - start, c.dwWaitMs + 500) << c.dwDelayMs;
        EXPECT_STREQ(szAddress, c.pszExpected) << c.dwDelayMs;
    }
    // A name too long to be a host's is not looked up.
    const LONG cCalls = g_cResolverCalls;
    wchar_t szAddress[kAddressCch] = L"keep";
    ResolveHostNameWithin(std::wstring(kAddressCch, L'h').c_str(), szAddress, 100);
    EXPECT_STREQ(szAddress, L"keep");
    EXPECT_EQ(g_cResolverCalls, cCalls);
    // The slow resolver ends on its own before the patch goes.
    Sleep(1600);
}

}  // namespace
