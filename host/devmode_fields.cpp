#include "host/devmode_fields.h"

#include <cstring>
#include <cwchar>

#include "common/bounded_format.h"
#include "host/report.h"

namespace oemuihost {
namespace {

using oemui::PrivateDevMode;

#define OEMUI_FIELD(member, type, cch, hex) {L## #member, offsetof(PrivateDevMode, member), type, cch, hex}
constexpr DevModeField kFields[] = {
    {L"dwSize", offsetof(PrivateDevMode, dmExtraHdr.dwSize), FieldType::Dword, 0, false},
    {L"dwSignature", offsetof(PrivateDevMode, dmExtraHdr.dwSignature), FieldType::Dword, 0, true},
    {L"dwVersion", offsetof(PrivateDevMode, dmExtraHdr.dwVersion), FieldType::Dword, 0, false},
    OEMUI_FIELD(lHoldSel, FieldType::Long, 0, false),
    OEMUI_FIELD(sPrintMode, FieldType::Short, 0, false),
    OEMUI_FIELD(szUserId, FieldType::Text, 20, false),
    OEMUI_FIELD(szJobName, FieldType::Text, 64, false),
    OEMUI_FIELD(szPasscode, FieldType::Text, 8, false),
    OEMUI_FIELD(szPrintAt, FieldType::Text, 20, false),
    OEMUI_FIELD(lGrayCopies, FieldType::Long, 0, false),
    OEMUI_FIELD(sDiskInstalled, FieldType::Short, 0, false),
    OEMUI_FIELD(sStapling, FieldType::Short, 0, false),
    OEMUI_FIELD(sNupFlag, FieldType::Short, 0, false),
    OEMUI_FIELD(sResolution, FieldType::Short, 0, false),
    OEMUI_FIELD(bLockFlags, FieldType::Byte, 0, true),
    OEMUI_FIELD(sColorCopiesEnabled, FieldType::Short, 0, false),
    OEMUI_FIELD(sOptionalDisk, FieldType::Short, 0, false),
    OEMUI_FIELD(lColorCopies, FieldType::Long, 0, false),
    OEMUI_FIELD(sSecurePrint, FieldType::Short, 0, false),
    OEMUI_FIELD(szSecurePasscode, FieldType::Text, 20, false),
    OEMUI_FIELD(szEncryptionKey, FieldType::Text, 20, false),
    OEMUI_FIELD(bRegionColor, FieldType::Byte, 0, false),
    OEMUI_FIELD(sJobAccounting, FieldType::Short, 0, false),
};
#undef OEMUI_FIELD

long long ReadNumber(const BYTE *p, FieldType type) {
    switch (type) {
    case FieldType::Dword: { DWORD v; memcpy(&v, p, sizeof(v)); return v; }
    case FieldType::Long: { LONG v; memcpy(&v, p, sizeof(v)); return v; }
    case FieldType::Short: { SHORT v; memcpy(&v, p, sizeof(v)); return v; }
    case FieldType::Byte: return *p;
    default: return 0;
    }
}

}  // namespace

const DevModeField *DevModeFields(size_t *pCount) {
    *pCount = sizeof(kFields) / sizeof(kFields[0]);
    return kFields;
}

const DevModeField *FindDevModeField(const std::wstring &name) {
    for (const DevModeField &f : kFields)
        if (lstrcmpiW(f.name, name.c_str()) == 0) return &f;
    return nullptr;
}

std::wstring ReadDevModeField(const oemui::PrivateDevMode &dm, const DevModeField &field) {
    const BYTE *p = reinterpret_cast<const BYTE *>(&dm) + field.offset;
    if (field.type == FieldType::Text) {
        // A fixed-width field may fill its slot without a terminator.
        const auto *psz = reinterpret_cast<const WCHAR *>(p);
        return L"\"" + std::wstring(psz, oemui::LengthCchW(psz, field.cch)) + L"\"";
    }
    const long long v = ReadNumber(p, field.type);
    return field.hex ? Hex32(static_cast<unsigned long>(v)) : std::to_wstring(v);
}

bool WriteDevModeField(oemui::PrivateDevMode *pdm, const DevModeField &field, const std::wstring &value,
                       std::wstring *pError) {
    BYTE *p = reinterpret_cast<BYTE *>(pdm) + field.offset;
    if (field.type == FieldType::Text) {
        if (value.size() > field.cch) {
            *pError = std::wstring(field.name) + L" holds at most " + std::to_wstring(field.cch) + L" characters";
            return false;
        }
        // A text that fills the slot is stored without a terminator, as a
        // damaged or foreign block may hold it.
        std::memset(p, 0, field.cch * sizeof(WCHAR));
        std::memcpy(p, value.data(), value.size() * sizeof(WCHAR));
        return true;
    }
    wchar_t *end = nullptr;
    const long long v = std::wcstoll(value.c_str(), &end, 0);
    if (value.empty() || end == nullptr || *end != L'\0') {
        *pError = std::wstring(field.name) + L" takes a number, not \"" + value + L"\"";
        return false;
    }
    switch (field.type) {
    case FieldType::Dword: { const DWORD d = static_cast<DWORD>(v); memcpy(p, &d, sizeof(d)); break; }
    case FieldType::Long: { const LONG d = static_cast<LONG>(v); memcpy(p, &d, sizeof(d)); break; }
    case FieldType::Short: { const SHORT d = static_cast<SHORT>(v); memcpy(p, &d, sizeof(d)); break; }
    case FieldType::Byte: *p = static_cast<BYTE>(v); break;
    default: break;
    }
    return true;
}

}  // namespace oemuihost
