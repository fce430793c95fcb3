#include "host/devmode_report.h"

#include "common/bounded_format.h"
#include "host/devmode_fields.h"

namespace oemuihost {

ReportFields DescribePrivateDevModeFields(const oemui::PrivateDevMode &dm) {
    ReportFields fields;
    size_t count = 0;
    const DevModeField *pFields = DevModeFields(&count);
    for (size_t i = 0; i < count; ++i) {
        wchar_t szOffset[8];
        oemui::FormatCchW(szOffset, 8, L"0x%03X", static_cast<unsigned>(pFields[i].offset));
        fields.emplace_back(std::wstring(szOffset) + L" " + pFields[i].name, ReadDevModeField(dm, pFields[i]));
    }
    return fields;
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
