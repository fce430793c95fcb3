#include "common/model_text.h"

namespace oemui {
namespace {

// Appends to a bounded destination; once full, further characters are
// dropped so the caller only has to terminate at the end.
class BoundedWriter {
public:
    BoundedWriter(wchar_t *pszDest, size_t cchDest) : m_psz(pszDest), m_cchRoom(cchDest - 1) {}

    void Put(wchar_t ch) {
        if (m_cch < m_cchRoom) m_psz[m_cch++] = ch;
    }
    void Put(const wchar_t *psz) {
        for (; *psz != L'\0' && m_cch < m_cchRoom; ++psz) m_psz[m_cch++] = *psz;
    }
    void PutInt(int n) {
        // Unsigned arithmetic so that INT_MIN has a magnitude too.
        unsigned int magnitude = n < 0 ? 0u - static_cast<unsigned int>(n) : static_cast<unsigned int>(n);
        wchar_t digits[12];
        size_t cDigits = 0;
        do {
            digits[cDigits++] = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (n < 0) Put(L'-');
        while (cDigits > 0) Put(digits[--cDigits]);
    }
    size_t Finish() {
        m_psz[m_cch] = L'\0';
        return m_cch;
    }

private:
    wchar_t *m_psz;
    size_t m_cchRoom;
    size_t m_cch = 0;
};

}  // namespace

size_t FormatModelText(wchar_t *pszDest, size_t cchDest, const wchar_t *pszTemplate,
                       const int *pnInts, size_t cInts, const wchar_t *pszString) {
    if (pszDest == nullptr || cchDest == 0) return 0;
    BoundedWriter out(pszDest, cchDest);
    if (pszTemplate == nullptr) return out.Finish();
    if (pnInts == nullptr) cInts = 0;
    size_t iInt = 0;
    bool bStringUsed = pszString == nullptr;
    for (const wchar_t *p = pszTemplate; *p != L'\0'; ++p) {
        if (p[0] != L'%') {
            out.Put(p[0]);
            continue;
        }
        // Only the placeholders the caller supplies a value for are
        // substituted; anything else, including a "%" at the very end, is
        // copied as it stands and the next character is read as plain text.
        if (p[1] == L'%') {
            out.Put(L'%');
            ++p;
        } else if (p[1] == L'd' && iInt < cInts) {
            out.PutInt(pnInts[iInt++]);
            ++p;
        } else if (p[1] == L's' && !bStringUsed) {
            out.Put(pszString);
            bStringUsed = true;
            ++p;
        } else {
            out.Put(L'%');
        }
    }
    return out.Finish();
}

}  // namespace oemui
