#include "ber.h"

#include <cstring>

namespace oemun {
namespace {

// A window on bytes still to be read; it only ever shrinks.
struct Span {
    const uint8_t *p;
    size_t cb;
};

// One tag-length-value element from the front of *pIn. Only the forms an
// SNMP message uses are accepted: single-byte tags and definite lengths of at
// most four length bytes; the length must fit in what is left.
bool ReadElement(Span *pIn, uint8_t *pTag, Span *pContent) {
    if (pIn->cb < 2) return false;
    const uint8_t bTag = pIn->p[0];
    if ((bTag & 0x1F) == 0x1F) return false;
    size_t cbHeader = 2;
    size_t cbLength = pIn->p[1];
    if (cbLength & 0x80) {
        const size_t cLengthBytes = cbLength & 0x7F;
        // 0x80 is the indefinite form, which only constructed encodings of
        // other protocols use; more than four bytes is no real length.
        if (cLengthBytes == 0 || cLengthBytes > 4 || pIn->cb - 2 < cLengthBytes) return false;
        cbLength = 0;
        for (size_t i = 0; i < cLengthBytes; ++i) cbLength = (cbLength << 8) | pIn->p[2 + i];
        cbHeader += cLengthBytes;
    }
    if (cbLength > pIn->cb - cbHeader) return false;
    *pTag = bTag;
    pContent->p = pIn->p + cbHeader;
    pContent->cb = cbLength;
    pIn->p += cbHeader + cbLength;
    pIn->cb -= cbHeader + cbLength;
    return true;
}

bool ReadTagged(Span *pIn, uint8_t bWanted, Span *pContent) {
    uint8_t bTag = 0;
    return ReadElement(pIn, &bTag, pContent) && bTag == bWanted;
}

// An integer's content: two's complement, or plain binary for the unsigned
// application types. Leading bytes that only repeat the sign (zero bytes of
// an unsigned value) carry nothing: BER asks for the shortest form, but
// agents pad, and an unsigned 32-bit value of 2^31 or more needs a fifth
// byte. False when the value does not fit 64 bits.
bool DecodeInteger(const Span &content, bool bUnsigned, int64_t *pValue) {
    if (content.cb == 0) return false;
    const bool bNegative = !bUnsigned && (content.p[0] & 0x80) != 0;
    const uint8_t bPad = bNegative ? 0xFF : 0x00;
    size_t i = 0;
    while (i + 1 < content.cb && content.p[i] == bPad &&
           (bUnsigned || (content.p[i + 1] & 0x80) == (bPad & 0x80)))
        ++i;
    if (content.cb - i > 8) return false;
    uint64_t ull = bNegative ? ~0ULL : 0ULL;
    for (; i < content.cb; ++i) ull = (ull << 8) | content.p[i];
    // Counter64 values above 2^63 - 1 are cut: no answer this library reads
    // comes near that.
    if (bUnsigned && ull > static_cast<uint64_t>(INT64_MAX)) ull = static_cast<uint64_t>(INT64_MAX);
    *pValue = static_cast<int64_t>(ull);
    return true;
}

bool ReadInt32(Span *pIn, int32_t *pValue) {
    Span content;
    int64_t ll = 0;
    if (!ReadTagged(pIn, kTagInteger, &content) || !DecodeInteger(content, false, &ll)) return false;
    if (ll < INT32_MIN || ll > INT32_MAX) return false;
    *pValue = static_cast<int32_t>(ll);
    return true;
}

bool DecodeOid(const Span &content, Oid *pOid) {
    if (content.cb == 0) return false;
    size_t cSub = 0;
    uint64_t ullSub = 0;
    bool bFirst = true;
    for (size_t i = 0; i < content.cb; ++i) {
        const uint8_t b = content.p[i];
        // A sub-identifier may not start with a padding byte.
        if (ullSub == 0 && b == 0x80) return false;
        ullSub = (ullSub << 7) | (b & 0x7F);
        if (ullSub > (bFirst ? 0xFFFFFFFFULL + 80 : 0xFFFFFFFFULL)) return false;
        if (b & 0x80) continue;
        if (bFirst) {
            // The first encoded number carries the first two components.
            if (cSub + 2 > kMaxOidLength) return false;
            const uint32_t uFirst = ullSub < 40 ? 0 : ullSub < 80 ? 1 : 2;
            pOid->aSub[cSub++] = uFirst;
            pOid->aSub[cSub++] = static_cast<uint32_t>(ullSub - 40ULL * uFirst);
            bFirst = false;
        } else {
            if (cSub + 1 > kMaxOidLength) return false;
            pOid->aSub[cSub++] = static_cast<uint32_t>(ullSub);
        }
        ullSub = 0;
    }
    // The last byte must end a sub-identifier.
    if (content.p[content.cb - 1] & 0x80) return false;
    pOid->cSub = cSub;
    return true;
}

// The value of a binding: only the simple types SNMP defines, each with the
// content length its type allows.
bool DecodeValue(uint8_t bTag, const Span &content, VarBind *pVarBind) {
    pVarBind->bTag = bTag;
    pVarBind->llValue = 0;
    pVarBind->oidValue.cSub = 0;
    pVarBind->pData = nullptr;
    pVarBind->cbData = 0;
    switch (bTag) {
    case kTagInteger:
        // Integer32, and the unsigned 32-bit quantities some agents send
        // under this tag.
        return DecodeInteger(content, false, &pVarBind->llValue) && pVarBind->llValue >= INT32_MIN &&
               pVarBind->llValue <= static_cast<int64_t>(UINT32_MAX);
    case kTagCounter32:
    case kTagGauge32:
    case kTagTimeTicks:
        return DecodeInteger(content, true, &pVarBind->llValue) && pVarBind->llValue <= static_cast<int64_t>(UINT32_MAX);
    case kTagCounter64:
        return DecodeInteger(content, true, &pVarBind->llValue);
    case kTagOid:
        return DecodeOid(content, &pVarBind->oidValue);
    case kTagIpAddress:
        if (content.cb != 4) return false;
        pVarBind->pData = content.p;
        pVarBind->cbData = content.cb;
        return true;
    case kTagOctetString:
    case kTagOpaque:
        pVarBind->pData = content.p;
        pVarBind->cbData = content.cb;
        return true;
    case kTagNull:
    case kTagNoSuchObject:
    case kTagNoSuchInstance:
    case kTagEndOfMibView:
        return content.cb == 0;
    default:
        return false;
    }
}

bool ReadVarBind(Span *pIn, VarBind *pVarBind) {
    Span seq;
    if (!ReadTagged(pIn, kTagSequence, &seq)) return false;
    Span name;
    if (!ReadTagged(&seq, kTagOid, &name) || !DecodeOid(name, &pVarBind->name)) return false;
    uint8_t bTag = 0;
    Span value;
    if (!ReadElement(&seq, &bTag, &value) || !DecodeValue(bTag, value, pVarBind)) return false;
    return seq.cb == 0;
}

bool IsPduTag(uint8_t bTag) {
    // The v1 trap (0xA4) has another layout and is never an answer.
    return (bTag >= kPduGet && bTag <= kPduSet) || (bTag >= kPduGetBulk && bTag <= 0xA8);
}

// Writes from the end of the buffer towards its start, so each element's
// length is known when its header is written.
class BackWriter {
public:
    BackWriter(uint8_t *p, size_t cb) : m_p(p), m_pos(cb), m_cb(cb) {}
    bool Ok() const { return m_ok; }
    size_t Written() const { return m_cb - m_pos; }
    const uint8_t *Data() const { return m_p + m_pos; }

    void Bytes(const uint8_t *p, size_t cb) {
        if (!m_ok || cb > m_pos) {
            m_ok = false;
            return;
        }
        m_pos -= cb;
        if (cb != 0) std::memcpy(m_p + m_pos, p, cb);
    }
    void Byte(uint8_t b) { Bytes(&b, 1); }

    // The header of an element whose content is the cbContent bytes already
    // written in front of the current position.
    void Header(uint8_t bTag, size_t cbContent) {
        if (cbContent < 0x80) {
            Byte(static_cast<uint8_t>(cbContent));
        } else {
            uint8_t cLengthBytes = 0;
            for (size_t cb = cbContent; cb != 0; cb >>= 8) {
                Byte(static_cast<uint8_t>(cb & 0xFF));
                ++cLengthBytes;
            }
            Byte(static_cast<uint8_t>(0x80 | cLengthBytes));
        }
        Byte(bTag);
    }
    void Element(uint8_t bTag, const uint8_t *p, size_t cb) {
        Bytes(p, cb);
        Header(bTag, cb);
    }
    void Integer(int64_t llValue) {
        uint8_t ab[9];
        Element(kTagInteger, ab, EncodeIntegerContent(llValue, false, ab));
    }

private:
    uint8_t *m_p;
    size_t m_pos;
    size_t m_cb;
    bool m_ok = true;
};

}  // namespace

bool ParseOid(const char *pszText, Oid *pOid) {
    if (pszText == nullptr || pOid == nullptr) return false;
    const char *p = pszText;
    if (*p == '.') ++p;
    size_t cSub = 0;
    while (*p != '\0') {
        if (*p < '0' || *p > '9' || cSub == kMaxOidLength) return false;
        uint64_t ull = 0;
        while (*p >= '0' && *p <= '9') {
            ull = ull * 10 + static_cast<uint64_t>(*p - '0');
            if (ull > 0xFFFFFFFFULL) return false;
            ++p;
        }
        pOid->aSub[cSub++] = static_cast<uint32_t>(ull);
        if (*p == '.') {
            ++p;
            if (*p == '\0') return false;
        } else if (*p != '\0') {
            return false;
        }
    }
    pOid->cSub = cSub;
    return cSub != 0;
}

void FormatOid(const Oid &oid, char *pszText, size_t cchText) {
    if (pszText == nullptr || cchText == 0) return;
    size_t pos = 0;
    pszText[0] = '\0';
    for (size_t i = 0; i < oid.cSub; ++i) {
        char szNumber[12];
        size_t cDigits = 0;
        uint32_t u = oid.aSub[i];
        do {
            szNumber[cDigits++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u != 0);
        if (i != 0) szNumber[cDigits++] = '.';
        while (cDigits != 0 && pos + 1 < cchText) pszText[pos++] = szNumber[--cDigits];
        if (cDigits != 0) break;
    }
    pszText[pos] = '\0';
}

int CompareOid(const Oid &a, const Oid &b) {
    const size_t c = a.cSub < b.cSub ? a.cSub : b.cSub;
    for (size_t i = 0; i < c; ++i) {
        if (a.aSub[i] != b.aSub[i]) return a.aSub[i] < b.aSub[i] ? -1 : 1;
    }
    return a.cSub == b.cSub ? 0 : (a.cSub < b.cSub ? -1 : 1);
}

bool OidIsBelow(const Oid &oid, const Oid &prefix) {
    if (oid.cSub <= prefix.cSub) return false;
    for (size_t i = 0; i < prefix.cSub; ++i) {
        if (oid.aSub[i] != prefix.aSub[i]) return false;
    }
    return true;
}

bool OidEquals(const Oid &a, const Oid &b) { return CompareOid(a, b) == 0; }

bool DecodeMessage(const uint8_t *p, size_t cb, Message *pMessage) {
    if (p == nullptr || pMessage == nullptr) return false;
    Span in = {p, cb};
    Span message;
    if (!ReadTagged(&in, kTagSequence, &message) || in.cb != 0) return false;
    if (!ReadInt32(&message, &pMessage->lVersion)) return false;
    Span community;
    if (!ReadTagged(&message, kTagOctetString, &community)) return false;
    pMessage->pCommunity = community.p;
    pMessage->cbCommunity = community.cb;
    Span pdu;
    if (!ReadElement(&message, &pMessage->bPduType, &pdu) || message.cb != 0) return false;
    if (!IsPduTag(pMessage->bPduType)) return false;
    if (!ReadInt32(&pdu, &pMessage->lRequestId) || !ReadInt32(&pdu, &pMessage->lErrorStatus) ||
        !ReadInt32(&pdu, &pMessage->lErrorIndex)) {
        return false;
    }
    Span list;
    if (!ReadTagged(&pdu, kTagSequence, &list) || pdu.cb != 0) return false;
    pMessage->pVarBinds = list.p;
    pMessage->cbVarBinds = list.cb;
    // Every binding is checked now, so a reader never meets a bad one later.
    size_t cVarBinds = 0;
    VarBind scratch;
    while (list.cb != 0) {
        if (cVarBinds == kMaxVarBinds || !ReadVarBind(&list, &scratch)) return false;
        ++cVarBinds;
    }
    pMessage->cVarBinds = cVarBinds;
    return true;
}

bool VarBindReader::Next(VarBind *pVarBind) {
    if (m_cb == 0 || pVarBind == nullptr) return false;
    Span in = {m_p, m_cb};
    if (!ReadVarBind(&in, pVarBind)) {
        m_cb = 0;
        return false;
    }
    m_p = in.p;
    m_cb = in.cb;
    return true;
}

size_t EncodeIntegerContent(int64_t llValue, bool bUnsigned, uint8_t *pOut) {
    uint8_t ab[9];
    size_t c = 0;
    uint64_t ull = static_cast<uint64_t>(llValue);
    // Bytes from the least significant up; stop once the rest is sign fill
    // and the top byte written already shows the right sign.
    for (;;) {
        ab[c++] = static_cast<uint8_t>(ull & 0xFF);
        const bool bNegative = !bUnsigned && llValue < 0;
        ull = bNegative ? static_cast<uint64_t>(static_cast<int64_t>(ull) >> 8) : ull >> 8;
        const bool bTopNegative = (ab[c - 1] & 0x80) != 0;
        if (bNegative ? (ull == ~0ULL && bTopNegative) : (ull == 0 && !bTopNegative)) break;
        if (c == 8) {
            if (!bNegative && bTopNegative) ab[c++] = 0;
            break;
        }
    }
    for (size_t i = 0; i < c; ++i) pOut[i] = ab[c - 1 - i];
    return c;
}

size_t EncodeOidContent(const Oid &oid, uint8_t *pOut, size_t cbOut) {
    if (oid.cSub < 2 || oid.aSub[0] > 2 || (oid.aSub[0] < 2 && oid.aSub[1] > 39)) return 0;
    size_t pos = 0;
    for (size_t i = 1; i < oid.cSub; ++i) {
        uint64_t ull = i == 1 ? 40ULL * oid.aSub[0] + oid.aSub[1] : oid.aSub[i];
        uint8_t ab[10];
        size_t c = 0;
        do {
            ab[c++] = static_cast<uint8_t>(ull & 0x7F);
            ull >>= 7;
        } while (ull != 0);
        if (pos + c > cbOut) return 0;
        while (c != 0) {
            --c;
            pOut[pos++] = static_cast<uint8_t>(ab[c] | (c != 0 ? 0x80 : 0));
        }
    }
    return pos;
}

size_t EncodeMessage(const MessageOut &message, uint8_t *pOut, size_t cbOut) {
    if (pOut == nullptr || message.pszCommunity == nullptr) return 0;
    if (message.cVarBinds != 0 && message.pVarBinds == nullptr) return 0;
    BackWriter w(pOut, cbOut);
    const size_t endList = w.Written();
    for (size_t i = message.cVarBinds; i-- > 0;) {
        const VarBindOut &vb = message.pVarBinds[i];
        if (vb.pName == nullptr) return 0;
        const size_t endBind = w.Written();
        w.Element(vb.bTag, vb.pValue, vb.cbValue);
        uint8_t abOid[kMaxOidLength * 5];
        const size_t cbOid = EncodeOidContent(*vb.pName, abOid, sizeof(abOid));
        if (cbOid == 0) return 0;
        w.Element(kTagOid, abOid, cbOid);
        w.Header(kTagSequence, w.Written() - endBind);
    }
    w.Header(kTagSequence, w.Written() - endList);
    w.Integer(message.lErrorIndex);
    w.Integer(message.lErrorStatus);
    w.Integer(message.lRequestId);
    w.Header(message.bPduType, w.Written() - endList);
    w.Element(kTagOctetString, reinterpret_cast<const uint8_t *>(message.pszCommunity),
              std::strlen(message.pszCommunity));
    w.Integer(message.lVersion);
    w.Header(kTagSequence, w.Written());
    if (!w.Ok()) return 0;
    const size_t cb = w.Written();
    std::memmove(pOut, w.Data(), cb);
    return cb;
}

}  // namespace oemun
