// The mapping rules from table rows to answer words, the settings bounds,
// target checks, and the walk against an in-process agent that answers the
// way broken, hostile or old agents do.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "auto_update.h"
#include "netlib/test_agents.h"
#include "netlib/test_packets.h"
#include "printer_query.h"
#include "settings.h"

using namespace oemun;
using testagents::Datagram;
using testagents::FakeAgent;
using testagents::Responder;

namespace {

struct Tray {
    int64_t llType, llUnit, llMax;
};

PrinterTables TablesWithTrays(const std::vector<Tray> &trays) {
    PrinterTables t = {};
    uint32_t index[2] = {1, 0};
    for (const Tray &tray : trays) {
        ++index[1];
        AddCell(&t.aColumns[kInputType], index, 2, tray.llType, nullptr);
        AddCell(&t.aColumns[kInputUnit], index, 2, tray.llUnit, nullptr);
        AddCell(&t.aColumns[kInputMaxCapacity], index, 2, tray.llMax, nullptr);
    }
    return t;
}

TEST(AnswerMapping, TrayConfigurationCodes) {
    const Tray first = {4, 8, 250}, opt = {3, 8, 500}, lct = {3, 8, 2000};
    struct Case {
        const char *pszWhat;
        std::vector<Tray> trays;
        int16_t sCode;
    } const cases[] = {
        {"no input table", {}, -1},
        {"the standard tray only", {first}, 0},
        {"a bypass tray does not count", {first, {5, 8, 100}}, 0},
        {"continuous paper does not count", {{6, 8, 5000}, first, opt}, 1},
        {"a second tray", {first, opt}, 1},
        {"a large second tray", {first, lct}, 10},
        {"1000 sheets is large", {first, {3, 8, 1000}}, 10},
        {"999 sheets is not", {first, {3, 8, 999}}, 1},
        {"a capacity not in sheets", {first, {3, 3, 50000}}, 1},
        {"second and third", {first, opt, opt}, 3},
        {"a large third tray", {first, opt, lct}, 11},
        {"a large tray before the last counts as ordinary", {first, lct, opt}, 3},
        {"second to fourth", {first, opt, opt, opt}, 4},
        {"a large fourth tray", {first, opt, opt, lct}, 12},
        {"trays past the fourth are ignored", {first, opt, opt, opt, lct}, 4},
        {"unknown tray types count", {{2, 8, 250}, {1, 8, 500}}, 1},
    };
    for (const Case &c : cases) EXPECT_EQ(TrayConfigCode(TablesWithTrays(c.trays)), c.sCode) << c.pszWhat;
}

TEST(AnswerMapping, DuplexDiskAndFinisher) {
    auto with = [](std::vector<std::pair<Column, int64_t>> cells) {
        PrinterTables t = {};
        uint32_t index = 0;
        for (const auto &cell : cells) {
            ++index;
            AddCell(&t.aColumns[cell.first], &index, 1, cell.second, nullptr);
        }
        return t;
    };
    EXPECT_EQ(DuplexAnswer(with({})), -1);
    EXPECT_EQ(DuplexAnswer(with({{kMediaPathType, 5}})), 0);
    EXPECT_EQ(DuplexAnswer(with({{kMediaPathType, 5}, {kMediaPathType, 4}})), 1);
    EXPECT_EQ(HardDiskAnswer(with({})), -1);
    EXPECT_EQ(HardDiskAnswer(with({{kStorageType, 0}})), 0);
    EXPECT_EQ(HardDiskAnswer(with({{kDeviceType, 0}, {kStorageType, 1}})), 1);
    EXPECT_EQ(FinisherAnswer(with({})), -1);
    EXPECT_EQ(FinisherAnswer(with({{kFinisherType, 16}})), 0);  // a stacker is no stapler
    EXPECT_EQ(FinisherAnswer(with({{kFinisherType, 3}})), 1);   // presence not told: present
    // Presence is joined by row index: row 1 is the stitcher, row 2 its presence.
    PrinterTables t = {};
    const uint32_t one = 1;
    AddCell(&t.aColumns[kFinisherType], &one, 1, 3, nullptr);
    AddCell(&t.aColumns[kFinisherPresence], &one, 1, 5, nullptr);
    EXPECT_EQ(FinisherAnswer(t), 0);
    // Only what was asked is answered.
    const Answers a = MapAnswers({false, true, false, false}, with({{kMediaPathType, 3}, {kStorageType, 1}}));
    EXPECT_EQ(a.sTrayConfig, -1);
    EXPECT_EQ(a.sDuplexUnit, 1);
    EXPECT_EQ(a.sHardDisk, -1);
}

// Rows one to a column index each; the listed columns marked cut short.
PrinterTables TablesWith(const std::vector<std::pair<Column, int64_t>> &cells, const std::vector<Column> &cut) {
    PrinterTables t = {};
    uint32_t index = 0;
    for (const auto &cell : cells) {
        ++index;
        AddCell(&t.aColumns[cell.first], &index, 1, cell.second, nullptr);
    }
    for (Column c : cut) t.aColumns[c].bCut = true;
    return t;
}

// A walk cut short (request or row cap) has only some rows: they can show a
// part that is there, never that a part is missing.
TEST(AnswerMapping, CutColumnsNeverAnswerNotFitted) {
    struct Case {
        const char *pszWhat;
        int16_t (*pfnRule)(const PrinterTables &);
        std::vector<std::pair<Column, int64_t>> cells;
        std::vector<Column> cut;
        int16_t sAnswer;
    } const cases[] = {
        {"paths, none duplex, cut", DuplexAnswer, {{kMediaPathType, 5}}, {kMediaPathType}, -1},
        {"a duplex path before the cut", DuplexAnswer, {{kMediaPathType, 5}, {kMediaPathType, 4}}, {kMediaPathType}, 1},
        {"devices, none a disk, cut", HardDiskAnswer, {{kDeviceType, 0}, {kStorageType, 0}}, {kDeviceType}, -1},
        {"storage cut, devices complete", HardDiskAnswer, {{kDeviceType, 0}}, {kStorageType}, -1},
        {"a fixed disk beside a cut column", HardDiskAnswer, {{kDeviceType, 0}, {kStorageType, 1}}, {kDeviceType}, 1},
        {"finishers, none a stitcher, cut", FinisherAnswer, {{kFinisherType, 16}}, {kFinisherType}, -1},
        {"a stitcher whose presence was cut off", FinisherAnswer, {{kFinisherType, 3}}, {kFinisherPresence}, -1},
        {"a present stitcher before the cut", FinisherAnswer, {{kFinisherType, 3}}, {kFinisherType}, 1},
        {"trays cut", TrayConfigCode, {{kInputType, 4}, {kInputType, 3}}, {kInputType}, -1},
        {"tray capacities cut", TrayConfigCode, {{kInputType, 4}, {kInputType, 3}}, {kInputMaxCapacity}, -1},
        {"the same trays complete", TrayConfigCode, {{kInputType, 4}, {kInputType, 3}}, {}, 1},
    };
    for (const Case &c : cases) EXPECT_EQ(c.pfnRule(TablesWith(c.cells, c.cut)), c.sAnswer) << c.pszWhat;
}

// What is an address at all is the plug-in's one rule, with its own table
// (tests/unit/host_address_test.cpp); here only what the library makes of it.
TEST(Targets, DottedAddressesBecomeTargetsInNetworkOrder) {
    in_addr addr = {};
    ASSERT_TRUE(ParseTargetAddress("192.0.2.10", &addr));
    EXPECT_EQ(addr.s_addr, htonl(0xC000020Au));
    for (const char *pszOther : {"printer-7.example", "0.0.0.0", "224.0.0.1", "[2001:db8::1]", "1.2.3", ""}) {
        addr.s_addr = 0xdeadbeef;
        EXPECT_FALSE(ParseTargetAddress(pszOther, &addr)) << pszOther;
        EXPECT_EQ(addr.s_addr, 0xdeadbeefu) << pszOther;
    }
    EXPECT_FALSE(ParseTargetAddress(nullptr, &addr));
}

TEST(LibrarySettings, ValuesAreClampedToTheirBounds) {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring ini = std::wstring(szTemp) + L"oemun_settings_test.ini";
    struct Case {
        const wchar_t *pszKey;
        const wchar_t *pszValue;
        const char *pszCommunity;
        WORD wPort;
        DWORD dwTimeout, dwRetries;
    } const cases[] = {
        {nullptr, nullptr, "public", 161, 250, 1},
        {L"Timeout", L"0", "public", 161, kMinTimeoutMs, 1},
        {L"Timeout", L"-40", "public", 161, kMinTimeoutMs, 1},
        {L"Timeout", L"99999999999999999999", "public", 161, kMaxTimeoutMs, 1},
        {L"Timeout", L"fast", "public", 161, 250, 1},
        {L"Retries", L"1000000", "public", 161, 250, kMaxRetries},
        {L"Retries", L"-1", "public", 161, 250, 0},
        {L"Port", L"0", "public", 161, 250, 1},
        {L"Port", L"70000", "public", 161, 250, 1},
        {L"Port", L"16161", "public", 16161, 250, 1},
        {L"Community", L"private", "private", 161, 250, 1},
        {L"Community", L"two words", "public", 161, 250, 1},
        {L"Community", L"c\x00e9t\x00e9", "public", 161, 250, 1},
        {L"Community", L"0123456789012345678901234567890123", "public", 161, 250, 1},
    };
    for (const Case &c : cases) {
        DeleteFileW(ini.c_str());
        if (c.pszKey != nullptr) WritePrivateProfileStringW(L"SNMP", c.pszKey, c.pszValue, ini.c_str());
        oemun::Settings s;
        LoadSettings(ini.c_str(), &s);
        SCOPED_TRACE(testing::Message() << (c.pszKey ? "with a setting" : "defaults") << " #" << (&c - cases));
        EXPECT_STREQ(s.szCommunity, c.pszCommunity);
        EXPECT_EQ(s.wPort, c.wPort);
        EXPECT_EQ(s.dwTimeoutMs, c.dwTimeout);
        EXPECT_EQ(s.dwRetries, c.dwRetries);
    }
    DeleteFileW(ini.c_str());
}

const std::string kPathType = "1.3.6.1.2.1.43.13.4.1.9";

std::vector<uint8_t> Reply(const Message &request, const std::vector<testpackets::Binding> &bindings,
                           int32_t lIdDelta = 0, const char *pszCommunity = "public", int32_t lError = 0,
                           int32_t lIndex = 0) {
    return testpackets::Message(request.lVersion, pszCommunity, kPduResponse, request.lRequestId + lIdDelta, lError,
                                lIndex, bindings);
}
std::vector<testpackets::Binding> DuplexRows() {
    return {testpackets::IntegerBinding(kPathType + ".1.1", 5), testpackets::IntegerBinding(kPathType + ".1.2", 3),
            testpackets::EmptyBinding(kPathType + ".1.2", kTagEndOfMibView)};
}

TEST(AgentReplies, OnlyTheMatchingAnswerCounts) {
    struct Case {
        const char *pszWhat;
        Responder responder;
        QueryResult result;
        int16_t sDuplex;
    } const cases[] = {
        {"a plain answer", [](const Message &r, int) { return std::vector<Datagram>{{Reply(r, DuplexRows())}}; },
         QueryResult::kAnswered, 1},
        {"another request id first",
         [](const Message &r, int) {
             return std::vector<Datagram>{{Reply(r, {testpackets::IntegerBinding(kPathType + ".1.1", 5)}, 1)},
                                          {Reply(r, DuplexRows())}};
         },
         QueryResult::kAnswered, 1},
        {"the answer from another port",
         [](const Message &r, int) { return std::vector<Datagram>{{Reply(r, DuplexRows()), true}}; },
         QueryResult::kSilent, -1},
        {"another community",
         [](const Message &r, int) { return std::vector<Datagram>{{Reply(r, DuplexRows(), 0, "private")}}; },
         QueryResult::kSilent, -1},
        {"a request echoed back",
         [](const Message &r, int) {
             return std::vector<Datagram>{{testpackets::Message(r.lVersion, "public", kPduGetBulk, r.lRequestId, 0, 0,
                                                                DuplexRows())}};
         },
         QueryResult::kSilent, -1},
        {"an error status, in v2c and v1",
         [](const Message &r, int) { return std::vector<Datagram>{{Reply(r, DuplexRows(), 0, "public", 5, 1)}}; },
         QueryResult::kRefused, -1},
        {"endOfMibView at once",
         [](const Message &r, int) {
             return std::vector<Datagram>{{Reply(r, {testpackets::EmptyBinding(kPathType, kTagEndOfMibView)})}};
         },
         QueryResult::kAnswered, -1},
        {"noSuchObject",
         [](const Message &r, int) {
             return std::vector<Datagram>{{Reply(r, {testpackets::EmptyBinding(kPathType, kTagNoSuchObject)})}};
         },
         QueryResult::kAnswered, -1},
        {"a wrong value type",
         [](const Message &r, int) {
             return std::vector<Datagram>{{Reply(r, {testpackets::TextBinding(kPathType + ".1.1", "3"),
                                                     testpackets::EmptyBinding(kPathType, kTagEndOfMibView)})}};
         },
         QueryResult::kAnswered, -1},
        {"a flood of junk and no answer",
         [](const Message &r, int) {
             std::vector<Datagram> flood;
             for (int i = 0; i < 1500; ++i) {
                 std::vector<uint8_t> junk = Reply(r, DuplexRows(), 1 + i);
                 junk[static_cast<size_t>(i) % junk.size()] ^= 0x5A;
                 flood.push_back({junk});
             }
             return flood;
         },
         QueryResult::kSilent, -1},
        {"the same row again and again",
         [](const Message &r, int) {
             return std::vector<Datagram>{{Reply(r, {testpackets::IntegerBinding(kPathType + ".1.1", 4)})}};
         },
         QueryResult::kAnswered, 1},
        // The request cap ends the walk: the paths not read may be duplex.
        {"rows without end",
         [](const Message &r, int n) {
             return std::vector<Datagram>{{Reply(r, {testpackets::IntegerBinding(kPathType + ".1." + std::to_string(n), 5)})}};
         },
         QueryResult::kAnswered, -1},
        {"rows without end, a duplex path among them",
         [](const Message &r, int n) {
             return std::vector<Datagram>{
                 {Reply(r, {testpackets::IntegerBinding(kPathType + ".1." + std::to_string(n), n == 3 ? 4 : 5)})}};
         },
         QueryResult::kAnswered, 1},
        {"more rows than are kept",
         [](const Message &r, int) {
             std::vector<testpackets::Binding> rows;
             for (int i = 1; i <= 40; ++i) rows.push_back(testpackets::IntegerBinding(kPathType + ".1." + std::to_string(i), 5));
             rows.push_back(testpackets::EmptyBinding(kPathType + ".1.40", kTagEndOfMibView));
             return std::vector<Datagram>{{Reply(r, rows)}};
         },
         QueryResult::kAnswered, -1},
        {"an answer without the column's binding",
         [](const Message &r, int) { return std::vector<Datagram>{{Reply(r, {})}}; }, QueryResult::kAnswered, -1},
        {"v1 only, ending the walk with noSuchName",
         [](const Message &r, int) {
             if (r.lVersion != kSnmpV1) return std::vector<Datagram>{};
             VarBindReader reader(r);
             VarBind vb;
             reader.Next(&vb);
             if (vb.name.cSub == 11) return std::vector<Datagram>{{Reply(r, {testpackets::IntegerBinding(kPathType + ".1.1", 4)})}};
             return std::vector<Datagram>{{Reply(r, {testpackets::EmptyBinding(kPathType + ".1.1", kTagNull)}, 0,
                                                 "public", kErrNoSuchName, 1)}};
         },
         QueryResult::kAnswered, 1},
    };
    oemun::Settings settings;
    DefaultSettings(&settings);
    settings.dwTimeoutMs = 150;
    settings.dwRetries = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pszWhat);
        FakeAgent agent(c.responder);
        PrinterTables *pTables = new PrinterTables;
        EXPECT_EQ(static_cast<int>(ReadPrinterTables(agent.Target(), settings, {false, true, false, false}, pTables,
                                                     nullptr, nullptr)),
                  static_cast<int>(c.result));
        EXPECT_EQ(DuplexAnswer(*pTables), c.sDuplex);
        delete pTables;
        const auto seen = agent.Seen();
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen[0], std::make_pair(kSnmpV2c, static_cast<uint8_t>(kPduGetBulk)));
    }
}

}  // namespace
