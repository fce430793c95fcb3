// The device mode of an emulated session: the public DEVMODEW, the emulated
// core's own private part, then the plug-in's private block, in one buffer
// whose dmDriverExtra covers both tails, as a driver core lays it out.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/model_data.h"
#include "host/report.h"
#include "kit/oemkit.h"

namespace oemuihost {

// The emulated core's part: the selections of the document features and of
// the pages-per-sheet item, so that a stored device mode brings them back.
struct HostPrivate {
    DWORD dwSignature;
    DWORD dwSize;
    DWORD dwNupSel;
    DWORD cFeatures;
    BYTE abFeatureSel[kMaxFeatures];
};
constexpr DWORD kHostPrivateSignature = 0x50484F45;  // "EOHP"

// Largest plug-in block the emulator accepts: dmDriverExtra is a WORD.
constexpr DWORD kMaxPluginBlock = 0xFFFF - sizeof(HostPrivate);

class DriverDevMode {
public:
    bool Empty() const { return m_buf.empty(); }
    DEVMODEW *Public() { return reinterpret_cast<DEVMODEW *>(m_buf.data()); }
    const DEVMODEW *Public() const { return reinterpret_cast<const DEVMODEW *>(m_buf.data()); }
    HostPrivate *Core() { return reinterpret_cast<HostPrivate *>(m_buf.data() + sizeof(DEVMODEW)); }
    BYTE *PluginBlock() { return m_buf.data() + sizeof(DEVMODEW) + sizeof(HostPrivate); }
    const BYTE *PluginBlock() const { return m_buf.data() + sizeof(DEVMODEW) + sizeof(HostPrivate); }
    DWORD PluginSize() const { return m_cbPlugin; }
    const std::vector<BYTE> &Bytes() const { return m_buf; }

    // Zeroed layout for a plug-in block of cbPlugin bytes.
    void Allocate(DWORD cbPlugin);

private:
    std::vector<BYTE> m_buf;
    DWORD m_cbPlugin = 0;
};

// The public defaults a core derives from the data file.
void FillPublicDefaults(const ModelData &model, const std::wstring &printerName, DEVMODEW *pdm);
void FillCoreDefaults(const ModelData &model, HostPrivate *pCore);

// Makes the session's device mode the way a core opens one: the plug-in
// sizes its block (OEMDM_SIZE) and writes its defaults (OEMDM_DEFAULT); when a
// device mode was stored before, its public and core parts are taken over
// after a check, and the plug-in carries its old block over: OEMDM_MERGE when
// the block has the current size, OEMDM_CONVERT otherwise. Every plug-in call
// is reported. False only when the plug-in gives no usable size.
bool OpenDevMode(IPrintOemUI *pPlugin, HANDLE hPrinter, const std::wstring &printerName, const ModelData &model,
                 const std::vector<BYTE> *pStored, DriverDevMode *pOut, Report &report);

// A stored device mode the emulator may take over: sizes consistent, the
// emulated core's part recognised. *pReason says why not.
bool CheckStoredDevMode(const std::vector<BYTE> &stored, std::wstring *pReason);

// The device mode a core keeps as the user's defaults for a printer
// (the emulator's own registry key; REG_BINARY named after the printer).
bool LoadStoredDevMode(const std::wstring &printerName, std::vector<BYTE> *pBytes);
bool SaveStoredDevMode(const std::wstring &printerName, const std::vector<BYTE> &bytes);
void DeleteStoredDevMode(const std::wstring &printerName);

// Readable fields of the public part and the core part.
ReportFields DescribePublicDevMode(const DEVMODEW &dm);

}  // namespace oemuihost
