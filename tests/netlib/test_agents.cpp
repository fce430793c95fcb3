#include "netlib/test_agents.h"

#include <cstdlib>
#include <cstring>

namespace testagents {

std::map<std::string, int> AgentPorts() {
    std::map<std::string, int> ports;
    char sz[512] = {};
    if (GetEnvironmentVariableA("OEMUN_TEST_AGENTS", sz, sizeof(sz)) == 0) return ports;
    for (char *pItem = std::strtok(sz, ","); pItem != nullptr; pItem = std::strtok(nullptr, ",")) {
        char *pColon = std::strchr(pItem, ':');
        if (pColon != nullptr) ports[std::string(pItem, pColon)] = std::atoi(pColon + 1);
    }
    return ports;
}

SOCKET BindLoopback(int *pPort) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof(addr));
    int cb = sizeof(addr);
    getsockname(s, reinterpret_cast<sockaddr *>(&addr), &cb);
    if (pPort != nullptr) *pPort = ntohs(addr.sin_port);
    return s;
}

SilentSocket::SilentSocket() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    m_socket = BindLoopback(&m_port);
}

SilentSocket::~SilentSocket() {
    closesocket(m_socket);
    WSACleanup();
}

FakeAgent::FakeAgent(Responder responder) : m_responder(std::move(responder)) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    m_socket = BindLoopback(&m_port);
    m_other = BindLoopback(nullptr);
    m_thread = std::thread([this] { Serve(); });
}

FakeAgent::~FakeAgent() {
    m_stop = true;
    m_thread.join();
    closesocket(m_socket);
    closesocket(m_other);
    WSACleanup();
}

sockaddr_in FakeAgent::Target() const {
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<u_short>(m_port));
    return a;
}

void FakeAgent::Serve() {
    std::vector<uint8_t> buffer(65536);
    while (!m_stop) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(m_socket, &set);
        timeval tv = {0, 20000};
        if (select(0, &set, nullptr, nullptr, &tv) != 1) continue;
        sockaddr_in from = {};
        int cbFrom = sizeof(from);
        const int cb = recvfrom(m_socket, reinterpret_cast<char *>(buffer.data()), static_cast<int>(buffer.size()), 0,
                                reinterpret_cast<sockaddr *>(&from), &cbFrom);
        oemun::Message request;
        if (cb <= 0 || !oemun::DecodeMessage(buffer.data(), static_cast<size_t>(cb), &request)) continue;
        m_seen.push_back({request.lVersion, request.bPduType});
        for (const Datagram &d : m_responder(request, static_cast<int>(m_seen.size())))
            sendto(d.bFromOtherPort ? m_other : m_socket, reinterpret_cast<const char *>(d.bytes.data()),
                   static_cast<int>(d.bytes.size()), 0, reinterpret_cast<sockaddr *>(&from), cbFrom);
    }
}

}  // namespace testagents
