// Asks a printer's SNMP agent which installable options are fitted: walks the
// columns of the standard printer tables that tell trays, duplex paths, disks
// and finishers, then turns the rows into the answer words of the plug-in's
// request record. The rules are written down in netlib/README.md.
#pragma once

#include <winsock2.h>

#include <cstdint>

#include "ber.h"
#include "settings.h"
#include "snmp_client.h"

namespace oemun {

// The table columns read, one walk each.
enum Column : int {
    kInputType,         // prtInputType
    kInputUnit,         // prtInputCapacityUnit
    kInputMaxCapacity,  // prtInputMaxCapacity
    kInputName,         // prtInputName
    kMediaPathType,     // prtMediaPathType
    kDeviceType,        // hrDeviceType (1 when hrDeviceDiskStorage)
    kStorageType,       // hrStorageType (1 when hrStorageFixedDisk)
    kFinisherType,      // finDeviceType
    kFinisherPresence,  // finDevicePresentOnOff
    kColumnCount
};

// Rows kept per column; a printer with more is read up to this many.
constexpr size_t kMaxRows = 32;
// Index sub-identifiers kept per row (the tables read use one or two).
constexpr size_t kMaxIndex = 4;

struct Cell {
    uint32_t aIndex[kMaxIndex];
    size_t cIndex;
    int64_t llValue;   // integers; 1/0 for the OID-valued type columns
    char szText[40];   // names, printable ASCII, cut
};

struct ColumnRows {
    Cell aCells[kMaxRows];
    size_t cCells;
    // The walk stopped before the column's end (request or row cap, or an
    // answer without its binding): the rows in hand may not be all of them,
    // so they can show that a part is there but never that it is not.
    bool bCut;
};

struct PrinterTables {
    ColumnRows aColumns[kColumnCount];
};

// Which answer words were asked (request word 0).
struct Questions {
    bool bTrays;
    bool bDuplex;
    bool bDisk;
    bool bFinisher;
};

// The answer words; -1 where the printer does not say.
struct Answers {
    int16_t sTrayConfig;
    int16_t sDuplexUnit;
    int16_t sHardDisk;
    int16_t sFinisher;
};

// Adds a row to a column (tests and the walker); false when it is full.
bool AddCell(ColumnRows *pRows, const uint32_t *pIndex, size_t cIndex, int64_t llValue, const char *pszText);

// The mapping rules, each from the rows alone. A rule that would need the
// rows a cut column may be missing answers -1.
int16_t TrayConfigCode(const PrinterTables &tables);
int16_t DuplexAnswer(const PrinterTables &tables);
int16_t HardDiskAnswer(const PrinterTables &tables);
int16_t FinisherAnswer(const PrinterTables &tables);
// Only the asked words get an answer; the others stay -1.
Answers MapAnswers(const Questions &questions, const PrinterTables &tables);

enum class QueryResult {
    kAnswered,  // the tables were read (possibly empty)
    kSilent,    // the agent did not answer in time
    kRefused,   // it answered with an error status
    kFailed,    // no socket, or a request could not be built or sent
};

// Walks the columns the questions need, in one GETBULK (v2c) walk over all
// of them together, falling back to v1 GETNEXT when the agent does not answer
// the first v2c request or refuses it. pTables is cleared first.
QueryResult ReadPrinterTables(const sockaddr_in &target, const Settings &settings, const Questions &questions,
                              PrinterTables *pTables, TraceFn pfnTrace, void *pTraceContext);

// Dotted IPv4 text to an address usable as a target, by the plug-in's one
// address rule (settings/host_address.h): no other form, and no address of
// no single printer.
bool ParseTargetAddress(const char *pszText, in_addr *pAddr);

// One line describing a binding ("1.3.6.1... = INTEGER 4"), cut to fit.
void FormatVarBind(const VarBind &vb, char *pszLine, size_t cchLine);

}  // namespace oemun
