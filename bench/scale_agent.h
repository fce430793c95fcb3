// A printer agent in this process whose every table the network library
// walks (inputs, media paths, devices, storage, finishers) has a given
// number of rows: answers GET, GETNEXT and GETBULK in MIB order from
// 127.0.0.1, as a real agent would.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "netlib/test_agents.h"
#include "netlib/test_packets.h"

namespace bench {

class TableAgent {
public:
    explicit TableAgent(int cRows);
    TableAgent(const TableAgent &) = delete;
    TableAgent &operator=(const TableAgent &) = delete;
    int Port() const { return m_pAgent->Port(); }

private:
    std::vector<testagents::Datagram> Answer(const oemun::Message &request) const;

    std::map<std::vector<uint32_t>, testpackets::Binding> m_mib;
    std::unique_ptr<testagents::FakeAgent> m_pAgent;
};

}  // namespace bench
