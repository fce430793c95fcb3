#include "scale_agent.h"

#include <algorithm>
#include <string>

namespace bench {
namespace {

using Key = std::vector<uint32_t>;

Key KeyOf(const oemun::Oid &oid) { return Key(oid.aSub, oid.aSub + oid.cSub); }

std::string TextOf(const Key &key) {
    std::string out;
    for (uint32_t sub : key) out += (out.empty() ? "" : ".") + std::to_string(sub);
    return out;
}

// The replies the library can take: a GETBULK asks at most this many.
constexpr size_t kMaxReplyBindings = 256;

}  // namespace

TableAgent::TableAgent(int cRows) {
    using namespace testpackets;
    auto add = [this](const Binding &b) {
        oemun::Oid oid;
        oemun::ParseOid(b.name.c_str(), &oid);
        m_mib[KeyOf(oid)] = b;
    };
    for (int row = 1; row <= cRows; ++row) {
        const std::string r = std::to_string(row);
        add(IntegerBinding("1.3.6.1.2.1.43.8.2.1.2.1." + r, row == 1 ? 4 : 3));
        add(IntegerBinding("1.3.6.1.2.1.43.8.2.1.8.1." + r, 8));
        add(IntegerBinding("1.3.6.1.2.1.43.8.2.1.9.1." + r, row == cRows ? 2000 : 500));
        add(TextBinding("1.3.6.1.2.1.43.8.2.1.13.1." + r, "Tray " + r));
        add(IntegerBinding("1.3.6.1.2.1.43.13.4.1.9.1." + r, row == 1 ? 3 : 1));
        add(OidBinding("1.3.6.1.2.1.25.3.2.1.2." + r, row == cRows ? "1.3.6.1.2.1.25.3.1.6" : "1.3.6.1.2.1.25.3.1.5"));
        add(OidBinding("1.3.6.1.2.1.25.2.3.1.2." + r, row == cRows ? "1.3.6.1.2.1.25.2.1.4" : "1.3.6.1.2.1.25.2.1.2"));
        add(IntegerBinding("1.3.6.1.2.1.43.30.1.1.2.1." + r, 3));
        add(IntegerBinding("1.3.6.1.2.1.43.30.1.1.3.1." + r, 4));
    }
    add(IntegerBinding("1.3.6.1.2.1.1.3.0", 12345));
    m_pAgent.reset(new testagents::FakeAgent(
        [this](const oemun::Message &request, int) { return Answer(request); }));
}

std::vector<testagents::Datagram> TableAgent::Answer(const oemun::Message &request) const {
    std::vector<Key> names;
    oemun::VarBindReader reader(request);
    oemun::VarBind vb;
    while (reader.Next(&vb)) names.push_back(KeyOf(vb.name));
    std::vector<testpackets::Binding> out;
    // The binding after *pCursor in MIB order; the cursor moves on to it.
    auto next = [this](Key *pCursor) {
        const auto it = m_mib.upper_bound(*pCursor);
        if (it == m_mib.end()) return testpackets::EmptyBinding(TextOf(*pCursor), oemun::kTagEndOfMibView);
        *pCursor = it->first;
        return it->second;
    };
    if (request.bPduType == oemun::kPduGetBulk) {
        const size_t cNonRepeaters = std::min<size_t>(names.size(), size_t(std::max(0, request.lErrorStatus)));
        for (size_t i = 0; i < cNonRepeaters; ++i) out.push_back(next(&names[i]));
        for (int32_t r = 0; r < request.lErrorIndex && out.size() < kMaxReplyBindings; ++r)
            for (size_t i = cNonRepeaters; i < names.size() && out.size() < kMaxReplyBindings; ++i)
                out.push_back(next(&names[i]));
    } else if (request.bPduType == oemun::kPduGetNext) {
        for (Key &name : names) out.push_back(next(&name));
    } else {
        for (const Key &name : names) {
            const auto it = m_mib.find(name);
            out.push_back(it != m_mib.end() ? it->second
                                            : testpackets::EmptyBinding(TextOf(name), oemun::kTagNoSuchObject));
        }
    }
    return {{testpackets::Message(request.lVersion, "public", oemun::kPduResponse, request.lRequestId, 0, 0, out),
             false}};
}

}  // namespace bench
