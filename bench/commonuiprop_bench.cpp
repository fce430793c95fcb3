// Cost of the printing-preferences fill pass of CommonUIProp (auto-configuration
// off) against the floor of the same profile reads done directly, in one run.
// Installs the brand-0 sample model as a printer for the measurement and
// removes it afterwards. Prints a ratio; absolute times here are noise.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "settings/private_devmode.h"

namespace {

constexpr wchar_t kPrinter[] = L"Bench Korvant K30";

template <typename Fn>
double MicrosPerCall(Fn fn, int iterations) {
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QueryPerformanceCounter(&t0);
        for (int i = 0; i < iterations; ++i) fn();
        QueryPerformanceCounter(&t1);
        const double us = double(t1.QuadPart - t0.QuadPart) * 1e6 / double(freq.QuadPart) / iterations;
        if (us < best) best = us;
    }
    return best;
}

// The reads the fill pass makes of the model files, straight through the
// profile API with the paths already known.
void DirectReads(const std::wstring &stem, const std::wstring &dat) {
    const std::wstring ini = stem + L"u.INI";
    const std::wstring ver = stem + L".VER";
    wchar_t sz[256];
    GetPrivateProfileStringW(L"OEMFiles", L"OEMPrefix", L"", sz, 256, ini.c_str());
    for (const wchar_t *key : {L"GraphicsCopiesSetting", L"PrinterHDD", L"PrinterInstalledHDD",
                               L"GraphicsGrayscaleEnh", L"ExtrasSecurePrint", L"PrinterJobAccounting"})
        GetPrivateProfileIntW(L"Common", key, 0x12345678, ini.c_str());
    GetPrivateProfileStringW(L"Common", L"Caption", L"", sz, 256, ini.c_str());
    GetPrivateProfileIntW(L"Version", L"LanguageDependent", 0x12345678, ver.c_str());
    GetPrivateProfileIntW(L"FUNCTION", L"AutoConfiguration", 0x12345678, ini.c_str());
    GetPrivateProfileStringW(L"Hold Dialog", L"Caption", L"", sz, 256, dat.c_str());
    GetPrivateProfileStringW(L"Copies Dialog", L"Caption", L"", sz, 256, dat.c_str());
}

}  // namespace

int main() {
    using namespace oemuihost;
    std::wstring error;
    InstalledPrinter installed;
    UninstallModelPrinter(kPrinter, kPrinter);
    if (!InstallModelPrinter(SampleModelsDirectory() + L"korvant_k30", kPrinter, L"", L"", &installed, &error)) {
        std::fprintf(stderr, "install failed: %ls\n", error.c_str());
        return 1;
    }
    PluginHost host;
    if (!host.Load(ExecutableDirectory() + L"OEMUI.DLL")) {
        std::fprintf(stderr, "cannot load OEMUI.DLL\n");
        return 1;
    }
    HANDLE hPrinter = nullptr;
    OpenPrinterW(const_cast<wchar_t *>(kPrinter), &hPrinter, nullptr);
    HANDLE hHeap = HeapCreate(0, 0, 0);

    DEVMODEW dm = {};
    dm.dmSize = sizeof(dm);
    dm.dmCopies = 1;
    std::vector<BYTE> priv(sizeof(oemui::PrivateDevMode), 0);
    OEMDMPARAM dmParam = {};
    dmParam.cbSize = sizeof(dmParam);
    dmParam.hPrinter = hPrinter;
    dmParam.pOEMDMOut = priv.data();
    host.Plugin()->DevMode(OEMDM_DEFAULT, &dmParam);

    // A small driver tree: a few keyword items and the public colour item.
    char kwColor[] = "ColorMode", kwMedia[] = "JCLMediaType", kwStaple[] = "StapleLocation";
    USERDATA users[3] = {};
    char *keywords[3] = {kwColor, kwMedia, kwStaple};
    OPTITEM driverItems[4] = {};
    for (int i = 0; i < 3; ++i) {
        users[i].dwSize = sizeof(USERDATA);
        users[i].pKeyWordName = keywords[i];
        driverItems[i].cbSize = sizeof(OPTITEM);
        driverItems[i].UserData = reinterpret_cast<ULONG_PTR>(&users[i]);
    }
    driverItems[3].cbSize = sizeof(OPTITEM);
    driverItems[3].DMPubID = DMPUB_COLOR;
    OPTITEM pluginItems[2] = {};
    OEMUIOBJ uiObj = {sizeof(OEMUIOBJ), nullptr};

    OEMCUIPPARAM param = {};
    param.cbSize = sizeof(param);
    param.poemuiobj = &uiObj;
    param.hPrinter = hPrinter;
    param.pPrinterName = const_cast<wchar_t *>(kPrinter);
    param.hOEMHeap = hHeap;
    param.pPublicDM = &dm;
    param.pOEMDM = priv.data();
    param.pDrvOptItems = driverItems;
    param.cDrvOptItems = 4;

    auto fillPass = [&] {
        param.pOEMOptItems = pluginItems;
        param.cOEMOptItems = 2;
        host.Plugin()->CommonUIProp(OEMCUIP_DOCPROP, &param);
    };
    fillPass();
    const HRESULT hrCheck = host.Plugin()->CommonUIProp(OEMCUIP_DOCPROP, &param);

    std::wstring stem = installed.dataFile.substr(0, installed.dataFile.find(L'.'));
    const std::wstring dat = stem.substr(0, stem.find_last_of(L'\\') + 1) + L"KVT.DAT";

    const int n = 300;
    const double floor = MicrosPerCall([&] { DirectReads(stem, dat); }, n);
    const double pass = MicrosPerCall(fillPass, n);
    std::printf("fill pass check: CommonUIProp -> 0x%08lX, items: \"%ls\", \"%ls\"\n",
                static_cast<unsigned long>(hrCheck), pluginItems[0].pName ? pluginItems[0].pName : L"",
                pluginItems[1].pName ? pluginItems[1].pName : L"");
    std::printf("direct profile reads (floor)          : %9.1f us/call\n", floor);
    std::printf("CommonUIProp fill pass, preferences   : %9.1f us/call  ratio %.2fx (goal <= 2x)\n", pass,
                pass / floor);

    HeapDestroy(hHeap);
    ClosePrinter(hPrinter);
    host.Unload();
    UninstallModelPrinter(kPrinter, kPrinter);
    return 0;
}
