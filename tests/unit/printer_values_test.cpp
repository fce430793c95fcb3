// Values written together (an account and its password, the alert switch and
// its interval) against a printer-data store held in this test: all or none,
// whichever write of the set fails.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/printer_values.h"
#include "support/import_patch.h"

using namespace oemui;

namespace {

struct Stored {
    DWORD type;
    std::vector<BYTE> bytes;
    bool operator==(const Stored &o) const { return type == o.type && bytes == o.bytes; }
};
using Store = std::map<std::wstring, Stored>;

Store g_store;
int g_setCalls = 0;
int g_failSetCall = 0;  // 1-based; 0: none fails
bool g_readFails = false;

DWORD WINAPI FakeGet(HANDLE, LPWSTR pszName, LPDWORD pType, LPBYTE pData, DWORD cb, LPDWORD pcbNeeded) {
    if (g_readFails) return ERROR_ACCESS_DENIED;
    const auto it = g_store.find(pszName);
    if (it == g_store.end()) return ERROR_FILE_NOT_FOUND;
    *pType = it->second.type;
    *pcbNeeded = static_cast<DWORD>(it->second.bytes.size());
    if (cb < it->second.bytes.size()) return ERROR_MORE_DATA;
    if (!it->second.bytes.empty()) CopyMemory(pData, it->second.bytes.data(), it->second.bytes.size());
    return ERROR_SUCCESS;
}

DWORD WINAPI FakeSet(HANDLE, LPWSTR pszName, DWORD type, LPBYTE pData, DWORD cb) {
    if (++g_setCalls == g_failSetCall) return ERROR_ACCESS_DENIED;
    g_store[pszName] = {type, std::vector<BYTE>(pData, pData + cb)};
    return ERROR_SUCCESS;
}

DWORD WINAPI FakeDelete(HANDLE, LPWSTR pszName) {
    return g_store.erase(pszName) != 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

Stored Text(const wchar_t *psz) {
    const BYTE *p = reinterpret_cast<const BYTE *>(psz);
    return {REG_SZ, std::vector<BYTE>(p, p + lstrlenW(psz) * sizeof(wchar_t))};
}

Stored Dword(DWORD dw) {
    const BYTE *p = reinterpret_cast<const BYTE *>(&dw);
    return {REG_DWORD, std::vector<BYTE>(p, p + sizeof(dw))};
}

class PrinterValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const HMODULE hExe = GetModuleHandleW(nullptr);
        m_get.reset(new testsupport::ImportPatch(hExe, nullptr, "GetPrinterDataW", reinterpret_cast<void *>(&FakeGet)));
        m_set.reset(new testsupport::ImportPatch(hExe, nullptr, "SetPrinterDataW", reinterpret_cast<void *>(&FakeSet)));
        m_delete.reset(
            new testsupport::ImportPatch(hExe, nullptr, "DeletePrinterDataW", reinterpret_cast<void *>(&FakeDelete)));
        ASSERT_TRUE(m_get->Active() && m_set->Active() && m_delete->Active());
    }
    std::unique_ptr<testsupport::ImportPatch> m_get, m_set, m_delete;
};

const HANDLE kPrinter = reinterpret_cast<HANDLE>(0x5150);

TEST_F(PrinterValuesTest, ASetIsWrittenWholeOrNotAtAll) {
    const Stored longOld{REG_BINARY, std::vector<BYTE>(1000, 0x5A)};  // beyond the small buffer
    struct Case {
        const char *what;
        Store before;
        int failSetCall;
        bool readFails;
        bool written;
    } const cases[] = {
        {"both written over nothing", {}, 0, false, true},
        {"both written over old values", {{L"ID", Text(L"old")}, {L"PW", Text(L"oldpw")}}, 0, false, true},
        {"the first write fails", {{L"ID", Text(L"old")}}, 1, false, false},
        {"the second fails, the first had nothing", {{L"PW", Text(L"oldpw")}}, 2, false, false},
        {"the second fails, the first goes back", {{L"ID", Text(L"old")}, {L"PW", Text(L"oldpw")}}, 2, false, false},
        {"the second fails, a long first value goes back", {{L"ID", longOld}}, 2, false, false},
        {"the second fails, an empty first value goes back", {{L"ID", Text(L"")}}, 2, false, false},
        {"what the first holds cannot be read", {{L"ID", Text(L"old")}}, 0, true, false},
    };
    const DWORD dwFlag = 1;
    const PrinterValue values[] = {TextValue(L"ID", L"account", 32), DwordValue(L"PW", dwFlag)};
    for (const Case &c : cases) {
        g_store = c.before;
        g_setCalls = 0;
        g_failSetCall = c.failSetCall;
        g_readFails = c.readFails;
        EXPECT_EQ(SetPrinterValues(kPrinter, values, 2), c.written) << c.what;
        g_readFails = false;
        if (c.written) {
            const Store expected = {{L"ID", Text(L"account")}, {L"PW", Dword(1)}};
            EXPECT_TRUE(g_store == expected) << c.what;
        } else {
            EXPECT_TRUE(g_store == c.before) << c.what;
        }
    }
}

TEST_F(PrinterValuesTest, ALaterFailurePutsBackEveryEarlierValue) {
    const DWORD a = 1, b = 2, c = 3;
    const PrinterValue values[] = {DwordValue(L"A", a), DwordValue(L"B", b), DwordValue(L"C", c)};
    g_store = {{L"A", Dword(10)}, {L"C", Dword(30)}};
    const Store before = g_store;
    g_setCalls = 0;
    g_failSetCall = 3;
    EXPECT_FALSE(SetPrinterValues(kPrinter, values, 3));
    EXPECT_TRUE(g_store == before);
    // No printer, no values, or more than a set holds: nothing is written.
    g_setCalls = 0;
    g_failSetCall = 0;
    EXPECT_FALSE(SetPrinterValues(nullptr, values, 3));
    EXPECT_FALSE(SetPrinterValues(kPrinter, values, 0));
    EXPECT_FALSE(SetPrinterValues(kPrinter, values, 5));
    EXPECT_EQ(g_setCalls, 0);
}

}  // namespace
