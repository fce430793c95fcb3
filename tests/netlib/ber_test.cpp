// The BER codec against well-formed messages, hand-built hostile replies and
// mutated real replies. Every decode reads from a copy that ends exactly at
// an inaccessible page, so a read past the packet crashes the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ber.h"
#include "netlib/test_packets.h"

using namespace oemun;

namespace {

// Holds bytes at the very end of a readable page, followed by a no-access page.
class GuardedCopy {
public:
    explicit GuardedCopy(const std::vector<uint8_t> &bytes) {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        const size_t cbPage = si.dwPageSize;
        const size_t cbData = ((bytes.size() + cbPage - 1) / cbPage) * cbPage;
        m_pBase = static_cast<uint8_t *>(VirtualAlloc(nullptr, cbData + cbPage, MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        VirtualProtect(m_pBase + cbData, cbPage, PAGE_NOACCESS, &dwOld);
        m_p = m_pBase + cbData - bytes.size();
        if (!bytes.empty()) std::memcpy(m_p, bytes.data(), bytes.size());
        m_cb = bytes.size();
    }
    ~GuardedCopy() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
    const uint8_t *Data() const { return m_p; }
    size_t Size() const { return m_cb; }

private:
    uint8_t *m_pBase;
    uint8_t *m_p;
    size_t m_cb;
};

bool Decodes(const std::vector<uint8_t> &bytes) {
    GuardedCopy copy(bytes);
    Message message;
    const bool ok = DecodeMessage(copy.Data(), copy.Size(), &message);
    if (ok) {
        // Reading the bindings must give exactly the counted ones.
        VarBindReader reader(message);
        VarBind vb;
        size_t c = 0;
        while (reader.Next(&vb)) ++c;
        EXPECT_EQ(c, message.cVarBinds);
    }
    return ok;
}

TEST(Ber, ObjectIdentifiersParseEncodeAndCompare) {
    Oid a, b;
    ASSERT_TRUE(ParseOid(".1.3.6.1.2.1.43.8.2.1.13", &a));
    EXPECT_EQ(a.cSub, 11u);
    char sz[64];
    FormatOid(a, sz, sizeof(sz));
    EXPECT_STREQ(sz, "1.3.6.1.2.1.43.8.2.1.13");
    FormatOid(a, sz, 6);  // cut, still terminated
    EXPECT_STREQ(sz, "1.3.6");
    uint8_t ab[64];
    ASSERT_TRUE(ParseOid("1.3.6.1.4294967295", &b));
    const size_t cb = EncodeOidContent(b, ab, sizeof(ab));
    EXPECT_EQ(std::vector<uint8_t>(ab, ab + cb), (std::vector<uint8_t>{0x2B, 6, 1, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(EncodeOidContent(b, ab, 4), 0u);  // no room

    for (const char *bad : {"", ".", "1..3", "1.3.", "1.x", "1.3.6.4294967296", "-1.3"}) {
        EXPECT_FALSE(ParseOid(bad, &b)) << bad;
    }
    ASSERT_TRUE(ParseOid("1.3.6.1.2.1.43.8.2.1.13.1.1", &b));
    EXPECT_TRUE(OidIsBelow(b, a));
    EXPECT_FALSE(OidIsBelow(a, a));
    EXPECT_LT(CompareOid(a, b), 0);
    ASSERT_TRUE(ParseOid("1.3.6.1.2.1.43.8.2.1.2", &b));
    EXPECT_GT(CompareOid(a, b), 0);  // 13 sorts after 2, not as text
}

TEST(Ber, MessagesRoundTrip) {
    const std::vector<uint8_t> reply = testpackets::AgentLikeReply(2);
    Message m;
    ASSERT_TRUE(DecodeMessage(reply.data(), reply.size(), &m));
    EXPECT_EQ(m.lVersion, kSnmpV2c);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(m.pCommunity), m.cbCommunity), "public");
    EXPECT_EQ(m.bPduType, kPduResponse);
    EXPECT_EQ(m.lRequestId, testpackets::kDefaultId);
    EXPECT_EQ(m.cVarBinds, 9u);
    VarBindReader reader(m);
    VarBind vb;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(reader.Next(&vb));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(vb.pData), vb.cbData), "Tray 1");

    // A message that does not fit the buffer gives 0, not a cut message.
    Oid name;
    ASSERT_TRUE(ParseOid("1.3.6.1.2.1.1.3.0", &name));
    const VarBindOut bind = {&name, kTagNull, nullptr, 0};
    const MessageOut request = {kSnmpV1, "public", kPduGet, 7, 0, 0, &bind, 1};
    uint8_t ab[64];
    const size_t cb = EncodeMessage(request, ab, sizeof(ab));
    ASSERT_NE(cb, 0u);
    EXPECT_EQ(EncodeMessage(request, ab, cb - 1), 0u);
}

TEST(Ber, HostileRepliesAreRefused) {
    using testpackets::Wrap;
    const std::vector<uint8_t> intOne = {0x02, 0x01, 0x01};
    const std::vector<uint8_t> community = {0x04, 0x06, 'p', 'u', 'b', 'l', 'i', 'c'};
    const std::vector<uint8_t> oid = {0x06, 0x03, 0x2B, 0x06, 0x01};
    auto message = [&](const std::vector<uint8_t> &pduBody, uint8_t bPdu = kPduResponse) {
        std::vector<uint8_t> body = intOne;
        body.insert(body.end(), community.begin(), community.end());
        const std::vector<uint8_t> pdu = Wrap(bPdu, pduBody);
        body.insert(body.end(), pdu.begin(), pdu.end());
        return Wrap(kTagSequence, body);
    };
    auto pduWith = [&](const std::vector<uint8_t> &bindings) {
        std::vector<uint8_t> body = {0x02, 0x01, 0x05, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00};
        const std::vector<uint8_t> list = Wrap(kTagSequence, bindings);
        body.insert(body.end(), list.begin(), list.end());
        return body;
    };
    auto binding = [&](const std::vector<uint8_t> &value) {
        std::vector<uint8_t> b = oid;
        b.insert(b.end(), value.begin(), value.end());
        return Wrap(kTagSequence, b);
    };
    std::vector<uint8_t> deep = {0x05, 0x00};
    for (int i = 0; i < 200; ++i) deep = Wrap(kTagSequence, deep);
    std::vector<uint8_t> flood;
    for (size_t i = 0; i <= kMaxVarBinds; ++i) {
        const std::vector<uint8_t> b = binding({0x05, 0x00});
        flood.insert(flood.end(), b.begin(), b.end());
    }
    std::vector<uint8_t> longOid = {0x2B};
    for (size_t i = 0; i < kMaxOidLength; ++i) longOid.push_back(0x01);

    struct Case {
        const char *pszWhat;
        std::vector<uint8_t> bytes;
        bool bDecodes;
    } const cases[] = {
        {"a well-formed reply", message(pduWith(binding({0x02, 0x01, 0x04}))), true},
        {"nothing", {}, false},
        {"a lone tag", {0x30}, false},
        {"length past the packet", {0x30, 0x10, 0x02, 0x01, 0x01}, false},
        {"a length of 2^31", {0x30, 0x84, 0x80, 0x00, 0x00, 0x00, 0x02, 0x01, 0x01}, false},
        {"a length of 2^32 - 1", {0x30, 0x84, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0x01}, false},
        {"five length bytes", {0x30, 0x85, 0x00, 0x00, 0x00, 0x00, 0x03, 0x02, 0x01, 0x01}, false},
        {"an indefinite length", {0x30, 0x80, 0x02, 0x01, 0x01, 0x00, 0x00}, false},
        {"length bytes cut off", {0x30, 0x82, 0x01}, false},
        {"a high tag number", {0x3F, 0x01, 0x00}, false},
        {"bytes after the message", [&] { auto v = message(pduWith({})); v.push_back(0); return v; }(), false},
        {"a request id that is a string", message({0x04, 0x01, 0x05, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x00}),
         false},
        {"a request id of five bytes", message({0x02, 0x05, 0x01, 0, 0, 0, 0, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x00}),
         false},
        {"an empty integer", message({0x02, 0x00, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x00}), false},
        {"a v1 trap", message(pduWith({}), 0xA4), false},
        {"an unknown PDU", message(pduWith({}), 0xBF), false},
        {"a missing binding list", message({0x02, 0x01, 0x05, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00}), false},
        {"a value nested 200 deep", message(pduWith(binding(deep))), false},
        {"a sequence as value", message(pduWith(binding({0x30, 0x00}))), false},
        {"a NULL with content", message(pduWith(binding({0x05, 0x01, 0x00}))), false},
        {"endOfMibView with content", message(pduWith(binding({0x82, 0x01, 0x00}))), false},
        {"an IP address of 3 bytes", message(pduWith(binding({0x40, 0x03, 1, 2, 3}))), false},
        {"a Counter32 of 6 bytes", message(pduWith(binding({0x41, 0x06, 0, 1, 0, 0, 0, 0}))), false},
        {"an unknown value type", message(pduWith(binding({0x47, 0x00}))), false},
        {"a binding with a third element", message(pduWith(Wrap(kTagSequence, {0x06, 0x01, 0x2B, 0x05, 0x00, 0x05, 0x00}))),
         false},
        {"a binding without a value", message(pduWith(Wrap(kTagSequence, oid))), false},
        {"an empty OID", message(pduWith(Wrap(kTagSequence, {0x06, 0x00, 0x05, 0x00}))), false},
        {"an OID with a padding byte", message(pduWith(Wrap(kTagSequence, {0x06, 0x03, 0x2B, 0x80, 0x01, 0x05, 0x00}))),
         false},
        {"an OID cut inside a component", message(pduWith(Wrap(kTagSequence, {0x06, 0x02, 0x2B, 0x86, 0x05, 0x00}))),
         false},
        {"an OID component above 2^32", message(pduWith(Wrap(kTagSequence, {0x06, 0x06, 0x2B, 0x90, 0x80, 0x80, 0x80, 0x00, 0x05, 0x00}))),
         false},
        {"an OID of 129 components", message(pduWith(Wrap(kTagSequence, [&] {
             auto v = Wrap(kTagOid, longOid);
             v.push_back(0x05);
             v.push_back(0x00);
             return v;
         }()))),
         false},
        {"more bindings than any reply has", message(pduWith(flood)), false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Decodes(c.bytes), c.bDecodes) << c.pszWhat;
    }
}

// Values as agents put them on the wire: the unsigned 32-bit types need a
// fifth byte from 2^31 on, and some agents pad integers. A value that fits
// its type is read; one that does not makes the reply malformed.
TEST(Ber, IntegersThatFitTheirTypeAreRead) {
    struct Case {
        const char *pszWhat;
        uint8_t bTag;
        std::vector<uint8_t> content;
        bool bDecodes;
        int64_t llValue;
    } const cases[] = {
        {"Counter32 2^31", kTagCounter32, {0x00, 0x80, 0x00, 0x00, 0x00}, true, 0x80000000LL},
        {"Counter32 2^32 - 1", kTagCounter32, {0x00, 0xFF, 0xFF, 0xFF, 0xFF}, true, 0xFFFFFFFFLL},
        {"Gauge32 3000000000", kTagGauge32, {0x00, 0xB2, 0xD0, 0x5E, 0x00}, true, 3000000000LL},
        {"TimeTicks 2^31 + 1", kTagTimeTicks, {0x00, 0x80, 0x00, 0x00, 0x01}, true, 0x80000001LL},
        {"Gauge32 padded to six bytes", kTagGauge32, {0x00, 0x00, 0x00, 0x00, 0x01, 0xF4}, true, 500},
        {"Counter32 without its zero byte", kTagCounter32, {0x80, 0x00, 0x00, 0x00}, true, 0x80000000LL},
        {"Counter32 2^32", kTagCounter32, {0x01, 0x00, 0x00, 0x00, 0x00}, false, 0},
        {"Gauge32 far past 32 bits", kTagGauge32, {0x00, 0x01, 0x00, 0x00, 0x00, 0x00}, false, 0},
        {"INTEGER 4 in five bytes", kTagInteger, {0x00, 0x00, 0x00, 0x00, 0x04}, true, 4},
        {"INTEGER -2 in five bytes", kTagInteger, {0xFF, 0xFF, 0xFF, 0xFF, 0xFE}, true, -2},
        {"INTEGER -2^31", kTagInteger, {0x80, 0x00, 0x00, 0x00}, true, INT32_MIN},
        {"INTEGER 2^31 sent for an unsigned value", kTagInteger, {0x00, 0x80, 0x00, 0x00, 0x00}, true, 0x80000000LL},
        {"INTEGER 2^32 - 1 in nine bytes", kTagInteger, {0, 0, 0, 0, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, true, 0xFFFFFFFFLL},
        {"INTEGER 2^32", kTagInteger, {0x01, 0x00, 0x00, 0x00, 0x00}, false, 0},
        {"INTEGER -2^31 - 1", kTagInteger, {0xFF, 0x7F, 0xFF, 0xFF, 0xFF}, false, 0},
        {"Counter64 2^64 - 1, cut", kTagCounter64, {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, true,
         INT64_MAX},
        {"Counter64 past 64 bits", kTagCounter64, {0x01, 0, 0, 0, 0, 0, 0, 0, 0}, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pszWhat);
        const std::vector<uint8_t> reply = testpackets::Response(
            testpackets::kDefaultId, 0, 0,
            {{"1.3.6.1.2.1.25.2.3.1.5.1", c.bTag, c.content}, testpackets::IntegerBinding("1.3.6.1.2.1.25.2.3.1.5.2", 7)});
        GuardedCopy copy(reply);
        Message m;
        const bool bDecoded = DecodeMessage(copy.Data(), copy.Size(), &m);
        EXPECT_EQ(bDecoded, c.bDecodes);
        if (!bDecoded || !c.bDecodes) continue;
        VarBindReader reader(m);
        VarBind vb;
        ASSERT_TRUE(reader.Next(&vb));
        EXPECT_EQ(vb.bTag, c.bTag);
        EXPECT_EQ(vb.llValue, c.llValue);
        ASSERT_TRUE(reader.Next(&vb));  // the binding after it is read as well
        EXPECT_EQ(vb.llValue, 7);
    }
}

TEST(Ber, EveryCutOfARealReplyIsRefused) {
    const std::vector<uint8_t> reply = testpackets::AgentLikeReply(12);
    ASSERT_TRUE(Decodes(reply));
    for (size_t cb = 0; cb < reply.size(); ++cb) {
        EXPECT_FALSE(Decodes(std::vector<uint8_t>(reply.begin(), reply.begin() + cb))) << cb;
    }
}

// Mutated real replies, with a fixed seed so a failure repeats: the decoder
// must neither crash nor read past the packet, whatever it concludes.
TEST(Ber, FuzzedRepliesNeverReadPastThePacket) {
    const std::vector<uint8_t> seeds[] = {testpackets::AgentLikeReply(1), testpackets::AgentLikeReply(12),
                                          testpackets::V1NoSuchNameReply()};
    uint32_t state = 0x2545F491u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    size_t cAccepted = 0;
    for (int i = 0; i < 20000; ++i) {
        std::vector<uint8_t> bytes = seeds[next() % 3];
        const int cMutations = 1 + static_cast<int>(next() % 4);
        for (int m = 0; m < cMutations && !bytes.empty(); ++m) {
            const size_t at = next() % bytes.size();
            switch (next() % 5) {
            case 0:
                bytes[at] ^= static_cast<uint8_t>(1u << (next() % 8));
                break;
            case 1:
                bytes[at] = static_cast<uint8_t>(next());
                break;
            case 2:  // lengths are the interesting bytes: make one huge
                bytes[at] = static_cast<uint8_t>(0x80 | (next() % 6));
                break;
            case 3:
                bytes.resize(at);
                break;
            default:
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(next()));
                break;
            }
        }
        if (Decodes(bytes)) ++cAccepted;
    }
    // Some mutations keep a valid message (a changed value byte); most do not.
    EXPECT_GT(cAccepted, 0u);
    EXPECT_LT(cAccepted, 20000u);
}

}  // namespace
