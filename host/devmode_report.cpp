#include "host/devmode_report.h"

#include "common/bounded_format.h"

namespace oemuihost {
namespace {

// A fixed-width field may fill its slot without a terminator.
std::wstring Quoted(const WCHAR *field, size_t cch) {
    return L"\"" + std::wstring(field, oemui::LengthCchW(field, cch)) + L"\"";
}

std::wstring Num(long long v) { return std::to_wstring(v); }

}  // namespace

ReportFields DescribePrivateDevModeFields(const oemui::PrivateDevMode &dm) {
    return ReportFields{
        {L"0x000 dwSize", Num(dm.dmExtraHdr.dwSize)},
        {L"0x004 dwSignature", Hex32(dm.dmExtraHdr.dwSignature)},
        {L"0x008 dwVersion", Num(dm.dmExtraHdr.dwVersion)},
        {L"0x00C lHoldSel", Num(dm.lHoldSel)},
        {L"0x010 sPrintMode", Num(dm.sPrintMode)},
        {L"0x012 szUserId", Quoted(dm.szUserId, 20)},
        {L"0x03A szJobName", Quoted(dm.szJobName, 64)},
        {L"0x0BA szPasscode", Quoted(dm.szPasscode, 8)},
        {L"0x0CA szPrintAt", Quoted(dm.szPrintAt, 20)},
        {L"0x0F4 lGrayCopies", Num(dm.lGrayCopies)},
        {L"0x100 sDiskInstalled", Num(dm.sDiskInstalled)},
        {L"0x102 sStapling", Num(dm.sStapling)},
        {L"0x104 sNupFlag", Num(dm.sNupFlag)},
        {L"0x106 sResolution", Num(dm.sResolution)},
        {L"0x108 bLockFlags", Hex32(dm.bLockFlags)},
        {L"0x10A sColorCopiesEnabled", Num(dm.sColorCopiesEnabled)},
        {L"0x10C sOptionalDisk", Num(dm.sOptionalDisk)},
        {L"0x110 lColorCopies", Num(dm.lColorCopies)},
        {L"0x114 sSecurePrint", Num(dm.sSecurePrint)},
        {L"0x116 szSecurePasscode", Quoted(dm.szSecurePasscode, 20)},
        {L"0x13E szEncryptionKey", Quoted(dm.szEncryptionKey, 20)},
        {L"0x166 bRegionColor", Num(dm.bRegionColor)},
        {L"0x168 sJobAccounting", Num(dm.sJobAccounting)},
    };
}

std::wstring DescribePrivateDevMode(const oemui::PrivateDevMode &dm) {
    std::wstring out;
    for (const auto &field : DescribePrivateDevModeFields(dm)) {
        std::wstring name = field.first;
        if (name.size() < 26) name.resize(26, L' ');
        out += L"  " + name + L" = " + field.second + L"\n";
    }
    return out;
}

}  // namespace oemuihost
