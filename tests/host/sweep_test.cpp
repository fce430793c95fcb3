// The fault-injection sweep's parts: the replacements forward and fail
// exactly, the table covers every import of the plug-in and the network
// library, the GDI books balance, the child's result file, and the
// torn-write rule.
#include <gtest/gtest.h>

#include <windows.h>

#include "host/driver_devmode.h"
#include "host/fault_injection.h"
#include "host/fault_table.h"
#include "host/plugin_host.h"
#include "host/stored_state.h"
#include "host/sweep_result.h"
#include "settings/private_devmode.h"

using namespace oemuihost;

namespace {

int WINAPI AddPair(int a, int b) { return a + b; }

std::string Joined(const std::vector<std::string> &names) {
    std::string out;
    for (const std::string &n : names) out += n + " ";
    return out;
}

void **SlotOf(HMODULE hModule, const char *name) {
    for (const ModuleImport &imp : ReadModuleImports(hModule))
        if (imp.name == name) return imp.slot;
    return nullptr;
}

}  // namespace

TEST(FaultHook, ForwardsEveryCallButTheChosenOneWhichFailsWithItsValueAndLastError) {
    using Hook = FaultHook<int (*)(int, int), Returns<-7, 1234>, AfterCall::None, 1>;
    FaultRowState state;
    state.pNext = reinterpret_cast<void *>(&AddPair);
    state.failAt = 2;
    Hook::state = &state;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(Hook::Call(2, 3), 5);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    EXPECT_EQ(Hook::Call(2, 3), -7);
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(Hook::Call(40, 2), 42);
    EXPECT_EQ(state.calls.load(), 3);
    EXPECT_EQ(state.injected.load(), 1);
}

// A new import that can fail must get a row (or be named as one that cannot):
// the sweep would otherwise never fail it.
TEST(FaultTable, CoversEveryImportOfThePluginAndTheSnmpLibrary) {
    const std::wstring dir = ExecutableDirectory();
    for (const std::wstring &path : {dir + L"OEMUI.DLL", dir + L"..\\package\\OEMUN.DLL"}) {
        HMODULE h = LoadLibraryW(path.c_str());
        ASSERT_NE(h, nullptr) << "error " << GetLastError();
        EXPECT_GT(ReadModuleImports(h).size(), 50u);
        const std::vector<std::string> missing = UnclassifiedImports(h);
        EXPECT_TRUE(missing.empty()) << "imports without a row: " << Joined(missing);
        FreeLibrary(h);
    }
    // The check itself: a name in neither list is caught.
    EXPECT_EQ(FindFaultRow("CreateFileW"), nullptr);
    EXPECT_FALSE(CannotFail("CreateFileW"));
    for (const FaultRow &row : FaultRows()) EXPECT_FALSE(CannotFail(row.name)) << row.name << " is in both lists";
}

TEST(FaultTarget, ParsesInjectableLabelsOnly) {
    struct Case {
        const wchar_t *text;
        bool ok;
        const char *label;
        long call;
    };
    const Case cases[] = {
        {L"HeapAlloc:3", true, "HeapAlloc", 3},
        {L"WritePrinter/2:1", true, "WritePrinter/2", 1},
        {L"GetPrinterDataW/2:12", true, "GetPrinterDataW/2", 12},
        {L"HeapAlloc/2:1", false, "", 0},   // one failure mode only
        {L"HeapAlloc:0", false, "", 0},
        {L"HeapAlloc:-1", false, "", 0},
        {L"HeapAlloc:2x", false, "", 0},
        {L"HeapAlloc", false, "", 0},
        {L"DeleteObject:1", false, "", 0},  // booked, never failed
        {L"CreateFileW:1", false, "", 0},
    };
    for (const Case &c : cases) {
        FaultTarget t;
        EXPECT_EQ(ParseFaultTarget(c.text, &t), c.ok) << std::string(c.text, c.text + wcslen(c.text));
        if (!c.ok) continue;
        EXPECT_EQ(t.import, c.label);
        EXPECT_EQ(t.call, c.call);
        EXPECT_EQ(FaultTargetText(t), c.text);
    }
}

// Through the plug-in's own import slots: the first font fails as the
// platform fails it, the second is real and booked until it is deleted, and
// detaching puts the original functions back.
TEST(FaultInjection, FailsTheChosenCallInTheModuleAndBooksGdiObjects) {
    HMODULE h = LoadLibraryW((ExecutableDirectory() + L"OEMUI.DLL").c_str());
    ASSERT_NE(h, nullptr);
    void **fontSlot = SlotOf(h, "CreateFontIndirectW");
    void **deleteSlot = SlotOf(h, "DeleteObject");
    ASSERT_NE(fontSlot, nullptr);
    ASSERT_NE(deleteSlot, nullptr);
    void *const originalFont = *fontSlot;
    {
        FaultTarget target;
        ASSERT_TRUE(ParseFaultTarget(L"CreateFontIndirectW:1", &target));
        FaultInjection injection(target);
        ASSERT_TRUE(injection.Attach(h));
        EXPECT_NE(*fontSlot, originalFont);
        auto createFont = reinterpret_cast<decltype(&CreateFontIndirectW)>(*fontSlot);
        auto deleteObject = reinterpret_cast<decltype(&DeleteObject)>(*deleteSlot);
        LOGFONTW lf = {};
        lf.lfHeight = -12;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(createFont(&lf), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
        EXPECT_TRUE(injection.Injected());
        HFONT hFont = createFont(&lf);
        ASSERT_NE(hFont, nullptr);
        EXPECT_EQ(injection.GdiCreated(), 1);
        EXPECT_EQ(injection.LiveGdiObjects(), 1);
        EXPECT_TRUE(deleteObject(hFont));
        EXPECT_EQ(injection.LiveGdiObjects(), 0);
        bool counted = false;
        for (const auto &c : injection.Counts())
            if (c.first == "CreateFontIndirectW") counted = c.second == 2;
        EXPECT_TRUE(counted);
    }
    EXPECT_EQ(*fontSlot, originalFont);
    FreeLibrary(h);
}

TEST(StoredStateRule, EveryValueASessionChangedHoldsItsOldValueOrTheUninjectedOne) {
    const StoredState before = {{L"printerdata A", L"4:01000000"}, {L"printerdata B", L"4:05000000"}};
    const StoredState reference = {{L"printerdata A", L"4:00000000"}, {L"printerdata B", L"4:3C000000"},
                                   {L"devmode sPrintMode", L"4"}};
    struct Case {
        const char *what;
        StoredState after;
        std::vector<std::wstring> torn;
    };
    const Case cases[] = {
        {"unchanged", before, {}},
        {"as the uninjected run", reference, {}},
        {"one value of two written, the other kept",
         {{L"printerdata A", L"4:00000000"}, {L"printerdata B", L"4:05000000"}, {L"devmode sPrintMode", L"4"}},
         {}},
        {"a value written with what the uninjected run did not write",
         {{L"printerdata A", L"4:00000000"}, {L"printerdata B", L"4:00000000"}, {L"devmode sPrintMode", L"4"}},
         {L"printerdata B"}},
        {"a value the uninjected run never wrote",
         {{L"printerdata A", L"4:01000000"}, {L"printerdata B", L"4:05000000"}, {L"registry X", L"1:00"}},
         {L"registry X"}},
        {"a value deleted", {{L"printerdata B", L"4:05000000"}}, {L"printerdata A"}},
    };
    for (const Case &c : cases) EXPECT_EQ(TornValues(before, c.after, before, reference), c.torn) << c.what;
    // A value an earlier session left otherwise is not judged against the uninjected run.
    const StoredState earlier = {{L"printerdata A", L"4:01000000"}};
    const StoredState repaired = {{L"printerdata A", L"4:01000000"}, {L"printerdata B", L"4:00000000"}};
    EXPECT_TRUE(TornValues(earlier, repaired, before, reference).empty());
    // A run cut short stops at a state the uninjected run passed through:
    // each value it held after a step (absent included) is whole, others are not.
    HeldValues held;
    BookHeldValues(before, &held);
    BookHeldValues({{L"printerdata A", L"4:07000000"}}, &held);
    BookHeldValues(reference, &held);
    struct Held {
        const char *what;
        StoredState after;
        std::vector<std::wstring> torn;
    } const cutShort[] = {
        {"a value held after a step", {{L"printerdata A", L"4:07000000"}, {L"printerdata B", L"4:05000000"}}, {}},
        {"a value removed after a step", {{L"printerdata A", L"4:07000000"}}, {}},
        {"a value never held", {{L"printerdata A", L"4:08000000"}, {L"printerdata B", L"4:05000000"}},
         {L"printerdata A"}},
    };
    for (const Held &c : cutShort) EXPECT_EQ(TornValues(before, c.after, before, reference, &held), c.torn) << c.what;
    EXPECT_EQ(TornValues(before, cutShort[0].after, before, reference), std::vector<std::wstring>{L"printerdata A"});
    // The serialised form reads back as it was written.
    std::vector<std::wstring> lines;
    const std::wstring text = SerializeState(reference);
    for (size_t at = 0; at < text.size();) {
        const size_t nl = text.find(L'\n', at);
        lines.push_back(text.substr(at, nl - at));
        at = nl + 1;
    }
    EXPECT_EQ(ParseState(lines), reference);
}

TEST(StoredStateRule, DeviceModeIsJudgedFieldByFieldWithoutTheContextAddress) {
    std::vector<unsigned char> a(sizeof(DEVMODEW) + sizeof(HostPrivate) + sizeof(oemui::PrivateDevMode), 0), b;
    const StoredState fields = DevModeState(a);
    EXPECT_EQ(fields.count(L"devmode public"), 1u);
    EXPECT_GT(fields.size(), 20u);
    for (const auto &f : fields) EXPECT_EQ(f.first.find(L"pContext"), std::wstring::npos);
    EXPECT_TRUE(DevModeState(b).empty());
}

// A session starts from what it opened with and what seed steps set inside
// it; the uninjected run books what each value held after every step.
TEST(ChildResult, SeedsMoveTheStartAndStepsBookTheValuesHeld) {
    const std::vector<std::wstring> lines = {
        L"checkpoint step", L"state\tprinterdata A\t4:01000000",
        L"checkpoint open", L"state\tprinterdata A\t4:01000000", L"state\tprinterdata B\t1:6100",
        L"checkpoint opened", L"state\tdevmode sPrintMode\t0",
        L"checkpoint seeded", L"state\tprinterdata C\t4:02000000", L"unset\tprinterdata B",
        L"checkpoint step", L"state\tprinterdata A\t4:05000000",
        L"checkpoint step", L"unset\tprinterdata A",
        L"checkpoint close", L"state\tprinterdata A\t4:3C000000", L"state\tdevmode sPrintMode\t0",
        L"checkpoint seeded", L"state\tprinterdata D\t4:00000000",
        L"calls HeapAlloc 12", L"injected 1", L"gdi 3 0", L"windows 0 ", L"exit 0", L"done",
    };
    ChildRun run;
    ParseChildResult(lines, &run);
    ASSERT_EQ(run.sessions.size(), 1u);
    const StoredState start = {{L"printerdata A", L"4:01000000"}, {L"printerdata C", L"4:02000000"},
                               {L"devmode sPrintMode", L"0"}};
    EXPECT_EQ(run.sessions[0].first, start);
    EXPECT_EQ(run.sessions[0].second.at(L"printerdata A"), L"4:3C000000");
    ASSERT_EQ(run.held.size(), 1u);
    const std::set<std::wstring> heldA = {L"4:01000000", L"4:05000000", L"(absent)"};
    EXPECT_EQ(run.held[0].at(L"printerdata A"), heldA);
    EXPECT_EQ(run.calls.at("HeapAlloc"), 12);
    EXPECT_TRUE(run.injected && run.done);
    EXPECT_EQ(run.gdiCreated, 3);
    EXPECT_EQ(run.gdiLive, 0);
    // A child that ended without "done" said why, if it could.
    ChildRun crashed;
    ParseChildResult({L"checkpoint open", L"crash 0xC0000005 at OEMUI.DLL+0x10"}, &crashed);
    EXPECT_TRUE(crashed.crashed);
    EXPECT_FALSE(crashed.done);
    ASSERT_EQ(crashed.errors.size(), 1u);
    EXPECT_EQ(crashed.errors[0], L"unhandled exception 0xC0000005 at OEMUI.DLL+0x10");
}
