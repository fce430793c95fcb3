// What the network library's tests and benchmark need around it: the ports
// of the snmpd agents tests/snmp/agents.py started, and a dead printer.
#pragma once

#include <winsock2.h>

#include <map>
#include <string>

namespace testagents {

// Profile name -> UDP port on 127.0.0.1, from OEMUN_TEST_AGENTS
// ("profile:port,..."); empty when the agents were not started.
std::map<std::string, int> AgentPorts();

// A UDP socket on 127.0.0.1 that receives and never answers.
class SilentSocket {
public:
    SilentSocket();
    ~SilentSocket();
    SilentSocket(const SilentSocket &) = delete;
    SilentSocket &operator=(const SilentSocket &) = delete;
    int Port() const { return m_port; }

private:
    SOCKET m_socket;
    int m_port = 0;
};

}  // namespace testagents
