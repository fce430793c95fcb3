#include "netlib/test_packets.h"

namespace testpackets {

std::vector<uint8_t> Wrap(uint8_t bTag, const std::vector<uint8_t> &content) {
    std::vector<uint8_t> out = {bTag};
    const size_t cb = content.size();
    if (cb < 0x80) {
        out.push_back(static_cast<uint8_t>(cb));
    } else {
        std::vector<uint8_t> length;
        for (size_t n = cb; n != 0; n >>= 8) length.insert(length.begin(), static_cast<uint8_t>(n & 0xFF));
        out.push_back(static_cast<uint8_t>(0x80 | length.size()));
        out.insert(out.end(), length.begin(), length.end());
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Binding IntegerBinding(const std::string &name, int64_t llValue) {
    uint8_t ab[9];
    const size_t cb = oemun::EncodeIntegerContent(llValue, false, ab);
    return {name, oemun::kTagInteger, std::vector<uint8_t>(ab, ab + cb)};
}

Binding TextBinding(const std::string &name, const std::string &text) {
    return {name, oemun::kTagOctetString, std::vector<uint8_t>(text.begin(), text.end())};
}

Binding OidBinding(const std::string &name, const std::string &value) {
    oemun::Oid oid;
    oemun::ParseOid(value.c_str(), &oid);
    uint8_t ab[600];
    const size_t cb = oemun::EncodeOidContent(oid, ab, sizeof(ab));
    return {name, oemun::kTagOid, std::vector<uint8_t>(ab, ab + cb)};
}

Binding EmptyBinding(const std::string &name, uint8_t bTag) { return {name, bTag, {}}; }

std::vector<uint8_t> Message(int32_t lVersion, const char *pszCommunity, uint8_t bPdu, int32_t lRequestId,
                             int32_t lErrorStatus, int32_t lErrorIndex, const std::vector<Binding> &bindings) {
    std::vector<oemun::Oid> names(bindings.size());
    std::vector<oemun::VarBindOut> out(bindings.size());
    for (size_t i = 0; i < bindings.size(); ++i) {
        oemun::ParseOid(bindings[i].name.c_str(), &names[i]);
        out[i] = {&names[i], bindings[i].bTag, bindings[i].value.data(), bindings[i].value.size()};
    }
    const oemun::MessageOut message = {lVersion,    pszCommunity, bPdu,       lRequestId,
                                       lErrorStatus, lErrorIndex, out.data(), out.size()};
    std::vector<uint8_t> bytes(65536);
    bytes.resize(oemun::EncodeMessage(message, bytes.data(), bytes.size()));
    return bytes;
}

std::vector<uint8_t> Response(int32_t lRequestId, int32_t lErrorStatus, int32_t lErrorIndex,
                              const std::vector<Binding> &bindings) {
    return Message(oemun::kSnmpV2c, "public", oemun::kPduResponse, lRequestId, lErrorStatus, lErrorIndex, bindings);
}

std::vector<uint8_t> AgentLikeReply(int cRows) {
    const std::string base = "1.3.6.1.2.1.43.8.2.1.";
    std::vector<Binding> bindings;
    for (int row = 1; row <= cRows; ++row) {
        const std::string index = ".1." + std::to_string(row);
        bindings.push_back(IntegerBinding(base + "2" + index, row == 1 ? 4 : 3));
        bindings.push_back(IntegerBinding(base + "8" + index, 8));
        bindings.push_back(IntegerBinding(base + "9" + index, row * 500));
        bindings.push_back(TextBinding(base + "13" + index, "Tray " + std::to_string(row)));
    }
    bindings.push_back(EmptyBinding("1.3.6.1.2.1.43.8.2.1.13.1.99", oemun::kTagEndOfMibView));
    return Response(kDefaultId, 0, 0, bindings);
}

std::vector<uint8_t> V1NoSuchNameReply() {
    return Message(oemun::kSnmpV1, "public", oemun::kPduResponse, kDefaultId, oemun::kErrNoSuchName, 2,
                   {IntegerBinding("1.3.6.1.2.1.43.8.2.1.2.1.1", 4),
                    {"1.3.6.1.2.1.43.30.1.1.2", oemun::kTagNull, {}}});
}

}  // namespace testpackets
