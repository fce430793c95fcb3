#include "host/report.h"

#include "common/bounded_format.h"
#include "host/console.h"

namespace oemuihost {
namespace {

std::string JsonString(const std::wstring &text) {
    const std::string utf8 = ToUtf8(text);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char sz[8];
                oemui::FormatCbA(sz, sizeof(sz), "\\u%04x", c);
                out += sz;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

}  // namespace

std::wstring Hex32(unsigned long value) {
    wchar_t sz[16];
    oemui::FormatCchW(sz, 16, L"0x%08lX", value);
    return sz;
}

void Report::Add(const std::wstring &kind, const std::wstring &text, ReportFields fields) {
    ReportEntry entry;
    entry.line = m_line;
    entry.kind = kind;
    entry.text = text;
    entry.fields = std::move(fields);
    m_entries.push_back(std::move(entry));
}

void Report::AddCall(const std::wstring &text, HRESULT hr, DWORD lastError, const std::wstring &detail) {
    std::wstring line = text + L" -> " + Hex32(static_cast<unsigned long>(hr));
    if (hr == S_OK)
        line += L" S_OK";
    else if (hr == E_NOTIMPL)
        line += L" E_NOTIMPL";
    else if (hr == E_FAIL)
        line += L" E_FAIL";
    if (FAILED(hr)) line += L", last error " + std::to_wstring(lastError);
    if (!detail.empty()) line += L"; " + detail;
    ReportFields fields = {{L"hr", Hex32(static_cast<unsigned long>(hr))}, {L"lastError", std::to_wstring(lastError)}};
    Add(L"call", line, std::move(fields));
}

size_t Report::CountKind(const std::wstring &kind) const {
    size_t n = 0;
    for (const ReportEntry &e : m_entries) n += (e.kind == kind);
    return n;
}

std::wstring Report::RenderText() const {
    std::wstring out;
    for (const ReportEntry &e : m_entries) {
        if (e.kind == L"step") {
            out += L"\n[" + std::to_wstring(e.line) + L"] " + e.text + L"\n";
            continue;
        }
        std::wstring kind = e.kind;
        kind.resize(10, L' ');
        out += L"  " + kind + L" " + e.text + L"\n";
        if (e.kind == L"dump" || e.kind == L"warning" || e.kind == L"error") {
            for (const auto &f : e.fields) {
                std::wstring name = f.first;
                if (name.size() < 22) name.resize(22, L' ');
                out += L"      " + name + L" = " + f.second + L"\n";
            }
        }
    }
    return out;
}

std::string Report::RenderJson(const std::wstring &scenario, int exitCode) const {
    std::string out = "{\n  \"scenario\": " + JsonString(scenario) + ",\n  \"exitCode\": " +
                      std::to_string(exitCode) + ",\n  \"entries\": [";
    bool first = true;
    for (const ReportEntry &e : m_entries) {
        out += first ? "\n" : ",\n";
        first = false;
        out += "    {\"line\": " + std::to_string(e.line) + ", \"kind\": " + JsonString(e.kind) +
               ", \"text\": " + JsonString(e.text);
        if (!e.fields.empty()) {
            out += ", \"fields\": {";
            for (size_t i = 0; i < e.fields.size(); ++i) {
                if (i) out += ", ";
                out += JsonString(e.fields[i].first) + ": " + JsonString(e.fields[i].second);
            }
            out += "}";
        }
        out += "}";
    }
    out += "\n  ]\n}\n";
    return out;
}

}  // namespace oemuihost
