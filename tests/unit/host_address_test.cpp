// The one rule of what is a printer address, as the web link and the network
// library both apply it, over narrow and wide text alike.
#include <gtest/gtest.h>

#include <string>

#include "settings/host_address.h"

using oemui::ClassifyHostAddress;
using oemui::HostAddressKind;

namespace {

constexpr auto kNone = HostAddressKind::kNone;
constexpr auto kV4 = HostAddressKind::kIPv4;
constexpr auto kV6 = HostAddressKind::kIPv6;
constexpr auto kName = HostAddressKind::kHostName;

std::wstring Widen(const std::string &s) { return std::wstring(s.begin(), s.end()); }

// cLabels labels of cch letters each, joined by dots.
std::string Labels(int cLabels, size_t cch) {
    std::string s;
    for (int i = 0; i < cLabels; ++i) s += (i != 0 ? "." : "") + std::string(cch, 'a');
    return s;
}

TEST(HostAddress, OneRuleForLinkAndLibrary) {
    const struct {
        std::string text;
        HostAddressKind kind;
    } cases[] = {
        {"192.0.2.10", kV4},
        {"127.0.0.1", kV4},
        {"1.0.0.0", kV4},
        {"223.255.255.254", kV4},
        // No single printer: "this network", multicast, reserved, broadcast.
        {"0.0.0.0", kNone},
        {"0.1.2.3", kNone},
        {"224.0.0.1", kNone},
        {"255.255.255.255", kNone},
        // Malformed dotted forms are neither addresses nor names.
        {"1.2.3", kNone},
        {"1.2.3.4.5", kNone},
        {"1.2.3.256", kNone},
        {"01.2.3.0004", kNone},
        {"1.2.3.4 ", kNone},
        {" 1.2.3.4", kNone},
        {"1..2.3", kNone},
        {"printer-7.example", kName},
        {"printer-7.lan_1", kName},
        {"lp1", kName},
        {"calc.exe", kName},
        {"10.1.2.x", kName},
        {"-printer", kNone},
        {"printer-", kNone},
        {"a.-b", kNone},
        {"a-.b", kNone},
        {"a..b", kNone},
        {".a", kNone},
        {"a.", kNone},
        {"print er", kNone},
        {"x;rm", kNone},
        {"x\"y", kNone},
        {"host/path", kNone},
        {"h%s", kNone},
        {"host:9100", kNone},
        {"\\\\server\\share", kNone},
        {"[2001:db8::1]", kV6},
        {"[::ffff:192.0.2.1]", kV6},
        {"[2001:db8::1", kNone},
        {"2001:db8::1", kNone},
        {"[1.2.3.4]", kNone},
        {"[2001:db8::g]", kNone},
        {"", kNone},
        {std::string(63, 'a') + ".example", kName},
        {std::string(64, 'a') + ".example", kNone},  // one label over 63
        {Labels(4, 50) + "." + std::string(48, 'b'), kName},  // 252 characters
        {Labels(4, 50) + "." + std::string(49, 'b'), kName},  // 253
        {Labels(4, 50) + "." + std::string(50, 'b'), kNone},  // 254
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ClassifyHostAddress(c.text.c_str()), c.kind) << c.text;
        EXPECT_EQ(ClassifyHostAddress(Widen(c.text).c_str()), c.kind) << c.text;
    }
    EXPECT_EQ(ClassifyHostAddress(static_cast<const char *>(nullptr)), kNone);
    EXPECT_EQ(ClassifyHostAddress(static_cast<const wchar_t *>(nullptr)), kNone);
    // Non-ASCII letters are no host-name characters in either width.
    EXPECT_EQ(ClassifyHostAddress(L"dru\u00e9ker"), kNone);
    EXPECT_EQ(ClassifyHostAddress("dru\xe9ker"), kNone);
}

TEST(HostAddress, DottedAddressInHostOrder) {
    DWORD dw = 0xdeadbeef;
    ASSERT_TRUE(oemui::ParseIPv4Address("192.0.2.10", &dw));
    EXPECT_EQ(dw, 0xC000020Au);
    dw = 0xdeadbeef;
    EXPECT_FALSE(oemui::ParseIPv4Address("printer", &dw));
    EXPECT_EQ(dw, 0xdeadbeefu);
    EXPECT_FALSE(oemui::ParseIPv4Address(nullptr, &dw));
}

}  // namespace
