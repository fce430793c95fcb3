// The Print and Hold and Job Accounting dialogs inside the real plug-in,
// opened from the emulator's property sheets on Wine printers installed from
// the sample models. A thread timer works each dialog from inside its modal
// loop, as a user would; the plug-in's message boxes and beeps are counted
// through its import table.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host/driver_helper.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "host/session.h"
#include "resources/resource_ids.h"
#include "settings/private_devmode.h"
#include "support/import_patch.h"

namespace dialogtest {
namespace {

using namespace oemuihost;
using oemui::PrivateDevMode;

using DialogWork = std::function<void(HWND)>;

// Works the next plug-in dialog of this thread with each queued function in
// turn; every function ends by pressing a button of the dialog.
class DialogDriver {
public:
    DialogDriver() { s_self = this; }
    ~DialogDriver() { s_self = nullptr; }
    void Queue(DialogWork work) { m_work.push_back(std::move(work)); }
    // Runs pfnStep (which opens a dialog) while the timer watches.
    void During(const std::function<void()> &step) {
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, TimerProc);
        step();
        KillTimer(nullptr, timer);
    }
    size_t Pending() const { return m_work.size(); }

private:
    static BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam) {
        wchar_t szClass[16] = {};
        GetClassNameW(hWnd, szClass, 16);
        if (IsWindowVisible(hWnd) && IsWindowEnabled(hWnd) && lstrcmpW(szClass, L"#32770") == 0 &&
            GetDlgItem(hWnd, IDC_PH_OPTIONS_GROUP) != nullptr) {
            *reinterpret_cast<HWND *>(lParam) = hWnd;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) {
        if (s_self == nullptr || s_self->m_busy || s_self->m_work.empty()) return;
        HWND hDlg = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&hDlg));
        if (hDlg == nullptr) return;
        s_self->m_busy = true;
        DialogWork work = std::move(s_self->m_work.front());
        s_self->m_work.erase(s_self->m_work.begin());
        work(hDlg);
        s_self->m_busy = false;
    }
    static DialogDriver *s_self;
    std::vector<DialogWork> m_work;
    bool m_busy = false;
};
DialogDriver *DialogDriver::s_self = nullptr;

std::wstring Text(HWND hDlg, int id) {
    wchar_t sz[300] = {};
    GetDlgItemTextW(hDlg, id, sz, 300);
    return sz;
}
bool Visible(HWND hDlg, int id) { return IsWindowVisible(GetDlgItem(hDlg, id)) != FALSE; }
bool Enabled(HWND hDlg, int id) { return IsWindowEnabled(GetDlgItem(hDlg, id)) != FALSE; }
void Press(HWND hDlg, int id) { SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, id))); }
void Click(HWND hDlg, int id) { SendDlgItemMessageW(hDlg, id, BM_CLICK, 0, 0); }
void Type(HWND hDlg, int id, const std::wstring &chars) {
    for (wchar_t c : chars) SendDlgItemMessageW(hDlg, id, WM_CHAR, c, 1);
}
void SelectMode(HWND hDlg, int index) {
    SendDlgItemMessageW(hDlg, IDC_PH_MODE_LIST, CB_SETCURSEL, index, 0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_PH_MODE_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDC_PH_MODE_LIST)));
}
std::vector<std::wstring> ModeEntries(HWND hDlg) {
    std::vector<std::wstring> entries;
    const int n = static_cast<int>(SendDlgItemMessageW(hDlg, IDC_PH_MODE_LIST, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t sz[256] = {};
        SendDlgItemMessageW(hDlg, IDC_PH_MODE_LIST, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
        entries.push_back(sz);
    }
    return entries;
}

struct Box {
    std::wstring text, caption;
};
std::vector<Box> g_boxes;
int g_beeps = 0;
std::vector<std::wstring> g_help;
int WINAPI RecordBox(HWND, LPCWSTR pszText, LPCWSTR pszCaption, UINT) {
    g_boxes.push_back({pszText, pszCaption});
    return IDOK;
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
BOOL WINAPI CountBeep(UINT) {
    ++g_beeps;
    return TRUE;
}

class DialogSession : public ::testing::Test {
protected:
    void Install(const wchar_t *model) {
        ASSERT_TRUE(InstallModelPrinter(SampleModelsDirectory() + model, kPrinter, L"", L"", nullptr, nullptr));
        DeleteStoredDevMode(kPrinter);
        ASSERT_TRUE(host.Load(ExecutableDirectory() + L"OEMUI.DLL"));
        helper = new DriverHelper(&report);
        ASSERT_EQ(host.Publish(helper), S_OK);
        env.pPlugin = host.Plugin();
        env.hPlugin = host.Module();
        env.pHelper = helper;
        env.pReport = &report;
        box.reset(new testsupport::ImportPatch(host.Module(), "user32.dll", "MessageBoxW", reinterpret_cast<void *>(RecordBox)));
        beep.reset(new testsupport::ImportPatch(host.Module(), "user32.dll", "MessageBeep", reinterpret_cast<void *>(CountBeep)));
        setData.reset(new testsupport::ImportPatch(host.Module(), "winspool.drv", "SetPrinterDataW",
                                                   reinterpret_cast<void *>(RecordSetPrinterData)));
        g_pSetData = setData.get();
        g_boxes.clear();
        g_beeps = 0;
        g_written.clear();
    }
    void TearDown() override {
        box.reset();
        beep.reset();
        setData.reset();
        g_pSetData = nullptr;
        host.Unload();
        if (helper) helper->Release();
        DeleteStoredDevMode(kPrinter);
        UninstallModelPrinter(kPrinter, L"");
    }
    // Installs the optional disk so that Print and Hold shows.
    void InstallDisk(const wchar_t *feature) {
        Session props(env);
        std::wstring error;
        ASSERT_TRUE(props.Open(kPrinter, SheetKind::Device, false, &error)) << std::string(error.begin(), error.end());
        ASSERT_TRUE(props.Select(feature, L"True", &error)) << std::string(error.begin(), error.end());
        props.Close(true);
    }
    // Opens the button's dialog in session and works it with the queued work.
    void PressWith(Session &session, const wchar_t *button, std::vector<DialogWork> work) {
        DialogDriver driver;
        for (DialogWork &w : work) driver.Queue(std::move(w));
        std::wstring error;
        driver.During([&] { EXPECT_TRUE(session.Press(button, &error)) << std::string(error.begin(), error.end()); });
        EXPECT_EQ(driver.Pending(), 0u) << "the dialog did not open";
    }
    static PrivateDevMode &Block(Session &session) {
        return *reinterpret_cast<PrivateDevMode *>(session.DevMode().PluginBlock());
    }
    static constexpr const wchar_t *kPrinter = L"oemui dialogs test";
    Report report;
    PluginHost host;
    DriverHelper *helper = nullptr;
    SessionEnv env;
    std::unique_ptr<testsupport::ImportPatch> box, beep, setData;
};

TEST_F(DialogSession, PrintAndHoldOnTalix) {
    Install(L"talix_c500");
    InstallDisk(L"Option4");
    Session session(env);
    std::wstring error;
    ASSERT_TRUE(session.Open(kPrinter, SheetKind::Document, false, &error));
    const std::vector<BYTE> before(session.DevMode().PluginBlock(), session.DevMode().PluginBlock() + sizeof(PrivateDevMode));

    // Opening, then a refused passcode followed by Cancel: nothing changes.
    PressWith(session, L"Print and Hold", {[](HWND h) {
        wchar_t szTitle[64] = {};
        GetWindowTextW(h, szTitle, 64);
        EXPECT_STREQ(szTitle, L"Print and Hold");
        EXPECT_EQ(ModeEntries(h), (std::vector<std::wstring>{L"Normal", L"Proof", L"Confidential", L"Store", L"Spool", L"Delayed"}));
        EXPECT_EQ(Text(h, IDC_PH_JOB_NAME), L"Untitled");
        wchar_t szUser[20] = {};
        DWORD cch = 20;
        EXPECT_EQ(Text(h, IDC_PH_USER_ID), GetUserNameW(szUser, &cch) ? szUser : L"");
        EXPECT_FALSE(Visible(h, IDC_PH_PASSCODE));
        SelectMode(h, 2);
        EXPECT_TRUE(Visible(h, IDC_PH_PASSCODE));
        EXPECT_TRUE(Visible(h, IDC_PH_PASSCODE_HINT_RANGE));
        EXPECT_FALSE(Visible(h, IDC_PH_PASSCODE_HINT_EQUAL));
        Type(h, IDC_PH_JOB_NAME, L"/");
        EXPECT_EQ(Text(h, IDC_PH_JOB_NAME), L"Untitled");
        Type(h, IDC_PH_PASSCODE, L"1234");
        Type(h, IDC_PH_CONFIRM, L"1235");
        Press(h, IDOK);
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].caption, L"Invalid Passcode");
        EXPECT_NE(g_boxes[0].text.find(L"4 to 8"), std::wstring::npos);
        EXPECT_TRUE(IsWindow(h)) << "stays open";
        Press(h, IDCANCEL);
    }});
    EXPECT_EQ(g_beeps, 1);
    EXPECT_EQ(std::vector<BYTE>(session.DevMode().PluginBlock(), session.DevMode().PluginBlock() + sizeof(PrivateDevMode)), before);

    // Confidential with the store box: code 5 and the passcode.
    PressWith(session, L"Print and Hold", {[](HWND h) {
        SelectMode(h, 2);
        Click(h, IDC_PH_STORE_JOB);
        SetDlgItemTextW(h, IDC_PH_USER_ID, L"");
        Type(h, IDC_PH_PASSCODE, L"1234");
        Type(h, IDC_PH_CONFIRM, L"1234");
        Press(h, IDOK);
    }});
    EXPECT_EQ(Block(session).sPrintMode, 5);
    EXPECT_EQ(std::wstring(Block(session).szPasscode, 4), L"1234");
    EXPECT_STREQ(Block(session).szUserId, L"Unknown");
    EXPECT_STREQ(Block(session).szJobName, L"Untitled");
    EXPECT_EQ(Block(session).sSecurePrint, 0);
    EXPECT_TRUE(std::any_of(report.Entries().begin(), report.Entries().end(), [](const ReportEntry &e) {
        return e.kind == L"sheet" && e.text.find(L"CPSFUNC_SET_RESULT(1)") != std::wstring::npos;
    }));

    // The store flag carries over to Store: public, no passcode, code 7.
    PressWith(session, L"Print and Hold", {[](HWND h) {
        EXPECT_EQ(SendDlgItemMessageW(h, IDC_PH_MODE_LIST, CB_GETCURSEL, 0, 0), 2);
        SelectMode(h, 3);
        EXPECT_EQ(IsDlgButtonChecked(h, IDC_PH_STORE_PUBLIC), BST_CHECKED);
        EXPECT_FALSE(Enabled(h, IDC_PH_PASSCODE));
        Press(h, IDOK);
    }});
    EXPECT_EQ(Block(session).sPrintMode, 7);

    // Unchecked: the passcode is needed again (code 6); then Spool, Delay.
    PressWith(session, L"Print and Hold", {[](HWND h) {
        Click(h, IDC_PH_STORE_PUBLIC);
        EXPECT_TRUE(Enabled(h, IDC_PH_PASSCODE));
        SetDlgItemTextW(h, IDC_PH_PASSCODE, L"87654321");
        SetDlgItemTextW(h, IDC_PH_CONFIRM, L"87654321");
        Press(h, IDOK);
    }});
    EXPECT_EQ(Block(session).sPrintMode, 6);
    EXPECT_EQ(std::wstring(Block(session).szPasscode, 8), L"87654321");
    PressWith(session, L"Print and Hold", {[](HWND h) {
        SelectMode(h, 4);
        Press(h, IDOK);
    }});
    EXPECT_EQ(Block(session).sPrintMode, 8);
    PressWith(session, L"Print and Hold", {[](HWND h) {
        SelectMode(h, 5);
        EXPECT_TRUE(Visible(h, IDC_PH_DATE_PICKER));
        SYSTEMTIME st = {};
        st.wYear = 2026; st.wMonth = 12; st.wDay = 7; st.wHour = 4; st.wMinute = 30; st.wDayOfWeek = 1;
        SendDlgItemMessageW(h, IDC_PH_DATE_PICKER, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        SendDlgItemMessageW(h, IDC_PH_TIME_PICKER, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        Press(h, IDOK);
    }});
    EXPECT_EQ(Block(session).sPrintMode, 9);
    EXPECT_STREQ(Block(session).szPrintAt, L"2026:12:07:04:30");

    // A stored 10 opens as Delay, showing the stored time.
    Block(session).sPrintMode = 10;
    PressWith(session, L"Print and Hold", {[](HWND h) {
        EXPECT_EQ(SendDlgItemMessageW(h, IDC_PH_MODE_LIST, CB_GETCURSEL, 0, 0), 5);
        SYSTEMTIME st = {};
        SendDlgItemMessageW(h, IDC_PH_DATE_PICKER, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        EXPECT_EQ(st.wYear, 2026);
        EXPECT_EQ(st.wMonth, 12);
        EXPECT_EQ(st.wDay, 7);
        SendDlgItemMessageW(h, IDC_PH_TIME_PICKER, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        EXPECT_EQ(st.wHour, 4);
        EXPECT_EQ(st.wMinute, 30);
        Press(h, IDCANCEL);
    }});
    session.Close(false);
}

// Stored blocks the dialog did not write: codes outside the list and texts
// that fill their fields without a terminator.
TEST_F(DialogSession, HostileStoredBlock) {
    Install(L"talix_c500");
    InstallDisk(L"Option4");
    Session session(env);
    std::wstring error;
    ASSERT_TRUE(session.Open(kPrinter, SheetKind::Document, false, &error));
    for (SHORT code : {static_cast<SHORT>(-1), static_cast<SHORT>(11), static_cast<SHORT>(0x7FFF)}) {
        SCOPED_TRACE(code);
        PrivateDevMode &dm = Block(session);
        dm.sPrintMode = code;
        wmemset(dm.szUserId, L'U', 20);
        wmemset(dm.szJobName, L'J', 64);
        wmemset(dm.szPasscode, L'9', 8);
        wmemset(dm.szPrintAt, L'2', 20);
        PressWith(session, L"Print and Hold", {[](HWND h) {
            EXPECT_EQ(SendDlgItemMessageW(h, IDC_PH_MODE_LIST, CB_GETCURSEL, 0, 0), 0);
            EXPECT_EQ(IsDlgButtonChecked(h, IDC_PH_STORE_JOB), BST_UNCHECKED);
            EXPECT_EQ(Text(h, IDC_PH_USER_ID), std::wstring(20, L'U'));
            EXPECT_EQ(Text(h, IDC_PH_JOB_NAME), std::wstring(64, L'J'));
            EXPECT_EQ(Text(h, IDC_PH_PASSCODE).size(), 8u);
            Press(h, IDOK);
        }});
        EXPECT_EQ(Block(session).sPrintMode, 0);
        EXPECT_EQ(std::wstring(Block(session).szUserId, 20), std::wstring(20, L'U'));
    }
    session.Close(false);
}

TEST_F(DialogSession, SecurePrintOnKorvant) {
    Install(L"korvant_k45s");
    Session session(env);
    std::wstring error;
    ASSERT_TRUE(session.Open(kPrinter, SheetKind::Document, false, &error));
    Block(session).sSecurePrint = 0;
    PressWith(session, L"Print and Hold", {[](HWND h) {
        EXPECT_EQ(ModeEntries(h), (std::vector<std::wstring>{L"Normal", L"Secure Print"}));
        EXPECT_FALSE(Visible(h, IDC_PH_STORE_JOB));
        EXPECT_FALSE(Visible(h, IDC_PH_STORE_PUBLIC));
        SelectMode(h, 1);
        EXPECT_FALSE(Visible(h, IDC_PH_STORE_JOB));
        EXPECT_FALSE(Visible(h, IDC_PH_DATE_PICKER));
        EXPECT_TRUE(Visible(h, IDC_PH_PASSCODE));
        Type(h, IDC_PH_PASSCODE, L"123456789012");
        Type(h, IDC_PH_CONFIRM, L"1234567890123");  // the thirteenth is cut by the limit
        Press(h, IDOK);
    }});
    EXPECT_TRUE(g_boxes.empty());
    const PrivateDevMode &dm = Block(session);
    EXPECT_EQ(dm.sPrintMode, 1);
    EXPECT_EQ(dm.sSecurePrint, 1);
    EXPECT_STREQ(dm.szSecurePasscode, L"123456789012");
    EXPECT_STREQ(dm.szEncryptionKey, L"K45S-2F7Q-9M3D");
    session.Close(false);
}

TEST_F(DialogSession, EqualLimitsOnMero) {
    Install(L"mero_p45ps");
    InstallDisk(L"PrinterHardDisk");
    Session session(env);
    std::wstring error;
    ASSERT_TRUE(session.Open(kPrinter, SheetKind::Document, false, &error));
    PressWith(session, L"Print and Hold", {[](HWND h) {
        SelectMode(h, 2);
        EXPECT_TRUE(Visible(h, IDC_PH_PASSCODE_HINT_EQUAL));
        EXPECT_FALSE(Visible(h, IDC_PH_PASSCODE_HINT_RANGE));
        Type(h, IDC_PH_PASSCODE, L"12345");
        Type(h, IDC_PH_CONFIRM, L"123");
        EXPECT_EQ(Text(h, IDC_PH_PASSCODE), L"1234");
        Press(h, IDOK);
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].text, L"The passcode and its confirmation must be the same and have exactly 4 digits.");
        Press(h, IDCANCEL);
    }});
    session.Close(false);
}

TEST_F(DialogSession, JobAccountingOnMero) {
    Install(L"mero_p45ps");
    Session session(env);
    std::wstring error;
    ASSERT_TRUE(session.Open(kPrinter, SheetKind::Device, false, &error));
    PressWith(session, L"Job Accounting", {[](HWND h) {
        SetDlgItemTextW(h, IDC_JA_USER_ID, L"");
        Type(h, IDC_JA_USER_ID, L"a b@c_d-e.f");
        EXPECT_EQ(Text(h, IDC_JA_USER_ID), L"ab@c_d-e.f");
        EXPECT_EQ(g_beeps, 1);
        Type(h, IDC_JA_PASSWORD, L"abc");
        Type(h, IDC_JA_CONFIRM, L"abc");
        Press(h, IDOK);
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].caption, L"Invalid Password");
        EXPECT_NE(g_boxes[0].text.find(L"4 to 16"), std::wstring::npos);
        Type(h, IDC_JA_PASSWORD, L"d");
        Type(h, IDC_JA_CONFIRM, L"d");
        Press(h, IDOK);
    }});
    // Reopened before Apply: what the OK confirmed, not the printer data.
    PressWith(session, L"Job Accounting", {[](HWND h) {
        EXPECT_EQ(Text(h, IDC_JA_USER_ID), L"ab@c_d-e.f");
        EXPECT_EQ(Text(h, IDC_JA_PASSWORD), L"abcd");
        Press(h, IDCANCEL);
    }});
    ASSERT_TRUE(session.Apply(&error));
    session.Close(true);

    // What the plug-in hands the spooler (Wine's registry then adds a
    // terminator of its own when it stores a REG_SZ).
    for (const auto &want : {std::make_pair(std::wstring(L"JOBACCOUNT_ID"), std::wstring(L"ab@c_d-e.f")),
                             std::make_pair(std::wstring(L"JOBACCOUNT_PW"), std::wstring(L"abcd"))}) {
        auto it = std::find_if(g_written.begin(), g_written.end(), [&](const Written &w) { return w.name == want.first; });
        ASSERT_NE(it, g_written.end());
        EXPECT_EQ(it->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(it->bytes.size(), want.second.size() * 2) << "no terminator";
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t *>(it->bytes.data()), it->bytes.size() / 2), want.second);
    }
    std::wstring pw;
    ASSERT_TRUE(GetPrinterString(kPrinter, L"JOBACCOUNT_PW", &pw));
    EXPECT_EQ(pw.c_str(), std::wstring(L"abcd"));
    g_written.clear();

    // An Apply without opening the dialog keeps the stored values; a value
    // longer than the buffer reads as empty and the Windows name shows.
    Session again(env);
    ASSERT_TRUE(again.Open(kPrinter, SheetKind::Device, false, &error));
    ASSERT_TRUE(again.Apply(&error));
    again.Close(true);
    EXPECT_TRUE(std::none_of(g_written.begin(), g_written.end(),
                             [](const Written &w) { return w.name.compare(0, 11, L"JOBACCOUNT_") == 0; }));
    std::wstring id;
    ASSERT_TRUE(GetPrinterString(kPrinter, L"JOBACCOUNT_ID", &id));
    EXPECT_EQ(id, L"ab@c_d-e.f");
    ASSERT_TRUE(SetPrinterString(kPrinter, L"JOBACCOUNT_ID", std::wstring(40, L'x')));
    Session third(env);
    ASSERT_TRUE(third.Open(kPrinter, SheetKind::Device, false, &error));
    PressWith(third, L"Job Accounting", {[](HWND h) {
        EXPECT_NE(Text(h, IDC_JA_USER_ID), std::wstring(32, L'x'));
        EXPECT_EQ(Text(h, IDC_JA_PASSWORD), L"abcd");
        Press(h, IDCANCEL);
    }});
    third.Close(false);
}

}  // namespace
}  // namespace dialogtest
