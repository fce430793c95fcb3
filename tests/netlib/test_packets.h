// Builds SNMP replies for the tests: well-formed ones through the library's
// own encoder, and raw element wrapping for hand-built hostile ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ber.h"

namespace testpackets {

constexpr int32_t kDefaultId = 0x1234;

struct Binding {
    std::string name;
    uint8_t bTag;
    std::vector<uint8_t> value;
};

// tag, definite length, content.
std::vector<uint8_t> Wrap(uint8_t bTag, const std::vector<uint8_t> &content);

Binding IntegerBinding(const std::string &name, int64_t llValue);
Binding TextBinding(const std::string &name, const std::string &text);
Binding OidBinding(const std::string &name, const std::string &value);
Binding EmptyBinding(const std::string &name, uint8_t bTag);

std::vector<uint8_t> Message(int32_t lVersion, const char *pszCommunity, uint8_t bPdu, int32_t lRequestId,
                             int32_t lErrorStatus, int32_t lErrorIndex, const std::vector<Binding> &bindings);
// A v2c response from community "public".
std::vector<uint8_t> Response(int32_t lRequestId, int32_t lErrorStatus, int32_t lErrorIndex,
                              const std::vector<Binding> &bindings);

// What an agent answers to a GETBULK over the four input-table columns:
// rows of tray type, unit, capacity and name, then endOfMibView.
std::vector<uint8_t> AgentLikeReply(int cRows);
// A v1 agent ending a GETNEXT walk.
std::vector<uint8_t> V1NoSuchNameReply();

}  // namespace testpackets
