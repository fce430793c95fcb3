// What counts as a printer's network address, for everything that takes one
// from the port configuration: the link to the printer's own web page and the
// network library's target. Both must agree, or a printer reachable for one
// would be refused by the other.
#pragma once

#include <windows.h>

namespace oemui {

enum class HostAddressKind {
    kNone,      // empty, too long, or not an address at all
    kIPv4,      // dotted decimal a.b.c.d of a single host
    kIPv6,      // a bracketed literal "[2001:db8::1]", as a URL writes it
    kHostName,  // a name for the resolver
};

// Longest address text taken, in characters (a DNS name's limit).
constexpr size_t kHostAddressMaxCch = 253;

// Dotted decimal: four parts of one to three digits, each at most 255, no
// other character. Addresses of no single printer are refused: "this
// network" (0.x.x.x), multicast and reserved ranges (224 and above, the
// broadcast address among them).
//
// Host name: labels of letters, digits, "-" and "_" (Windows names may hold
// it), 1 to 63 characters each, not starting or ending with "-", 253
// characters at most. A last label of digits only is a malformed address
// ("10.1.2"), which resolvers would read in some legacy short form.
//
// A bracketed IPv6 literal: hexadecimal digits, ":" and "." between the
// brackets, with at least two colons.
HostAddressKind ClassifyHostAddress(const wchar_t *pszText);
HostAddressKind ClassifyHostAddress(const char *pszText);

// The IPv4 address of dotted-decimal text, in host byte order; false for
// anything ClassifyHostAddress does not call kIPv4.
bool ParseIPv4Address(const char *pszText, DWORD *pdwHostOrder);

}  // namespace oemui
