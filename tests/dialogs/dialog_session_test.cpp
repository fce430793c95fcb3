// The job-option dialogs inside the real plug-in, opened from the emulator's
// sheets on a Wine printer installed from a sample model, for what a
// scenario cannot see: the exact bytes the credentials reach the spooler
// with (Wine's registry adds a terminator when it stores a REG_SZ) and the
// Windows user name of the machine the test runs on.
// A thread timer works the dialog from inside its modal loop; the plug-in's
// printer-data writes are recorded through its import table.
#include <gtest/gtest.h>
#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host/driver_helper.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "host/session.h"
#include "resources/resource_ids.h"
#include "support/import_patch.h"

namespace dialogtest {
namespace {

using namespace oemuihost;

using DialogWork = std::function<void(HWND)>;
DialogWork *g_pWork = nullptr;

// Hands the first plug-in dialog of this thread to *g_pWork, once.
void CALLBACK WorkDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND hDlg = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            // Both dialogs have the options group (1085); the sheet has not.
            if (!IsWindowVisible(hWnd) || GetDlgItem(hWnd, IDC_JA_OPTIONS_GROUP) == nullptr) return TRUE;
            *reinterpret_cast<HWND *>(lParam) = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&hDlg));
    if (hDlg == nullptr || g_pWork == nullptr) return;
    DialogWork work = std::move(*g_pWork);
    g_pWork = nullptr;
    work(hDlg);
}

struct Written {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> bytes;
};
std::vector<Written> g_written;
testsupport::ImportPatch *g_pSetData = nullptr;
DWORD WINAPI RecordSetPrinterData(HANDLE hPrinter, LPWSTR pszName, DWORD type, LPBYTE pData, DWORD cb) {
    g_written.push_back({pszName, type, std::vector<BYTE>(pData, pData + cb)});
    return g_pSetData->OriginalAs<decltype(&SetPrinterDataW)>()(hPrinter, pszName, type, pData, cb);
}

std::wstring Text(HWND hDlg, int id) {
    wchar_t sz[64] = {};
    GetDlgItemTextW(hDlg, id, sz, 64);
    return sz;
}

class JobAccountingSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InstallModelPrinter(SampleModelsDirectory() + L"mero_p45ps", kPrinter, L"", L"", nullptr, nullptr));
        ASSERT_TRUE(host.Load(ExecutableDirectory() + L"OEMUI.DLL"));
        helper = new DriverHelper(&report);
        ASSERT_EQ(host.Publish(helper), S_OK);
        env = {host.Plugin(), host.Module(), helper, &report, nullptr};
        setData.reset(new testsupport::ImportPatch(host.Module(), "winspool.drv", "SetPrinterDataW",
                                                   reinterpret_cast<void *>(RecordSetPrinterData)));
        g_pSetData = setData.get();
        g_written.clear();
    }
    void TearDown() override {
        setData.reset();
        g_pSetData = nullptr;
        host.Unload();
        if (helper) helper->Release();
        UninstallModelPrinter(kPrinter, L"");
    }
    // A sheet with button's dialog worked by work (when given), then Apply
    // and OK.
    void RunSheet(SheetKind kind, const wchar_t *button, DialogWork work) {
        Session session(env);
        std::wstring error;
        ASSERT_TRUE(session.Open(kPrinter, kind, false, &error));
        if (work) {
            g_pWork = &work;
            const UINT_PTR timer = SetTimer(nullptr, 0, 30, WorkDialog);
            EXPECT_TRUE(session.Press(button, &error)) << std::string(error.begin(), error.end());
            KillTimer(nullptr, timer);
            EXPECT_EQ(g_pWork, nullptr) << "the dialog did not open";
            g_pWork = nullptr;
        }
        ASSERT_TRUE(session.Apply(&error));
        session.Close(true);
    }
    void ApplySheet(DialogWork work) { RunSheet(SheetKind::Device, L"Job Accounting", std::move(work)); }
    const Written *Find(const wchar_t *name) const {
        auto it = std::find_if(g_written.begin(), g_written.end(), [&](const Written &w) { return w.name == name; });
        return it == g_written.end() ? nullptr : &*it;
    }
    static constexpr const wchar_t *kPrinter = L"oemui dialogs test";
    Report report;
    PluginHost host;
    DriverHelper *helper = nullptr;
    SessionEnv env;
    std::unique_ptr<testsupport::ImportPatch> setData;
};

TEST_F(JobAccountingSession, CredentialsReachThePrinterDataOnlyWhenConfirmed) {
    ApplySheet([](HWND h) {
        SetDlgItemTextW(h, IDC_JA_USER_ID, L"ab@c_d-e.f");
        SetDlgItemTextW(h, IDC_JA_PASSWORD, L"abcd");
        SetDlgItemTextW(h, IDC_JA_CONFIRM, L"abcd");
        SendMessageW(h, WM_COMMAND, IDOK, 0);
    });
    for (const auto &want : {std::make_pair(L"JOBACCOUNT_ID", std::wstring(L"ab@c_d-e.f")),
                             std::make_pair(L"JOBACCOUNT_PW", std::wstring(L"abcd"))}) {
        const Written *pWritten = Find(want.first);
        ASSERT_NE(pWritten, nullptr);
        EXPECT_EQ(pWritten->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(pWritten->bytes.size(), want.second.size() * 2) << "no terminator";
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t *>(pWritten->bytes.data()), pWritten->bytes.size() / 2),
                  want.second);
    }

    // A sheet applied without the dialog leaves the stored values alone; a
    // cancelled dialog likewise.
    g_written.clear();
    ApplySheet(nullptr);
    ApplySheet([](HWND h) { SendMessageW(h, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(Find(L"JOBACCOUNT_ID"), nullptr);
    EXPECT_EQ(Find(L"JOBACCOUNT_PW"), nullptr);

    // A stored ID longer than the dialog's buffer reads as empty: the
    // Windows user name is offered instead of a cut ID.
    ASSERT_TRUE(SetPrinterString(kPrinter, L"JOBACCOUNT_ID", std::wstring(33, L'x')));
    ApplySheet([](HWND h) {
        EXPECT_EQ(Text(h, IDC_JA_USER_ID).find(L"xxxx"), std::wstring::npos);
        EXPECT_EQ(Text(h, IDC_JA_PASSWORD), L"abcd");
        SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    });
}

// Text from an input method meets the filter of typed text in the
// plug-in's own dialog, whose edit controls are those of the common
// controls it asks for: characters sent one by one (WM_IME_CHAR) and a
// composition the input method completes (password fields take no
// composition).
void PumpField(HWND hEdit) {
    MSG msg;
    for (int i = 0; i < 5; ++i) {
        while (PeekMessageW(&msg, hEdit, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
}

TEST_F(JobAccountingSession, InputMethodTextMeetsTheFilters) {
    struct Case {
        int id;
        bool bComposed;
        std::wstring sent;
        const wchar_t *pszKept;
    } const cases[] = {
        {IDC_JA_USER_ID, false, L"ab c/\\d\x00E9@e_f", L"abcd@e_f"},
        {IDC_JA_USER_ID, true, L"\x5C71\x7530/x.y", L"x.y"},
        {IDC_JA_PASSWORD, false, L"p w\x00E9!~\x4E2D", L"pw!~"},
    };
    RunSheet(SheetKind::Device, L"Job Accounting", [&](HWND h) {
        for (const Case &c : cases) {
            HWND hEdit = GetDlgItem(h, c.id);
            SetFocus(hEdit);
            SetWindowTextW(hEdit, L"");
            if (c.bComposed) {
                HIMC hImc = ImmGetContext(hEdit);
                ASSERT_NE(hImc, nullptr);
                ImmSetOpenStatus(hImc, TRUE);
                std::wstring text = c.sent;
                EXPECT_TRUE(ImmSetCompositionStringW(hImc, SCS_SETSTR, &text[0],
                                                     static_cast<DWORD>(text.size() * sizeof(wchar_t)), nullptr, 0));
                EXPECT_TRUE(ImmNotifyIME(hImc, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
                ImmReleaseContext(hEdit, hImc);
            } else {
                for (wchar_t ch : c.sent) SendMessageW(hEdit, WM_IME_CHAR, ch, 1);
            }
            PumpField(hEdit);
            EXPECT_EQ(Text(h, c.id), c.pszKept) << c.id << (c.bComposed ? " composed" : " sent");
        }
        SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    });
}

// Both dialogs offer the Windows user name when nothing is stored yet.
TEST_F(JobAccountingSession, WindowsUserNameIsOffered) {
    wchar_t szUser[33] = {};
    DWORD cch = 33;
    ASSERT_TRUE(GetUserNameW(szUser, &cch));
    const std::wstring name = szUser;
    const bool usable = std::none_of(name.begin(), name.end(), [](wchar_t c) { return c > 0x7F || c == L'/' || c == L'\\'; });
    const std::wstring expected = usable ? name : L"Unknown";
    RunSheet(SheetKind::Device, L"Job Accounting", [&](HWND h) {
        EXPECT_EQ(Text(h, IDC_JA_USER_ID), expected);
        SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    });
    // Print and Hold shows once the optional disk is installed.
    Session props(env);
    std::wstring error;
    ASSERT_TRUE(props.Open(kPrinter, SheetKind::Device, false, &error));
    ASSERT_TRUE(props.Select(L"PrinterHardDisk", L"True", &error));
    props.Close(true);
    RunSheet(SheetKind::Document, L"Print and Hold", [&](HWND h) {
        EXPECT_EQ(Text(h, IDC_PH_USER_ID), expected.size() < 20 ? expected : L"");
        EXPECT_EQ(Text(h, IDC_PH_JOB_NAME), L"Untitled");
        SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    });
}

}  // namespace
}  // namespace dialogtest
