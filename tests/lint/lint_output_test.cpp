// The lint command as a vendor runs it: exit codes, the compiler-style lines
// and the JSON document, from the program itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "host/console.h"
#include "host/plugin_host.h"
#include "lint/lint_rig.h"

namespace linttest {
namespace {

struct RunResult {
    DWORD exitCode = 0xdeadbeef;
    std::string output;
};

// A folder as one argument: without its last backslash, which would escape the quote.
std::wstring Quoted(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return L"\"" + folder + L"\"";
}

RunResult RunHost(const std::wstring &arguments) {
    RunResult result;
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring outPath = std::wstring(szTemp) + L"oemui-lint-out-" + std::to_wstring(GetCurrentProcessId());
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hOut = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    if (hOut == INVALID_HANDLE_VALUE) return result;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hOut;
    si.hStdError = hOut;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::wstring command = L"\"" + oemuihost::ExecutableDirectory() + L"oemuihost.exe\" lint " + arguments;
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &result.exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(hOut);
    HANDLE hIn = CreateFileW(outPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hIn != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD cb = 0;
        while (ReadFile(hIn, buffer, sizeof(buffer), &cb, nullptr) && cb > 0) result.output.append(buffer, cb);
        CloseHandle(hIn);
    }
    DeleteFileW(outPath.c_str());
    return result;
}

// A small JSON reader, enough for the checker's document.
struct Json {
    enum Kind { Null, Number, String, Array, Object } kind = Null;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;
    const Json &operator[](const char *key) const {
        static const Json none;
        auto it = members.find(key);
        return it == members.end() ? none : it->second;
    }
};

class JsonParser {
public:
    explicit JsonParser(const std::string &s) : m_s(s) {}
    bool Parse(Json *pOut) { return Value(pOut) && (Blank(), m_at == m_s.size()); }

private:
    void Blank() {
        while (m_at < m_s.size() && isspace(static_cast<unsigned char>(m_s[m_at]))) ++m_at;
    }
    bool Eat(char c) {
        Blank();
        if (m_at < m_s.size() && m_s[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Str(std::string *pOut) {
        if (!Eat('"')) return false;
        for (; m_at < m_s.size() && m_s[m_at] != '"'; ++m_at) {
            if (m_s[m_at] == '\\') {
                if (++m_at >= m_s.size()) return false;
                if (m_s[m_at] == 'u') {
                    if (m_at + 4 >= m_s.size()) return false;
                    *pOut += static_cast<char>(std::stoi(m_s.substr(m_at + 1, 4), nullptr, 16));
                    m_at += 4;
                    continue;
                }
            }
            *pOut += m_s[m_at];
        }
        return Eat('"');
    }
    bool Value(Json *pOut) {
        Blank();
        if (m_at >= m_s.size()) return false;
        const char c = m_s[m_at];
        if (c == '"') {
            pOut->kind = Json::String;
            return Str(&pOut->text);
        }
        if (c == '[') {
            ++m_at;
            pOut->kind = Json::Array;
            if (Eat(']')) return true;
            do {
                pOut->items.emplace_back();
                if (!Value(&pOut->items.back())) return false;
            } while (Eat(','));
            return Eat(']');
        }
        if (c == '{') {
            ++m_at;
            pOut->kind = Json::Object;
            if (Eat('}')) return true;
            do {
                std::string key;
                if (!Str(&key) || !Eat(':') || !Value(&pOut->members[key])) return false;
            } while (Eat(','));
            return Eat('}');
        }
        if (c != '-' && !isdigit(static_cast<unsigned char>(c))) return false;
        size_t used = 0;
        pOut->kind = Json::Number;
        pOut->number = std::stod(m_s.substr(m_at), &used);
        m_at += used;
        return used > 0;
    }
    const std::string &m_s;
    size_t m_at = 0;
};

TEST(LintOutput, JsonHoldsTheSameFindingsAndLines) {
    ModelCopy model(L"talix_c500");
    ASSERT_TRUE(model.Apply({L"TLXC500u.INI", "PrinterHDD=1", "PrinterHDD=on"}));
    ASSERT_TRUE(model.Apply({L"TLXEN.DAT", "Ref_URL_1=http://", "Ref_URL_1=ftp://"}));
    const oemuihost::LintReport report = Lint(model.Folder());
    const RunResult run = RunHost(Quoted(model.Folder()) + L" --json");
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    Json doc;
    ASSERT_TRUE(JsonParser(run.output).Parse(&doc)) << run.output;
    const Json &findings = doc["findings"];
    ASSERT_EQ(findings.kind, Json::Array);
    ASSERT_EQ(findings.items.size(), report.Findings().size());
    for (size_t i = 0; i < findings.items.size(); ++i) {
        const oemuihost::LintFinding &f = report.Findings()[i];
        EXPECT_EQ(findings.items[i]["file"].text, oemuihost::ToUtf8(f.file));
        EXPECT_EQ(findings.items[i]["line"].number, f.line);
        EXPECT_EQ(findings.items[i]["rule"].text, f.rule);
    }
    const int iniLine = model.LineOf(L"TLXC500u.INI", "PrinterHDD=on");
    const int datLine = model.LineOf(L"TLXEN.DAT", "Ref_URL_1=ftp");
    int seen = 0;
    for (const Json &f : findings.items) {
        if (f["rule"].text == "ini-type" && f["file"].text == "TLXC500u.INI" && f["line"].number == iniLine) ++seen;
        if (f["rule"].text == "text-link" && f["file"].text == "TLXEN.DAT" && f["line"].number == datLine) ++seen;
    }
    EXPECT_EQ(seen, 2) << run.output;
    EXPECT_EQ(doc["summary"]["errors"].number, 2);
    EXPECT_EQ(doc["summary"]["exitCode"].number, 1);
}

TEST(LintOutput, ExitCodesAndCompilerStyleLines) {
    const RunResult clean = RunHost(L"korvant_k45s --werror");
    EXPECT_EQ(clean.exitCode, 0u) << clean.output;
    EXPECT_NE(clean.output.find("korvant_k45s: 0 errors, 0 warnings"), std::string::npos) << clean.output;

    ModelCopy model(L"korvant_k45s");
    ASSERT_TRUE(model.Apply({L"KVK45Su.INI", "PrinterHDD=0", "PrinterHDD=2"}));
    const int line = model.LineOf(L"KVK45Su.INI", "PrinterHDD=2");
    const RunResult warned = RunHost(Quoted(model.Folder()));
    EXPECT_EQ(warned.exitCode, 0u) << warned.output;
    const std::string expected = "KVK45Su.INI:" + std::to_string(line) + ": warning: ";
    EXPECT_NE(warned.output.find(expected), std::string::npos) << warned.output;
    EXPECT_NE(warned.output.find("[ini-range]"), std::string::npos) << warned.output;
    EXPECT_EQ(RunHost(Quoted(model.Folder()) + L" --werror").exitCode, 1u);

    EXPECT_EQ(RunHost(L"no_such_model_folder").exitCode, 2u);
}

}  // namespace
}  // namespace linttest
