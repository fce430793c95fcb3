#include "printer_query.h"

#include <cstring>
#include <new>

#include "common/bounded_format.h"
#include "settings/host_address.h"

namespace oemun {
namespace {

struct ColumnDef {
    Column column;
    const char *pszOid;
    const char *pszWantedOid;  // OID-valued columns: the value that counts as 1
};

// Printer-MIB prtInputTable (.8.2.1) and prtMediaPathTable (.13.4.1),
// Host-Resources hrDeviceTable (25.3.2.1) and hrStorageTable (25.2.3.1),
// Finisher-MIB finDeviceTable (.30.1.1).
constexpr ColumnDef kColumnDefs[kColumnCount] = {
    {kInputType, "1.3.6.1.2.1.43.8.2.1.2", nullptr},
    {kInputUnit, "1.3.6.1.2.1.43.8.2.1.8", nullptr},
    {kInputMaxCapacity, "1.3.6.1.2.1.43.8.2.1.9", nullptr},
    {kInputName, "1.3.6.1.2.1.43.8.2.1.13", nullptr},
    {kMediaPathType, "1.3.6.1.2.1.43.13.4.1.9", nullptr},
    {kDeviceType, "1.3.6.1.2.1.25.3.2.1.2", "1.3.6.1.2.1.25.3.1.6"},
    {kStorageType, "1.3.6.1.2.1.25.2.3.1.2", "1.3.6.1.2.1.25.2.1.4"},
    {kFinisherType, "1.3.6.1.2.1.43.30.1.1.2", nullptr},
    {kFinisherPresence, "1.3.6.1.2.1.43.30.1.1.3", nullptr},
};

// prtInputType values that are paper trays; manual feed (5) and continuous
// paper (6, 7) are not counted.
constexpr int64_t kTrayTypes[] = {1 /* other */, 2 /* unknown */, 3 /* removable */, 4 /* fixed */};
constexpr int64_t kCapacityUnitSheets = 8;
constexpr int64_t kLargeCapacitySheets = 1000;
constexpr int64_t kPathLongEdgeDuplex = 3;
constexpr int64_t kPathShortEdgeDuplex = 4;
constexpr int64_t kFinisherStitcher = 3;
constexpr int64_t kPresenceNotPresent = 5;

// Tray configuration codes by the number of optional trays (index) and
// whether the last of them is a large-capacity tray.
constexpr int16_t kTrayCodes[4][2] = {{0, 0}, {1, 10}, {3, 11}, {4, 12}};

// A walk stops after this many exchanges even if the agent keeps going.
constexpr int kMaxExchanges = 16;
// Bindings one GETBULK asks for, spread over the columns still walked. An
// agent answers each binding on its own, often through a slow sub-agent, and
// most tables here end after a few rows: small requests finish sooner.
constexpr size_t kBindingsPerRequest = 40;
constexpr size_t kMinRepetitions = 2;
constexpr size_t kMaxRepetitions = 16;

bool IsTrayType(int64_t llType) {
    for (int64_t t : kTrayTypes)
        if (t == llType) return true;
    return false;
}

const Cell *FindRow(const ColumnRows &rows, const Cell &key) {
    for (size_t i = 0; i < rows.cCells; ++i) {
        const Cell &c = rows.aCells[i];
        if (c.cIndex == key.cIndex && std::memcmp(c.aIndex, key.aIndex, c.cIndex * sizeof(uint32_t)) == 0) return &c;
    }
    return nullptr;
}

bool AnyValue(const ColumnRows &rows, int64_t llValue) {
    for (size_t i = 0; i < rows.cCells; ++i)
        if (rows.aCells[i].llValue == llValue) return true;
    return false;
}

// The state of one column's walk.
struct Walk {
    Column column;
    Oid base;
    Oid wanted;
    bool bHasWanted;
    Oid cursor;
    bool bDone;
};

// Ends a column's walk before its end: its rows are not all known.
void EndCut(Walk *pWalk, PrinterTables *pTables) {
    pWalk->bDone = true;
    pTables->aColumns[pWalk->column].bCut = true;
}

// Keeps the value of one binding in its column, or ends the column's walk
// when the binding lies past it (or does not move forward).
void TakeBinding(Walk *pWalk, const VarBind &vb, PrinterTables *pTables) {
    if (vb.bTag == kTagEndOfMibView || vb.bTag == kTagNoSuchObject || vb.bTag == kTagNoSuchInstance ||
        !OidIsBelow(vb.name, pWalk->base) || CompareOid(vb.name, pWalk->cursor) <= 0) {
        pWalk->bDone = true;
        return;
    }
    pWalk->cursor = vb.name;
    const size_t cIndex = vb.name.cSub - pWalk->base.cSub;
    // Rows with an index longer than any of these tables has are not theirs.
    if (cIndex > kMaxIndex) return;
    int64_t llValue = 0;
    char szText[sizeof(Cell::szText)] = {};
    if (pWalk->bHasWanted) {
        if (vb.bTag != kTagOid) return;
        llValue = OidEquals(vb.oidValue, pWalk->wanted) ? 1 : 0;
    } else if (pWalk->column == kInputName) {
        if (vb.bTag != kTagOctetString) return;
        size_t c = 0;
        for (size_t i = 0; i < vb.cbData && c + 1 < sizeof(szText); ++i) {
            const uint8_t b = vb.pData[i];
            szText[c++] = (b >= 0x20 && b <= 0x7E) ? static_cast<char>(b) : '?';
        }
    } else {
        if (vb.bTag != kTagInteger) return;
        llValue = vb.llValue;
    }
    if (!AddCell(&pTables->aColumns[pWalk->column], vb.name.aSub + pWalk->base.cSub, cIndex, llValue, szText))
        EndCut(pWalk, pTables);
}

}  // namespace

bool AddCell(ColumnRows *pRows, const uint32_t *pIndex, size_t cIndex, int64_t llValue, const char *pszText) {
    if (pRows->cCells >= kMaxRows || cIndex > kMaxIndex) return false;
    Cell &c = pRows->aCells[pRows->cCells++];
    std::memset(&c, 0, sizeof(c));
    if (cIndex != 0) std::memcpy(c.aIndex, pIndex, cIndex * sizeof(uint32_t));
    c.cIndex = cIndex;
    c.llValue = llValue;
    if (pszText != nullptr) oemui::CopyCchA(c.szText, sizeof(c.szText), pszText);
    return true;
}

int16_t TrayConfigCode(const PrinterTables &tables) {
    const ColumnRows &types = tables.aColumns[kInputType];
    // The count of trays and the size of the last one need every row.
    if (types.cCells == 0 || types.bCut || tables.aColumns[kInputUnit].bCut ||
        tables.aColumns[kInputMaxCapacity].bCut)
        return -1;
    // The first paper tray in index order is the standard one; the next
    // three are the optional second, third and fourth trays.
    size_t cTrays = 0;
    bool bLastIsLarge = false;
    for (size_t i = 0; i < types.cCells && cTrays < 4; ++i) {
        const Cell &row = types.aCells[i];
        if (!IsTrayType(row.llValue)) continue;
        const Cell *pUnit = FindRow(tables.aColumns[kInputUnit], row);
        const Cell *pMax = FindRow(tables.aColumns[kInputMaxCapacity], row);
        bLastIsLarge = pUnit != nullptr && pMax != nullptr && pUnit->llValue == kCapacityUnitSheets &&
                       pMax->llValue >= kLargeCapacitySheets;
        ++cTrays;
    }
    if (cTrays <= 1) return 0;
    return kTrayCodes[cTrays - 1][bLastIsLarge ? 1 : 0];
}

int16_t DuplexAnswer(const PrinterTables &tables) {
    const ColumnRows &paths = tables.aColumns[kMediaPathType];
    if (AnyValue(paths, kPathLongEdgeDuplex) || AnyValue(paths, kPathShortEdgeDuplex)) return 1;
    return (paths.cCells == 0 || paths.bCut) ? -1 : 0;
}

int16_t HardDiskAnswer(const PrinterTables &tables) {
    const ColumnRows &devices = tables.aColumns[kDeviceType];
    const ColumnRows &storage = tables.aColumns[kStorageType];
    if (AnyValue(devices, 1) || AnyValue(storage, 1)) return 1;
    // A disk may sit in the rows a cut walk did not reach.
    if (devices.bCut || storage.bCut) return -1;
    return (devices.cCells == 0 && storage.cCells == 0) ? -1 : 0;
}

int16_t FinisherAnswer(const PrinterTables &tables) {
    const ColumnRows &types = tables.aColumns[kFinisherType];
    const ColumnRows &presence = tables.aColumns[kFinisherPresence];
    if (types.cCells == 0) return -1;
    bool bUnknown = types.bCut;
    for (size_t i = 0; i < types.cCells; ++i) {
        if (types.aCells[i].llValue != kFinisherStitcher) continue;
        const Cell *pPresence = FindRow(presence, types.aCells[i]);
        // A presence row a cut walk did not reach says nothing either way.
        if (pPresence == nullptr && presence.bCut) {
            bUnknown = true;
            continue;
        }
        if (pPresence == nullptr || pPresence->llValue != kPresenceNotPresent) return 1;
    }
    return bUnknown ? -1 : 0;
}

Answers MapAnswers(const Questions &questions, const PrinterTables &tables) {
    Answers answers = {-1, -1, -1, -1};
    if (questions.bTrays) answers.sTrayConfig = TrayConfigCode(tables);
    if (questions.bDuplex) answers.sDuplexUnit = DuplexAnswer(tables);
    if (questions.bDisk) answers.sHardDisk = HardDiskAnswer(tables);
    if (questions.bFinisher) answers.sFinisher = FinisherAnswer(tables);
    return answers;
}

QueryResult ReadPrinterTables(const sockaddr_in &target, const Settings &settings, const Questions &questions,
                              PrinterTables *pTables, TraceFn pfnTrace, void *pTraceContext) {
    std::memset(pTables, 0, sizeof(*pTables));
    const bool abAsked[kColumnCount] = {
        questions.bTrays, questions.bTrays, questions.bTrays, questions.bTrays, questions.bDuplex,
        questions.bDisk,  questions.bDisk,  questions.bFinisher, questions.bFinisher,
    };
    Walk *pWalks = new (std::nothrow) Walk[kColumnCount];
    if (pWalks == nullptr) return QueryResult::kFailed;
    size_t cWalks = 0;
    for (const ColumnDef &def : kColumnDefs) {
        if (!abAsked[def.column]) continue;
        Walk &w = pWalks[cWalks++];
        w.column = def.column;
        ParseOid(def.pszOid, &w.base);
        w.bHasWanted = def.pszWantedOid != nullptr && ParseOid(def.pszWantedOid, &w.wanted);
        w.cursor = w.base;
        w.bDone = false;
    }

    const ExchangeLimits limits = {settings.dwTimeoutMs, settings.dwRetries};
    SnmpClient client(target, settings.szCommunity, limits, GetTickCount64() + RunBudgetMs(settings), pfnTrace,
                      pTraceContext);
    QueryResult result = client.Open() ? QueryResult::kAnswered : QueryResult::kFailed;
    int32_t lVersion = kSnmpV2c;
    bool bFirst = true;
    Message reply;
    for (int iExchange = 0; result == QueryResult::kAnswered && iExchange < kMaxExchanges; ++iExchange) {
        Walk *apActive[kColumnCount];
        const Oid *apNames[kColumnCount];
        size_t cActive = 0;
        for (size_t i = 0; i < cWalks; ++i) {
            if (pWalks[i].bDone) continue;
            apActive[cActive] = &pWalks[i];
            apNames[cActive++] = &pWalks[i].cursor;
        }
        if (cActive == 0) break;

        const bool bBulk = lVersion == kSnmpV2c;
        size_t cRepetitions = kBindingsPerRequest / cActive;
        if (cRepetitions < kMinRepetitions) cRepetitions = kMinRepetitions;
        if (cRepetitions > kMaxRepetitions) cRepetitions = kMaxRepetitions;
        const ExchangeResult exchange =
            client.Exchange(lVersion, bBulk ? kPduGetBulk : kPduGetNext, 0,
                            bBulk ? static_cast<int32_t>(cRepetitions) : 0, apNames, cActive, &reply);
        if (exchange == ExchangeResult::kFailed) {
            result = QueryResult::kFailed;
            break;
        }
        const bool bRefused = exchange == ExchangeResult::kAnswered && reply.lErrorStatus != kErrNoError;
        // An agent that speaks only v1 ignores or refuses the first v2c
        // request; the same question is put again as v1.
        if (bFirst && bBulk && (exchange == ExchangeResult::kSilent || bRefused)) {
            Trace(pfnTrace, pTraceContext, "   no v2c answer: asking again with v1");
            lVersion = kSnmpV1;
            continue;
        }
        if (exchange == ExchangeResult::kSilent) {
            result = QueryResult::kSilent;
            break;
        }
        bFirst = false;
        if (bRefused) {
            // A v1 agent ends a GETNEXT walk with noSuchName on the binding
            // that ran off its MIB; that column is complete.
            if (!bBulk && reply.lErrorStatus == kErrNoSuchName && reply.lErrorIndex >= 1 &&
                static_cast<size_t>(reply.lErrorIndex) <= cActive) {
                apActive[reply.lErrorIndex - 1]->bDone = true;
                Trace(pfnTrace, pTraceContext, "   noSuchName: that column is complete");
                continue;
            }
            char szLine[80];
            oemui::FormatCbA(szLine, sizeof(szLine), "   error status %ld, index %ld",
                             static_cast<long>(reply.lErrorStatus), static_cast<long>(reply.lErrorIndex));
            Trace(pfnTrace, pTraceContext, szLine);
            result = QueryResult::kRefused;
            break;
        }
        // Bindings come row by row: the n-th belongs to the (n mod k)-th name.
        VarBindReader reader(reply);
        VarBind vb;
        size_t n = 0;
        while (reader.Next(&vb)) {
            Walk *pWalk = apActive[n++ % cActive];
            if (pWalk->bDone) continue;
            TakeBinding(pWalk, vb, pTables);
            if (pfnTrace != nullptr) {
                char szValue[200];
                FormatVarBind(vb, szValue, sizeof(szValue));
                char szLine[240];
                oemui::FormatCbA(szLine, sizeof(szLine), "%s%s", szValue, pWalk->bDone ? "  (past the column: done)" : "");
                Trace(pfnTrace, pTraceContext, szLine);
            }
        }
        // An answer without a binding for a column does not tell where the
        // column ends; walking it again would only repeat the question.
        for (size_t i = n; i < cActive; ++i) EndCut(apActive[i], pTables);
    }
    // Columns still open when the request cap ends the walk are cut short.
    for (size_t i = 0; i < cWalks; ++i)
        if (!pWalks[i].bDone) EndCut(&pWalks[i], pTables);
    delete[] pWalks;
    return result;
}

bool ParseTargetAddress(const char *pszText, in_addr *pAddr) {
    DWORD dwHost = 0;
    if (pAddr == nullptr || !oemui::ParseIPv4Address(pszText, &dwHost)) return false;
    pAddr->s_addr = htonl(dwHost);
    return true;
}

void FormatVarBind(const VarBind &vb, char *pszLine, size_t cchLine) {
    char szName[160];
    FormatOid(vb.name, szName, sizeof(szName));
    char szValue[96] = {};
    switch (vb.bTag) {
    case kTagInteger:
        oemui::FormatCbA(szValue, sizeof(szValue), "INTEGER %I64d", static_cast<__int64>(vb.llValue));
        break;
    case kTagCounter32:
    case kTagGauge32:
    case kTagTimeTicks:
    case kTagCounter64:
        oemui::FormatCbA(szValue, sizeof(szValue), "unsigned %I64d", static_cast<__int64>(vb.llValue));
        break;
    case kTagOid: {
        char szOid[80];
        FormatOid(vb.oidValue, szOid, sizeof(szOid));
        oemui::FormatCbA(szValue, sizeof(szValue), "OID %s", szOid);
        break;
    }
    case kTagOctetString: {
        char szText[64] = {};
        size_t c = 0;
        for (size_t i = 0; i < vb.cbData && c + 1 < sizeof(szText); ++i) {
            const uint8_t b = vb.pData[i];
            szText[c++] = (b >= 0x20 && b <= 0x7E && b != '"') ? static_cast<char>(b) : '?';
        }
        oemui::FormatCbA(szValue, sizeof(szValue), "STRING \"%s\"", szText);
        break;
    }
    case kTagNoSuchObject:
        oemui::CopyCchA(szValue, sizeof(szValue), "noSuchObject");
        break;
    case kTagNoSuchInstance:
        oemui::CopyCchA(szValue, sizeof(szValue), "noSuchInstance");
        break;
    case kTagEndOfMibView:
        oemui::CopyCchA(szValue, sizeof(szValue), "endOfMibView");
        break;
    default:
        oemui::FormatCbA(szValue, sizeof(szValue), "type 0x%02X, %u bytes", vb.bTag, static_cast<unsigned>(vb.cbData));
        break;
    }
    oemui::FormatCbA(pszLine, cchLine, "   %s = %s", szName, szValue);
}

}  // namespace oemun
