// The UI groups of a PPD read by the file format's lexical rules, apart from
// the emulator's reader, so a test can tell what the reader should have
// found. Also marks the lines the reader reads differently from those rules
// (its quote tracking counts every quote on a line), with the cause, so a
// test can tell a known reader limit from a new fault.
#pragma once

#include <string>
#include <vector>

namespace oemuihost {

// Why the reader may miss statements the format has.
enum class ReaderLimit {
    None,
    TabBeforeOption,     // "*Key<tab>Option/Text:" (the reader wants a blank)
    QuoteInTranslation,  // a '"' before a statement's colon flips its quote count
    ContinuationLines,   // a multi-line value it closes or opens elsewhere
};

struct PpdGroup {
    std::string keyword;
    bool installable = false;  // inside the InstallableOptions group
    size_t options = 0;        // option statements, whatever separates the keywords
    size_t tabOptions = 0;     // of those, the ones with a tab before the option
    size_t openLine = 0;       // zero-based
    size_t closeLine = 0;
};

struct PpdScan {
    std::vector<PpdGroup> groups;
    std::vector<ReaderLimit> lineLimit;  // per line: None, or why the reader reads it wrongly

    // The first reader limit that touches the group's lines, or None.
    ReaderLimit LimitFor(const PpdGroup &g) const {
        if (g.tabOptions > 0) return ReaderLimit::TabBeforeOption;
        for (size_t i = g.openLine; i <= g.closeLine && i < lineLimit.size(); ++i)
            if (lineLimit[i] != ReaderLimit::None) return lineLimit[i];
        return ReaderLimit::None;
    }
};

namespace ppdscan {

inline std::string TrimBlanks(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

inline bool HasPrefix(const std::string &s, const char *p) { return s.compare(0, std::char_traits<char>::length(p), p) == 0; }

}  // namespace ppdscan

// Statements start with '*' at the start of a line ("*%" is a comment); the
// main keyword ends at a blank, tab or colon; an option keyword may follow
// after blanks or tabs, with "/translation" up to the colon (quotes allowed
// there); a value that opens a quote and does not close it on the line goes
// on until the next line with a quote.
inline PpdScan ScanPpd(const std::string &text) {
    using namespace ppdscan;
    PpdScan scan;
    std::vector<std::string> lines;
    for (size_t at = 0; at <= text.size();) {
        size_t nl = text.find('\n', at);
        if (nl == std::string::npos) nl = text.size();
        lines.push_back(text.substr(at, nl - at));
        at = nl + 1;
    }
    scan.lineLimit.assign(lines.size(), ReaderLimit::None);
    bool inValue = false, readerInValue = false, installable = false;
    ReaderLimit drift = ReaderLimit::None;  // why the reader's quote state is off, while it is
    PpdGroup *open = nullptr;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &raw = lines[i];
        const bool hasQuote = raw.find('"') != std::string::npos;
        const bool wasIn = inValue, readerWasIn = readerInValue;
        // The reader's view of the line.
        if (readerInValue) {
            if (hasQuote) readerInValue = false;
        } else {
            const std::string t = TrimBlanks(raw);
            if (!t.empty() && !HasPrefix(t, "*%")) {
                size_t quotes = 0;
                for (char c : t) quotes += (c == '"');
                readerInValue = quotes % 2 == 1;
            }
        }
        if (wasIn) {
            if (hasQuote) inValue = false;
        } else if (!raw.empty() && raw[0] == '*' && !HasPrefix(raw, "*%")) {
            const size_t colon = raw.find(':');
            const size_t valueAt = colon == std::string::npos ? raw.size() : colon + 1;
            const size_t q = raw.find_first_not_of(" \t", valueAt);
            if (q != std::string::npos && raw[q] == '"') inValue = raw.find('"', q + 1) == std::string::npos;
        }
        // Where the two views part, say why; the cause holds until they meet again.
        if (wasIn == readerWasIn && inValue != readerInValue) {
            const size_t colon = raw.find(':');
            const bool statement = !raw.empty() && raw[0] == '*' && colon != std::string::npos;
            drift = statement && raw.substr(0, colon).find('"') != std::string::npos ? ReaderLimit::QuoteInTranslation
                                                                                    : ReaderLimit::ContinuationLines;
        }
        if (wasIn != readerWasIn || inValue != readerInValue) scan.lineLimit[i] = drift;
        if (wasIn || raw.empty() || raw[0] != '*' || HasPrefix(raw, "*%")) continue;

        const size_t wordEnd = raw.find_first_of(" \t:");
        const std::string word = raw.substr(0, wordEnd);
        const size_t colon = raw.find(':');
        const std::string value = colon == std::string::npos ? std::string() : TrimBlanks(raw.substr(colon + 1));
        if (word == "*OpenGroup") {
            installable = HasPrefix(value, "InstallableOptions");
        } else if (word == "*CloseGroup") {
            installable = false;
        } else if (word == "*OpenUI" || word == "*JCLOpenUI") {
            std::string head = TrimBlanks(raw.substr(wordEnd, colon == std::string::npos ? std::string::npos
                                                                                         : colon - wordEnd));
            if (!head.empty() && head[0] == '*') head.erase(0, 1);
            PpdGroup g;
            g.keyword = TrimBlanks(head.substr(0, head.find('/')));
            g.installable = installable;
            g.openLine = g.closeLine = i;
            scan.groups.push_back(g);
            open = &scan.groups.back();
        } else if (word == "*CloseUI" || word == "*JCLCloseUI") {
            if (open != nullptr) open->closeLine = i;
            open = nullptr;
        } else if (open != nullptr && word == "*" + open->keyword && wordEnd < raw.size() && raw[wordEnd] != ':') {
            const std::string option = TrimBlanks(raw.substr(wordEnd, colon == std::string::npos ? std::string::npos
                                                                                                 : colon - wordEnd));
            if (option.empty()) continue;
            ++open->options;
            if (raw[wordEnd] == '\t') ++open->tabOptions;
        }
        if (open != nullptr) open->closeLine = i;
    }
    return scan;
}

inline const char *LimitName(ReaderLimit limit) {
    switch (limit) {
    case ReaderLimit::TabBeforeOption: return "tab between main and option keyword";
    case ReaderLimit::QuoteInTranslation: return "double quote inside a translation string";
    case ReaderLimit::ContinuationLines: return "continuation lines of a multi-line value";
    default: return "none";
    }
}

}  // namespace oemuihost
