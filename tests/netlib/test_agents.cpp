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

SilentSocket::SilentSocket() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_socket, reinterpret_cast<sockaddr *>(&addr), sizeof(addr));
    int cb = sizeof(addr);
    getsockname(m_socket, reinterpret_cast<sockaddr *>(&addr), &cb);
    m_port = ntohs(addr.sin_port);
}

SilentSocket::~SilentSocket() {
    closesocket(m_socket);
    WSACleanup();
}

}  // namespace testagents
