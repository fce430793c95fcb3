// How the plug-in's paths grow with the size of the model: the Talix C500
// grown to 1x, 10x and 100x (string table, driver data, model INI; see
// scale_models.h), installed as three printers, and a printer agent whose
// tables have 10, 100 and 1,000 rows. Each path is timed at the three sizes
// in turn, round after round, so that load on the machine falls on all
// alike. Prints medians, the growth from 1x to 100x and the worst growth.
// Absolute times here are noise: read the growth.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "host/model_data.h"
#include "host/printer_install.h"
#include "netlib_runs.h"
#include "scale_agent.h"
#include "scale_models.h"
#include "settings/private_devmode.h"
#include "sheet_support.h"

namespace {

using namespace oemuihost;

constexpr int kFactors[] = {1, 10, 100};
constexpr int kSizes = 3;
constexpr const wchar_t *kGrownFiles[] = {L"TLXEN.DAT", L"TLXC500.PPD", L"TLXC500u.INI"};

struct Path {
    const char *pszName;
    std::vector<double> times[kSizes];
};

// The core's side of a printing-preferences CommonUIProp: the driver's items
// from the variant's PPD (a USERDATA keyword each, and the public colour
// item), the device mode and the plug-in's block.
class FillRig {
public:
    bool Open(IPrintOemUI *pPlugin, const wchar_t *pszPrinter) {
        m_pPlugin = pPlugin;
        m_name = pszPrinter;
        if (!OpenPrinterW(const_cast<wchar_t *>(pszPrinter), &m_hPrinter, nullptr)) return false;
        DWORD cb = 0;
        GetPrinterDriverW(m_hPrinter, nullptr, 2, nullptr, 0, &cb);
        std::vector<BYTE> info(cb);
        if (cb == 0 || !GetPrinterDriverW(m_hPrinter, nullptr, 2, info.data(), cb, &cb)) return false;
        m_model = LoadModelData(reinterpret_cast<DRIVER_INFO_2W *>(info.data())->pDataFile);
        m_users.resize(m_model.features.size());
        m_items.resize(m_model.features.size() + 1);
        for (size_t i = 0; i < m_model.features.size(); ++i) {
            m_users[i].dwSize = sizeof(USERDATA);
            m_users[i].pKeyWordName = const_cast<char *>(m_model.features[i].keyword.c_str());
            m_items[i].cbSize = sizeof(OPTITEM);
            m_items[i].UserData = reinterpret_cast<ULONG_PTR>(&m_users[i]);
        }
        m_items.back().cbSize = sizeof(OPTITEM);
        m_items.back().DMPubID = DMPUB_COLOR;
        m_hHeap = HeapCreate(0, 0, 0);
        m_dm.dmSize = sizeof(m_dm);
        m_dm.dmCopies = 1;
        m_block.assign(sizeof(oemui::PrivateDevMode), 0);
        OEMDMPARAM dmParam = {};
        dmParam.cbSize = sizeof(dmParam);
        dmParam.hPrinter = m_hPrinter;
        dmParam.pOEMDMOut = m_block.data();
        pPlugin->DevMode(OEMDM_DEFAULT, &dmParam);
        return m_model.features.size() > 0;
    }
    ~FillRig() {
        if (m_hHeap != nullptr) HeapDestroy(m_hHeap);
        if (m_hPrinter != nullptr) ClosePrinter(m_hPrinter);
    }

    double FillMs() {
        OEMCUIPPARAM param = {};
        param.cbSize = sizeof(param);
        param.poemuiobj = &m_uiObj;
        param.hPrinter = m_hPrinter;
        param.pPrinterName = const_cast<wchar_t *>(m_name.c_str());
        param.hOEMHeap = m_hHeap;
        param.pPublicDM = &m_dm;
        param.pOEMDM = m_block.data();
        param.pDrvOptItems = m_items.data();
        param.cDrvOptItems = static_cast<DWORD>(m_items.size());
        param.pOEMOptItems = m_plugin;
        param.cOEMOptItems = ARRAYSIZE(m_plugin);
        const double t0 = bench::NowMs();
        const HRESULT hr = m_pPlugin->CommonUIProp(OEMCUIP_DOCPROP, &param);
        return SUCCEEDED(hr) ? bench::NowMs() - t0 : -1;
    }

    // A merge of a block another driver left (its signature is not ours):
    // the plug-in starts from the model's defaults.
    double MergeMs() {
        std::vector<BYTE> in(sizeof(oemui::PrivateDevMode), 0x11);
        reinterpret_cast<oemui::PrivateDevMode *>(in.data())->dmExtraHdr = {oemui::kPrivateDevModeSize, 0x4F544852, 1};
        std::vector<BYTE> out = m_block;
        OEMDMPARAM param = {};
        param.cbSize = sizeof(param);
        param.hPrinter = m_hPrinter;
        param.pOEMDMIn = in.data();
        param.pOEMDMOut = out.data();
        const double t0 = bench::NowMs();
        const HRESULT hr = m_pPlugin->DevMode(OEMDM_MERGE, &param);
        return SUCCEEDED(hr) ? bench::NowMs() - t0 : -1;
    }

private:
    IPrintOemUI *m_pPlugin = nullptr;
    std::wstring m_name;
    HANDLE m_hPrinter = nullptr;
    HANDLE m_hHeap = nullptr;
    ModelData m_model;
    std::vector<USERDATA> m_users;
    std::vector<OPTITEM> m_items;
    OPTITEM m_plugin[16] = {};
    OEMUIOBJ m_uiObj = {sizeof(OEMUIOBJ), nullptr};
    DEVMODEW m_dm = {};
    std::vector<BYTE> m_block;
};

std::wstring PrinterName(int iSize) { return L"Bench Scale x" + std::to_wstring(kFactors[iSize]); }

// Opens a sheet on each size's printer per round and times what fnTime
// measures in it; false when nothing could be measured.
template <typename Fn>
bool InSheets(bench::PluginEnv &env, Path &path, int rounds, Fn fnTime) {
    for (int r = 0; r < rounds; ++r)
        for (int s = 0; s < kSizes; ++s) {
            Session session(env.Sessions());
            if (!bench::OpenSheet(session, PrinterName(s).c_str(), SheetKind::Document)) return false;
            const bool ok = fnTime(session, path.times[s]);
            session.Close(false);
            if (!ok) {
                std::fprintf(stderr, "%s: nothing to measure at %dx\n", path.pszName, kFactors[s]);
                return false;
            }
        }
    return true;
}

bool MeasureAll(bench::PluginEnv &env, std::vector<Path> &paths) {
    FillRig rigs[kSizes];
    for (int s = 0; s < kSizes; ++s)
        if (!rigs[s].Open(env.Plugin(), PrinterName(s).c_str())) {
            std::fprintf(stderr, "cannot set up the fill pass at %dx\n", kFactors[s]);
            return false;
        }
    for (int i = 0; i < 101; ++i)
        for (int s = 0; s < kSizes; ++s) {
            paths[0].times[s].push_back(rigs[s].FillMs());
            paths[1].times[s].push_back(rigs[s].MergeMs());
        }
    const bool ok =
        InSheets(env, paths[2], 21, [](Session &session, std::vector<double> &times) {
            const int index = bench::PageIndex(session, L"Troubleshooting");
            const bench::Opening o = index < 0 ? bench::Opening{-1, -1, -1}
                                               : bench::TimePage(session.SheetWindow(), index, nullptr);
            times.push_back(o.dMs);
            return o.dMs >= 0;
        }) &&
        InSheets(env, paths[3], 11, [](Session &session, std::vector<double> &times) {
            for (int i = 0; i < 5; ++i) {
                const bench::Opening o = bench::PressButton(session, L"Print and Hold");
                if (o.dMs < 0) return false;
                times.push_back(o.dMs);
            }
            return true;
        });
    if (!ok) return false;

    bench::LibraryCopy library;
    std::wstring error;
    if (!library.Prepare(L"oemun_scale", &error)) {
        std::fprintf(stderr, "%ls\n", error.c_str());
        return false;
    }
    const bench::TableAgent agent10(10), agent100(100), agent1000(1000);
    const bench::TableAgent *agents[kSizes] = {&agent10, &agent100, &agent1000};
    for (int i = 0; i < 21; ++i)
        for (int s = 0; s < kSizes; ++s) {
            library.SetAgentPort(agents[s]->Port());
            int nResult = -1;
            const double ms = library.RunMs(true, &nResult);
            if (nResult == 0 && i == 0) std::fprintf(stderr, "network run at %dx: the library found no answers\n", kFactors[s]);
            paths[4].times[s].push_back(ms);
        }
    return true;
}

int Run(bench::PluginEnv &env) {
    bench::ModelVariant variants[kSizes];
    std::wstring error;
    bool ok = true;
    for (int s = 0; s < kSizes && ok; ++s)
        ok = bench::BuildVariant(SampleModelsDirectory() + L"talix_c500", kFactors[s], &variants[s], &error) &&
             bench::InstallPrinter(variants[s].dir, PrinterName(s).c_str());
    if (!ok && !error.empty()) std::fprintf(stderr, "%ls\n", error.c_str());
    std::vector<Path> paths = {{"CommonUIProp fill pass", {}},
                               {"DevMode merge, model defaults", {}},
                               {"Troubleshooting page ready", {}},
                               {"Print and Hold ready", {}},
                               {"network library run", {}}};
    double fileKb[kSizes][ARRAYSIZE(kGrownFiles)] = {};
    for (int s = 0; s < kSizes; ++s)
        for (size_t f = 0; f < ARRAYSIZE(kGrownFiles); ++f)
            fileKb[s][f] = double(bench::FileBytes(variants[s].dir + kGrownFiles[f])) / 1024.0;
    ok = ok && MeasureAll(env, paths);
    for (int s = 0; s < kSizes; ++s) {
        bench::UninstallPrinter(PrinterName(s).c_str());
        bench::RemoveVariant(variants[s]);
    }
    if (!ok) return 1;

    std::printf("model at 1x/10x/100x: string table +%d/+%d/+%d keys, PPD +%d/+%d/+%d options, model INI "
                "+%d/+%d/+%d sections; SNMP tables of 10/100/1000 rows\n",
                variants[0].nStringKeys, variants[1].nStringKeys, variants[2].nStringKeys, variants[0].nPpdOptions,
                variants[1].nPpdOptions, variants[2].nPpdOptions, variants[0].nIniSections,
                variants[1].nIniSections, variants[2].nIniSections);
    for (size_t f = 0; f < ARRAYSIZE(kGrownFiles); ++f)
        std::printf("  %-13ls %8.1f %8.1f %8.1f KB\n", kGrownFiles[f], fileKb[0][f], fileKb[1][f], fileKb[2][f]);
    std::printf("%-32s %10s %10s %10s %8s\n", "path (median ms)", "1x", "10x", "100x", "growth");
    const Path *pWorst = nullptr;
    double worst = 0;
    for (const Path &path : paths) {
        const double t1 = bench::Median(path.times[0]), t10 = bench::Median(path.times[1]),
                     t100 = bench::Median(path.times[2]);
        std::printf("%-32s %10.3f %10.3f %10.3f %7.2fx\n", path.pszName, t1, t10, t100, t100 / t1);
        if (t100 / t1 > worst) {
            worst = t100 / t1;
            pWorst = &path;
        }
    }
    bench::PrintPluginSize(env.Module());
    std::printf("worst growth %.2fx (%s)\n", worst, pWorst->pszName);
    return 0;
}

}  // namespace

int wmain() {
    bench::PluginEnv env;
    if (!env.Load()) return 1;
    return Run(env);
}
