#include "host/devmode_report.h"

#include <cwchar>

namespace oemuihost {
namespace {

// A fixed-width field may fill its slot without a terminator.
std::wstring FieldText(const WCHAR *field, size_t cch) {
    size_t n = 0;
    while (n < cch && field[n] != L'\0') ++n;
    return std::wstring(field, n);
}

void Line(std::wstring &out, const wchar_t *offset, const wchar_t *name, const std::wstring &value) {
    wchar_t sz[96];
    swprintf(sz, 96, L"  %-6ls %-20ls = ", offset, name);
    out += sz;
    out += value;
    out += L"\n";
}

std::wstring Num(long long v) { return std::to_wstring(v); }
std::wstring Hex(unsigned long v) {
    wchar_t sz[16];
    swprintf(sz, 16, L"0x%08lX", v);
    return sz;
}
std::wstring Quoted(const WCHAR *field, size_t cch) { return L"\"" + FieldText(field, cch) + L"\""; }

}  // namespace

std::wstring DescribePrivateDevMode(const oemui::PrivateDevMode &dm) {
    std::wstring out;
    Line(out, L"0x000", L"dwSize", Num(dm.dmExtraHdr.dwSize));
    Line(out, L"0x004", L"dwSignature", Hex(dm.dmExtraHdr.dwSignature));
    Line(out, L"0x008", L"dwVersion", Num(dm.dmExtraHdr.dwVersion));
    Line(out, L"0x00C", L"lHoldSel", Num(dm.lHoldSel));
    Line(out, L"0x010", L"sPrintMode", Num(dm.sPrintMode));
    Line(out, L"0x012", L"szUserId", Quoted(dm.szUserId, 20));
    Line(out, L"0x03A", L"szJobName", Quoted(dm.szJobName, 64));
    Line(out, L"0x0BA", L"szPasscode", Quoted(dm.szPasscode, 8));
    Line(out, L"0x0CA", L"szPrintAt", Quoted(dm.szPrintAt, 20));
    Line(out, L"0x0F4", L"lGrayCopies", Num(dm.lGrayCopies));
    Line(out, L"0x100", L"sDiskInstalled", Num(dm.sDiskInstalled));
    Line(out, L"0x102", L"sStapling", Num(dm.sStapling));
    Line(out, L"0x104", L"sNupFlag", Num(dm.sNupFlag));
    Line(out, L"0x106", L"sResolution", Num(dm.sResolution));
    Line(out, L"0x108", L"bLockFlags", Hex(dm.bLockFlags));
    Line(out, L"0x10A", L"sColorCopiesEnabled", Num(dm.sColorCopiesEnabled));
    Line(out, L"0x10C", L"sOptionalDisk", Num(dm.sOptionalDisk));
    Line(out, L"0x110", L"lColorCopies", Num(dm.lColorCopies));
    Line(out, L"0x114", L"sSecurePrint", Num(dm.sSecurePrint));
    Line(out, L"0x116", L"szSecurePasscode", Quoted(dm.szSecurePasscode, 20));
    Line(out, L"0x13E", L"szEncryptionKey", Quoted(dm.szEncryptionKey, 20));
    Line(out, L"0x166", L"bRegionColor", Num(dm.bRegionColor));
    Line(out, L"0x168", L"sJobAccounting", Num(dm.sJobAccounting));
    return out;
}

}  // namespace oemuihost
