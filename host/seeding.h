// Set-up steps that put the printer, the registry and the stored device mode
// into a given state before or between other steps, and undo at the end of
// the run what would outlive it.
//
//   seed printerdata NAME TYPE VALUE | seed printerdata NAME delete
//   seed registry KEY VALUE-NAME TYPE VALUE | seed registry KEY VALUE-NAME delete
//   seed block FIELD VALUE        (the open sheet's plug-in block, else the stored one)
//   seed modelfile FILE SECTION KEY VALUE|delete   (the printer's installed copy of a
//                                 model file; goes with a temporary printer)
//   tcpport PORT ipaddress|hostname VALUE
//   netlib present|missing|noentry
// TYPE: REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY or a number;
// VALUE: a number, a text, or hex:0A0B... for exact bytes of any size.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/step_context.h"

namespace oemuihost {

class Seeding {
public:
    // pluginPath: the plug-in DLL; its network library sits beside it.
    explicit Seeding(const std::wstring &pluginPath);
    // The plug-in the run loads, once it is known (from the printer's driver).
    void UsePlugin(const std::wstring &pluginPath);
    ~Seeding() { Undo(); }
    Seeding(const Seeding &) = delete;
    Seeding &operator=(const Seeding &) = delete;

    bool Seed(const std::vector<std::wstring> &args, const StepContext &ctx, std::wstring *pError);
    bool TcpPort(const std::wstring &port, const std::wstring &kind, const std::wstring &value, std::wstring *pError);
    bool NetLib(const std::wstring &state, std::wstring *pError);
    // Registry values and port keys written, and the network library, back as they were.
    void Undo();

private:
    struct SavedValue {
        HKEY root;
        std::wstring key, name;
        bool existed;
        DWORD type;
        std::vector<BYTE> data;
    };
    bool SeedPrinterData(const std::vector<std::wstring> &args, const StepContext &ctx, std::wstring *pError);
    bool SeedRegistry(const std::vector<std::wstring> &args, std::wstring *pError);
    bool SeedBlock(const std::vector<std::wstring> &args, const StepContext &ctx, std::wstring *pError);
    bool SeedModelFile(const std::vector<std::wstring> &args, const StepContext &ctx, std::wstring *pError);
    void RestoreNetLib();

    std::wstring m_netLib;       // the network library's path
    std::vector<SavedValue> m_saved;
    std::vector<std::wstring> m_portKeys;
};

// "HKCU\\..." or "HKLM\\..." (also spelled out) into a root and a key path.
bool SplitRegistryPath(const std::wstring &path, HKEY *pRoot, std::wstring *pKey);
// REG_SZ, REG_DWORD, ... or a number; and back.
bool ParseRegType(const std::wstring &word, DWORD *pType, std::wstring *pError);
std::wstring RegTypeName(DWORD type);

// TYPE and VALUE words into a registry type and bytes.
bool ParseSeedValue(const std::wstring &type, const std::wstring &value, DWORD *pType, std::vector<BYTE> *pData,
                    std::wstring *pError);

}  // namespace oemuihost
