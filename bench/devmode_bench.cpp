// Cost of carrying the private block over (OEMDM_CONVERT, OEMDM_MERGE)
// through the plug-in's COM interface, against a plain copy of the block,
// measured in one run. Prints ratios; absolute times here are noise.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "host/plugin_host.h"
#include "settings/private_devmode.h"

namespace {

volatile BYTE g_sink;

template <typename Fn>
double NanosPerCall(Fn fn, int iterations) {
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    double best = 1e300;
    for (int round = 0; round < 7; ++round) {  // best of several rounds
        QueryPerformanceCounter(&t0);
        for (int i = 0; i < iterations; ++i) fn();
        QueryPerformanceCounter(&t1);
        const double ns = double(t1.QuadPart - t0.QuadPart) * 1e9 / double(freq.QuadPart) / iterations;
        if (ns < best) best = ns;
    }
    return best;
}

}  // namespace

int main() {
    oemuihost::PluginHost host;
    if (!host.Load(oemuihost::ExecutableDirectory() + L"OEMUI.DLL")) {
        std::fprintf(stderr, "cannot load OEMUI.DLL\n");
        return 1;
    }
    IPrintOemUI *plugin = host.Plugin();
    std::vector<BYTE> in(sizeof(oemui::PrivateDevMode), 0x11), out(sizeof(oemui::PrivateDevMode), 0);
    auto *pin = reinterpret_cast<oemui::PrivateDevMode *>(in.data());
    auto *pout = reinterpret_cast<oemui::PrivateDevMode *>(out.data());
    pin->dmExtraHdr = {oemui::kPrivateDevModeSize, oemui::kPluginSignature, 1};
    pout->dmExtraHdr = pin->dmExtraHdr;
    OEMDMPARAM param = {};
    param.cbSize = sizeof(param);
    param.pOEMDMIn = pin;
    param.pOEMDMOut = pout;

    const int n = 200000;
    const double copy = NanosPerCall([&] {
        std::memcpy(out.data(), in.data(), in.size());
        g_sink = out[in.size() / 2];
    }, n);
    const double convert = NanosPerCall([&] { plugin->DevMode(OEMDM_CONVERT, &param); g_sink = out[20]; }, n);
    const double merge = NanosPerCall([&] { plugin->DevMode(OEMDM_MERGE, &param); g_sink = out[20]; }, n);

    std::printf("plain copy of the 2408-byte block : %8.1f ns/call (floor)\n", copy);
    std::printf("DevMode(OEMDM_CONVERT), same sig.  : %8.1f ns/call  ratio %.2fx (goal <= 3x)\n", convert, convert / copy);
    std::printf("DevMode(OEMDM_MERGE), same sig.    : %8.1f ns/call  ratio %.2fx\n", merge, merge / copy);
    return 0;
}
