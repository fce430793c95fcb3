// Cost of checking a whole sample model ("oemuihost lint"), against reading
// each of the model's files once, measured in one run. The check should stay
// well under a second per model; the ratio says where the time goes.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/lint.h"
#include "host/lint_ini_file.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"

namespace {

template <typename Fn>
double MillisPerRun(Fn fn, int iterations) {
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        QueryPerformanceCounter(&t0);
        for (int i = 0; i < iterations; ++i) fn();
        QueryPerformanceCounter(&t1);
        const double ms = double(t1.QuadPart - t0.QuadPart) * 1e3 / double(freq.QuadPart) / iterations;
        if (ms < best) best = ms;
    }
    return best;
}

}  // namespace

int main() {
    const std::wstring dll = oemuihost::ExecutableDirectory() + L"OEMUI.DLL";
    volatile size_t sink = 0;
    for (const wchar_t *model : {L"talix_c500", L"korvant_k30", L"korvant_k45s", L"mero_p45ps"}) {
        const std::wstring folder = oemuihost::SampleModelsDirectory() + model + L"\\";
        const std::vector<std::wstring> files = oemuihost::FilesInFolder(folder);
        const double read = MillisPerRun([&] {
            for (const std::wstring &name : files) sink = sink + oemuihost::ScanIniFile(folder, name).sections.size();
        }, 20);
        oemuihost::LintReport last;
        const double lint = MillisPerRun([&] { last = oemuihost::LintModelFolder(folder, dll); }, 5);
        if (!last.FatalMessage().empty()) {
            std::fprintf(stderr, "%ls: %ls\n", model, last.FatalMessage().c_str());
            return 1;
        }
        std::printf("%-13ls read %2zu files once: %7.2f ms (floor)   lint: %7.2f ms  ratio %5.1fx  (%zu findings)\n",
                    model, files.size(), read, lint, lint / read, last.Findings().size());
    }
    return 0;
}
