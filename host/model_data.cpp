#include "host/model_data.h"

#include <windows.h>

#include <cstring>

#include "common/handles.h"

namespace oemuihost {
namespace {

std::string Trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

bool StartsWith(const std::string &s, const char *prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

std::wstring Widen(const std::string &s) {
    if (s.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
    return out;
}

std::string Unquote(const std::string &s) {
    std::string t = Trim(s);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') return t.substr(1, t.size() - 2);
    return t;
}

// A keyword the plug-in can compare: printable ASCII without blanks, bounded.
bool IsKeyword(const std::string &s) {
    if (s.empty() || s.size() > kMaxKeywordLength) return false;
    for (unsigned char c : s)
        if (c <= ' ' || c >= 0x7F) return false;
    return true;
}

std::vector<std::string> SplitLines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::wstring LineNote(size_t lineIndex, const wchar_t *what) {
    return L"line " + std::to_wstring(lineIndex + 1) + L": " + what;
}

// Adds a feature or option within the limits; false (with a warning) when full.
bool RoomForFeature(ModelData &data, size_t lineIndex) {
    if (data.features.size() < kMaxFeatures) return true;
    data.warnings.push_back(LineNote(lineIndex, L"too many features; the rest is ignored"));
    return false;
}

bool RoomForOption(ModelData &data, const ModelFeature &feature, size_t lineIndex) {
    if (feature.options.size() < kMaxOptions) return true;
    data.warnings.push_back(LineNote(lineIndex, L"too many options; the rest is ignored"));
    return false;
}

void ResolveDefault(ModelData &data, ModelFeature &feature, const std::string &defaultKeyword) {
    if (feature.displayName.empty()) feature.displayName = Widen(feature.keyword);
    for (ModelOption &option : feature.options)
        if (option.displayName.empty()) option.displayName = Widen(option.keyword);
    feature.defaultIndex = 0;
    if (defaultKeyword.empty()) return;
    const int index = feature.FindOption(defaultKeyword);
    if (index >= 0)
        feature.defaultIndex = index;
    else
        data.warnings.push_back(L"feature " + Widen(feature.keyword) + L": default option " +
                                Widen(defaultKeyword) + L" is not one of its options");
}

// Closes the last feature read: its default is resolved, and a feature
// without options is dropped with a warning.
void FinishFeature(ModelData &data, const std::string &defaultKeyword) {
    ModelFeature &f = data.features.back();
    ResolveDefault(data, f, defaultKeyword);
    if (f.options.empty()) {
        data.warnings.push_back(L"feature " + Widen(f.keyword) + L" has no options and is left out");
        data.features.pop_back();
    }
}

// GPD: *Feature: K { *Name: "..." *DefaultOption: O *FeatureType: ...
//      *Option: O { *Name: "..." } }
void ParseGpd(const std::vector<std::string> &lines, ModelData &data) {
    int depth = 0;
    int featureDepth = -1;  // depth of the open feature's block
    int optionDepth = -1;   // depth of the open option's block
    bool inFeature = false;
    bool full = false;
    std::string defaultKeyword;
    auto closeFeature = [&]() {
        if (!inFeature) return;
        FinishFeature(data, defaultKeyword);
        inFeature = false;
        featureDepth = optionDepth = -1;
        defaultKeyword.clear();
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trim(lines[i]);
        if (line.empty() || StartsWith(line, "*%")) continue;
        const size_t colon = line.find(':');
        const std::string key = colon == std::string::npos ? std::string() : Trim(line.substr(0, colon));
        const std::string value = colon == std::string::npos ? std::string() : Trim(line.substr(colon + 1));
        if (key == "*Feature" && depth == 0) {
            closeFeature();
            if (!full && !RoomForFeature(data, i)) full = true;
            if (full) {
                // Past the limit: the feature is skipped.
            } else if (IsKeyword(value)) {
                data.features.push_back(ModelFeature());
                data.features.back().keyword = value;
                inFeature = true;
                featureDepth = 1;
            } else {
                data.warnings.push_back(LineNote(i, L"feature keyword not understood"));
            }
        } else if (inFeature && key == "*Option" && depth == featureDepth) {
            ModelFeature &f = data.features.back();
            if (!IsKeyword(value)) {
                data.warnings.push_back(LineNote(i, L"option keyword not understood"));
            } else if (RoomForOption(data, f, i)) {
                f.options.push_back(ModelOption{value, std::wstring()});
                optionDepth = depth + 1;
            }
        } else if (inFeature && key == "*Name") {
            ModelFeature &f = data.features.back();
            if (depth == featureDepth)
                f.displayName = Widen(Unquote(value));
            else if (depth == optionDepth && !f.options.empty())
                f.options.back().displayName = Widen(Unquote(value));
        } else if (inFeature && key == "*DefaultOption" && depth == featureDepth) {
            defaultKeyword = value;
        } else if (inFeature && key == "*FeatureType" && depth == featureDepth) {
            data.features.back().installable = (value == "PRINTER_PROPERTY");
        }
        for (char c : line) {
            if (c == '{') ++depth;
            if (c == '}') {
                --depth;
                if (depth < 0) {
                    data.warnings.push_back(LineNote(i, L"unbalanced '}'"));
                    depth = 0;
                }
                if (inFeature && depth < optionDepth) optionDepth = -1;
                if (inFeature && depth < featureDepth) closeFeature();
            }
        }
    }
    closeFeature();
    // A GPD model prints in colour when it has a colour-mode feature.
    data.colorDevice = data.FindFeature("ColorMode") >= 0;
}

// PPD: *OpenUI *K/Text: PickOne ... *DefaultK: O ... *K O/Text: "..." ... *CloseUI: *K
// (and the *JCLOpenUI form); installable options sit in the InstallableOptions group.
void ParsePpd(const std::vector<std::string> &lines, ModelData &data) {
    bool inGroupInstallable = false;
    bool inUi = false;
    bool inQuote = false;
    bool full = false;
    std::string defaultKeyword;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string raw = lines[i];
        // The continuation lines of a multi-line quoted value are skipped
        // whatever they hold (statements, comments, *End): a quoted value has
        // no quote inside, so the first quote ends it.
        if (inQuote) {
            if (raw.find('"') != std::string::npos) inQuote = false;
            continue;
        }
        const std::string line = Trim(raw);
        // A comment is a comment whatever it holds: a stray quote in one must
        // not open a value that swallows the statements after it.
        if (line.empty() || StartsWith(line, "*%")) continue;
        // Keywords and translation strings hold no colon, so the first one
        // starts the value. Only the value's quotes count: a translation
        // string may hold one ("Ledger (11 x 17\")").
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            size_t quotes = 0;
            for (size_t c = colon + 1; c < line.size(); ++c) quotes += (line[c] == '"');
            inQuote = (quotes % 2) == 1;
        }
        if (line[0] != '*') continue;
        const std::string head = colon == std::string::npos ? line : Trim(line.substr(0, colon));
        const std::string value = colon == std::string::npos ? std::string() : Trim(line.substr(colon + 1));
        // The main keyword ends at the first blank or colon; for *OpenUI the
        // feature follows it ("*OpenUI *Key/Text: PickOne").
        const size_t wordEnd = line.find_first_of(" \t:");
        const std::string word = line.substr(0, wordEnd);
        const std::string afterWord = wordEnd == std::string::npos ? std::string() : Trim(line.substr(wordEnd));
        if (head == "*OpenGroup") {
            inGroupInstallable = StartsWith(value, "InstallableOptions");
        } else if (head == "*CloseGroup") {
            inGroupInstallable = false;
        } else if (head == "*ColorDevice") {
            data.colorDevice = (value == "True");
        } else if (word == "*OpenUI" || word == "*JCLOpenUI") {
            if (inUi) {
                data.warnings.push_back(LineNote(i, L"OpenUI inside another; the first is closed"));
                // Closed like *CloseUI closes it: an empty feature is dropped,
                // so no default index points into an empty option list.
                FinishFeature(data, defaultKeyword);
                inUi = false;
            }
            if (full || (full = !RoomForFeature(data, i))) continue;
            // afterWord: "*Key/Text: PickOne"
            const size_t uiColon = afterWord.rfind(':');
            const std::string uiHead = Trim(afterWord.substr(0, uiColon));
            const size_t slash = uiHead.find('/');
            std::string keyword = uiHead.substr(0, slash);
            if (!keyword.empty() && keyword[0] == '*') keyword.erase(0, 1);
            keyword = Trim(keyword);
            if (!IsKeyword(keyword)) {
                data.warnings.push_back(LineNote(i, L"OpenUI keyword not understood"));
                continue;
            }
            ModelFeature f;
            f.keyword = keyword;
            if (slash != std::string::npos) f.displayName = Widen(Trim(uiHead.substr(slash + 1)));
            f.installable = inGroupInstallable;
            data.features.push_back(f);
            inUi = true;
            defaultKeyword.clear();
        } else if (word == "*CloseUI" || word == "*JCLCloseUI") {
            if (!inUi) continue;
            FinishFeature(data, defaultKeyword);
            inUi = false;
        } else if (inUi) {
            ModelFeature &f = data.features.back();
            const std::string defaultHead = "*Default" + f.keyword;
            // Main keyword and option keyword may be separated by any blanks,
            // tabs included.
            const std::string optionHead = "*" + f.keyword;
            if (head == defaultHead) {
                defaultKeyword = value;
            } else if (StartsWith(head, optionHead.c_str()) && head.size() > optionHead.size() &&
                       (head[optionHead.size()] == ' ' || head[optionHead.size()] == '\t')) {
                const std::string rest = Trim(head.substr(optionHead.size()));
                const size_t slash = rest.find('/');
                const std::string optionKeyword = Trim(rest.substr(0, slash));
                if (!IsKeyword(optionKeyword)) {
                    data.warnings.push_back(LineNote(i, L"option keyword not understood"));
                } else if (RoomForOption(data, f, i)) {
                    ModelOption option{optionKeyword, std::wstring()};
                    if (slash != std::string::npos) option.displayName = Widen(Trim(rest.substr(slash + 1)));
                    f.options.push_back(option);
                }
            }
        }
    }
    if (inUi) {
        data.warnings.push_back(L"the last OpenUI is never closed");
        FinishFeature(data, defaultKeyword);
    }
}

}  // namespace

int ModelFeature::FindOption(const std::string &optionKeyword) const {
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i].keyword == optionKeyword) return static_cast<int>(i);
    return -1;
}

int ModelData::FindFeature(const std::string &keyword) const {
    for (size_t i = 0; i < features.size(); ++i)
        if (features[i].keyword == keyword) return static_cast<int>(i);
    return -1;
}

ModelData ParseModelData(const std::string &text, DataFileKind kindHint) {
    ModelData data;
    data.kind = kindHint;
    if (data.kind == DataFileKind::Unknown) {
        if (text.find("*PPD-Adobe") != std::string::npos)
            data.kind = DataFileKind::Ppd;
        else if (text.find("*GPDFileVersion") != std::string::npos || text.find("*Feature:") != std::string::npos)
            data.kind = DataFileKind::Gpd;
    }
    if (text.find('\0') != std::string::npos) {
        data.kind = DataFileKind::Unknown;
        data.warnings.push_back(L"the data file is not text");
        return data;
    }
    const std::vector<std::string> lines = SplitLines(text);
    if (data.kind == DataFileKind::Gpd)
        ParseGpd(lines, data);
    else if (data.kind == DataFileKind::Ppd)
        ParsePpd(lines, data);
    else
        data.warnings.push_back(L"the data file is neither GPD nor PPD text");
    if (data.kind != DataFileKind::Unknown && data.features.empty())
        data.warnings.push_back(L"no features found in the data file");
    return data;
}

ModelData LoadModelData(const std::wstring &path) {
    oemui::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ModelData data;
        data.warnings.push_back(L"cannot open the data file " + path + L" (error " +
                                std::to_wstring(GetLastError()) + L")");
        return data;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > kMaxDataFileBytes) {
        ModelData data;
        data.warnings.push_back(L"the data file " + path + L" is too large or its size unknown");
        return data;
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD cbRead = 0;
    if (!text.empty() && !ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &cbRead, nullptr)) {
        ModelData data;
        data.warnings.push_back(L"cannot read the data file " + path);
        return data;
    }
    text.resize(cbRead);
    DataFileKind kind = DataFileKind::Unknown;
    const size_t dot = path.find_last_of(L'.');
    if (dot != std::wstring::npos) {
        const std::wstring ext = path.substr(dot);
        if (lstrcmpiW(ext.c_str(), L".PPD") == 0) kind = DataFileKind::Ppd;
        if (lstrcmpiW(ext.c_str(), L".GPD") == 0) kind = DataFileKind::Gpd;
    }
    return ParseModelData(text, kind);
}

}  // namespace oemuihost
