// The small part of BER that SNMP v1/v2c messages use: encoding requests (and,
// for tests, any message) and decoding replies. Replies come from the network,
// so the decoder treats every byte as hostile: each length is checked against
// what is left of the enclosing element, only the shapes an SNMP message can
// have are accepted, and nothing is read outside the given buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace oemun {

// RFC limit on the number of sub-identifiers of an object identifier.
constexpr size_t kMaxOidLength = 128;

struct Oid {
    uint32_t aSub[kMaxOidLength];
    size_t cSub;
};

// Parses dotted text ("1.3.6.1.2.1.43", a leading dot allowed). False on
// anything else, on a component above 2^32 - 1 or on too many components.
bool ParseOid(const char *pszText, Oid *pOid);
// Dotted text, cut (and still terminated) when cchText is too small.
void FormatOid(const Oid &oid, char *pszText, size_t cchText);
// <0, 0, >0 in the lexicographic order agents walk in.
int CompareOid(const Oid &a, const Oid &b);
// True when oid lies strictly below prefix (is longer and starts with it).
bool OidIsBelow(const Oid &oid, const Oid &prefix);
bool OidEquals(const Oid &a, const Oid &b);

// Tags of the universal, application and context types SNMP uses.
enum : uint8_t {
    kTagInteger = 0x02,
    kTagOctetString = 0x04,
    kTagNull = 0x05,
    kTagOid = 0x06,
    kTagSequence = 0x30,
    kTagIpAddress = 0x40,
    kTagCounter32 = 0x41,
    kTagGauge32 = 0x42,
    kTagTimeTicks = 0x43,
    kTagOpaque = 0x44,
    kTagCounter64 = 0x46,
    kTagNoSuchObject = 0x80,
    kTagNoSuchInstance = 0x81,
    kTagEndOfMibView = 0x82,
    kPduGet = 0xA0,
    kPduGetNext = 0xA1,
    kPduResponse = 0xA2,
    kPduSet = 0xA3,
    kPduGetBulk = 0xA5,
};

// Message versions on the wire.
constexpr int32_t kSnmpV1 = 0;
constexpr int32_t kSnmpV2c = 1;

// Error statuses a reply may carry.
constexpr int32_t kErrNoError = 0;
constexpr int32_t kErrNoSuchName = 2;

// One variable binding as decoded. pData/cbData point into the decoded
// buffer: the content of an octet string, IP address or opaque value.
struct VarBind {
    Oid name;
    uint8_t bTag;
    int64_t llValue;   // integer, counter, gauge, time ticks (Counter64 cut to 63 bits)
    Oid oidValue;      // object identifier values
    const uint8_t *pData;
    size_t cbData;
};

// A decoded message. The variable bindings are checked by DecodeMessage and
// read one at a time with VarBindReader, so no reply needs a large table.
struct Message {
    int32_t lVersion;
    const uint8_t *pCommunity;
    size_t cbCommunity;
    uint8_t bPduType;
    int32_t lRequestId;
    int32_t lErrorStatus;   // non-repeaters in a GETBULK
    int32_t lErrorIndex;    // max-repetitions in a GETBULK
    const uint8_t *pVarBinds;
    size_t cbVarBinds;
    size_t cVarBinds;
};

// At most this many bindings in one message; more is refused as a flood.
constexpr size_t kMaxVarBinds = 512;

// True when [p, p + cb) is exactly one well-formed SNMP message (trailing
// bytes are refused). On false *pMessage is unspecified.
bool DecodeMessage(const uint8_t *p, size_t cb, Message *pMessage);

class VarBindReader {
public:
    explicit VarBindReader(const Message &message)
        : m_p(message.pVarBinds), m_cb(message.cbVarBinds) {}
    // The next binding; false at the end (or on a malformed one).
    bool Next(VarBind *pVarBind);

private:
    const uint8_t *m_p;
    size_t m_cb;
};

// A binding to encode: the value's tag and its content bytes as they go on
// the wire (empty for NULL and the three exceptions).
struct VarBindOut {
    const Oid *pName;
    uint8_t bTag;
    const uint8_t *pValue;
    size_t cbValue;
};

// The content bytes of a signed integer in its shortest two's-complement
// form (at most 9 bytes for an unsigned 64-bit value given as bUnsigned).
size_t EncodeIntegerContent(int64_t llValue, bool bUnsigned, uint8_t *pOut /* 9 bytes */);
// The content bytes of an object identifier; 0 when it does not fit or is
// not encodable (fewer than two components, first above 2, second above 39
// under 0 or 1).
size_t EncodeOidContent(const Oid &oid, uint8_t *pOut, size_t cbOut);

struct MessageOut {
    int32_t lVersion;
    const char *pszCommunity;
    uint8_t bPduType;
    int32_t lRequestId;
    int32_t lErrorStatus;  // non-repeaters for GETBULK
    int32_t lErrorIndex;   // max-repetitions for GETBULK
    const VarBindOut *pVarBinds;
    size_t cVarBinds;
};

// Encodes into pOut; returns the message size, or 0 when it does not fit.
size_t EncodeMessage(const MessageOut &message, uint8_t *pOut, size_t cbOut);

}  // namespace oemun
