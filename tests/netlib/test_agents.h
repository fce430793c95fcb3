// What the network library's tests and benchmark need around it: the ports
// of the snmpd agents tests/snmp/agents.py started, a dead printer, and an
// agent in this process that answers as broken or hostile agents do.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ber.h"

namespace testagents {

// Profile name -> UDP port on 127.0.0.1, from OEMUN_TEST_AGENTS
// ("profile:port,..."); empty when the agents were not started.
std::map<std::string, int> AgentPorts();

// A UDP socket bound to a free port of 127.0.0.1 (Winsock started by the caller).
SOCKET BindLoopback(int *pPort);

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

// Each request the agent receives goes to a responder that returns the
// datagrams to send back, from the agent's own socket or from a second
// socket on another port.
struct Datagram {
    std::vector<uint8_t> bytes;
    bool bFromOtherPort = false;
};
using Responder = std::function<std::vector<Datagram>(const oemun::Message &request, int nRequest)>;

class FakeAgent {
public:
    explicit FakeAgent(Responder responder);
    ~FakeAgent();
    FakeAgent(const FakeAgent &) = delete;
    FakeAgent &operator=(const FakeAgent &) = delete;
    int Port() const { return m_port; }
    sockaddr_in Target() const;
    // Version and PDU type of each request received.
    std::vector<std::pair<int32_t, uint8_t>> Seen() const { return m_seen; }

private:
    void Serve();

    Responder m_responder;
    SOCKET m_socket, m_other;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::vector<std::pair<int32_t, uint8_t>> m_seen;
    std::thread m_thread;
};

}  // namespace testagents
