// Loads the built OEMUI.DLL (beside the test executable) and reaches it only
// through its exports and COM interfaces, as a driver's UI core does.
#pragma once

#include <gtest/gtest.h>

#include "kit/oemkit.h"

namespace testsupport {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE *)();

// The module stays loaded for the whole test program: tests that patch its
// imports rely on one stable image.
HMODULE PluginModule();
GetClassObjectFn PluginGetClassObject();
CanUnloadNowFn PluginCanUnloadNow();

// A fresh plug-in object (reference count 1) or a test failure.
IPrintOemUI *CreatePlugin();

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    IPrintOemUI *plugin = nullptr;
};

}  // namespace testsupport
