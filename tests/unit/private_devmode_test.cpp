#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "settings/private_devmode.h"

using namespace oemui;

namespace {

TEST(RegionCode, FollowsTheUserLanguageTable) {
    struct Case {
        LANGID lang;
        BYTE code;
    } cases[] = {
        {0x0409, 2}, {0x1009, 2}, {0x0809, 3}, {0x0C09, 4}, {0x1C09, 4}, {0x1409, 1},
        {0x0411, 1}, {0x0C0C, 2}, {0x040C, 3}, {0x080C, 3}, {0x040A, 1}, {0x0C0A, 3},
        {0x080A, 2}, {0x2C0A, 2}, {0x3801, 4}, {0x0401, 1}, {0x0804, 4}, {0x0412, 4},
        {0x0439, 4}, {0x0416, 2}, {0x0816, 3}, {0x0407, 3}, {0x0405, 3}, {0x0424, 3},
        {0x041A, 3}, {0x0419, 3}, {0x0406, 1}, {0x040D, 1},
        {0x0107, 1}, {0x010C, 1}, {0x0109, 1},  // user-defined primaries, not German, French, English
    };
    for (const Case &c : cases) EXPECT_EQ(RegionCodeForLangId(c.lang), c.code) << std::hex << c.lang;
}

TEST(PrintModeEncoding, OrdinaryModelRoundTrips) {
    struct Case {
        int mode, store;
        SHORT encoded;
        int decodedMode, decodedStore;
    } cases[] = {
        {0, 0, 0, 0, 0}, {0, 1, 1, 0, 1}, {2, 1, 5, 2, 1}, {3, 0, 6, 3, 0}, {3, 1, 7, 3, 1},
        {4, 1, 8, 4, 0}, {5, 0, 9, 5, 0}, {6, 0, 12, 6, 0}, {7, 1, 13, 7, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(EncodePrintMode(c.mode, c.store, false), c.encoded) << c.mode;
        int m = -1, s = -1;
        DecodePrintMode(c.encoded, false, &m, &s);
        EXPECT_EQ(m, c.decodedMode) << c.encoded;
        EXPECT_EQ(s, c.decodedStore) << c.encoded;
    }
}

TEST(PrintModeEncoding, SecurePrintModelStoresTheIndex) {
    EXPECT_EQ(EncodePrintMode(5, 1, true), 5);
    int m = -1, s = -1;
    DecodePrintMode(5, true, &m, &s);
    EXPECT_EQ(m, 5);
    EXPECT_EQ(s, 0);
}

PrivateDevMode Filled(BYTE fill) {
    PrivateDevMode dm;
    std::memset(&dm, fill, sizeof(dm));
    return dm;
}

TEST(Conversion, SameSignatureCopiesOnlyTheListedFields) {
    PrivateDevMode in = Filled(0x11);
    in.dmExtraHdr = {kPrivateDevModeSize, kPluginSignature, 7};
    in.lHoldSel = 42;
    PrivateDevMode out = Filled(0xEE);
    out.dmExtraHdr.dwSignature = kPluginSignature;
    ConvertPrivateDevMode(nullptr, &in, &out);

    EXPECT_EQ(out.dmExtraHdr.dwSize, kPrivateDevModeSize);
    EXPECT_EQ(out.dmExtraHdr.dwVersion, 1u);
    EXPECT_EQ(out.lHoldSel, 0);
    EXPECT_EQ(0, std::memcmp(&out.sPrintMode, &in.sPrintMode, offsetof(PrivateDevMode, abGap0) - offsetof(PrivateDevMode, sPrintMode)));
    EXPECT_EQ(out.lGrayCopies, in.lGrayCopies);
    EXPECT_EQ(out.sJobAccounting, in.sJobAccounting);
    EXPECT_EQ(out.bRegionColor, in.bRegionColor);
    EXPECT_EQ(0, std::memcmp(out.szEncryptionKey, in.szEncryptionKey, sizeof(in.szEncryptionKey)));
    // Run-time pointer, gaps and the reserved tail are the output's own.
    const PrivateDevMode untouched = Filled(0xEE);
    EXPECT_EQ(0, std::memcmp(&out.pContext, &untouched.pContext, sizeof(out.pContext)));
    EXPECT_EQ(out.abGap0[0], 0xEE);
    EXPECT_EQ(out.abGap1[0], 0xEE);
    EXPECT_EQ(out.abGap2[1], 0xEE);
    EXPECT_EQ(out.abGap3[0], 0xEE);
    EXPECT_EQ(out.abReserved[0], 0xEE);
    EXPECT_EQ(out.abReserved[2045], 0xEE);
}

// A page followed by an inaccessible one: a block placed at the end of the
// first makes any read past the block fault.
class GuardedPage {
public:
    GuardedPage() {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        m_cbPage = si.dwPageSize;
        m_pages = static_cast<BYTE *>(VirtualAlloc(nullptr, 2 * m_cbPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (m_pages != nullptr && !VirtualProtect(m_pages + m_cbPage, m_cbPage, PAGE_NOACCESS, &old)) {
            VirtualFree(m_pages, 0, MEM_RELEASE);
            m_pages = nullptr;
        }
    }
    ~GuardedPage() {
        if (m_pages != nullptr) VirtualFree(m_pages, 0, MEM_RELEASE);
    }
    // cb bytes that end where the inaccessible page begins; null when the
    // pages could not be set up.
    BYTE *BlockAtEnd(size_t cb) const { return m_pages != nullptr ? m_pages + m_cbPage - cb : nullptr; }

private:
    BYTE *m_pages = nullptr;
    size_t m_cbPage = 0;
};

TEST(Conversion, BlockTooShortForTheFieldsIsTreatedAsForeign) {
    // Only the header and a few fields exist: reading the rest would run past
    // the block.
    GuardedPage guard;
    const DWORD cbShort = 0x40;
    auto *in = reinterpret_cast<PrivateDevMode *>(guard.BlockAtEnd(cbShort));
    ASSERT_NE(in, nullptr);
    std::memset(in, 0x22, cbShort);
    in->dmExtraHdr = {cbShort, kPluginSignature, 1};

    PrivateDevMode out = Filled(0xEE);
    out.dmExtraHdr.dwSignature = kPluginSignature;
    ConvertPrivateDevMode(nullptr, in, &out);
    EXPECT_EQ(out.sPrintMode, 0);        // defaults, not the input's 0x2222
    EXPECT_EQ(out.szUserId[0], L'\0');
    EXPECT_EQ(out.dmExtraHdr.dwSize, kPrivateDevModeSize);
}

// Blocks of 4 to 7 bytes end inside the header: the signature lies past the
// end, so only the size may be read. Both the conversion and the merge must
// see that before anything else.
TEST(Conversion, BlockEndingInsideItsHeaderIsNotReadPastItsSize) {
    GuardedPage guard;
    ASSERT_NE(guard.BlockAtEnd(0), nullptr);
    for (DWORD cb = 4; cb <= 7; ++cb) {
        for (DWORD mode : {static_cast<DWORD>(OEMDM_CONVERT), static_cast<DWORD>(OEMDM_MERGE)}) {
            SCOPED_TRACE(testing::Message() << cb << " bytes, mode " << mode);
            BYTE *pBlock = guard.BlockAtEnd(cb);
            std::memset(pBlock, 0x33, cb);
            std::memcpy(pBlock, &cb, sizeof(DWORD));
            PrivateDevMode out = Filled(0xEE);
            out.dmExtraHdr.dwSignature = kPluginSignature;
            OEMDMPARAM param{};
            param.cbSize = sizeof(param);
            param.pOEMDMIn = pBlock;
            param.pOEMDMOut = &out;
            EXPECT_EQ(HandleDevMode(mode, &param), S_OK);
            EXPECT_EQ(out.sPrintMode, 0);
            EXPECT_EQ(out.dmExtraHdr.dwSize, kPrivateDevModeSize);
            EXPECT_EQ(out.dmExtraHdr.dwSignature, kPluginSignature);
        }
    }
}

TEST(Conversion, NullBlocksAreIgnored) {
    PrivateDevMode out = Filled(0xEE);
    ConvertPrivateDevMode(nullptr, nullptr, &out);
    EXPECT_EQ(out.sPrintMode, static_cast<SHORT>(0xEEEE));
    ConvertPrivateDevMode(nullptr, &out, nullptr);  // must not crash
}

}  // namespace
