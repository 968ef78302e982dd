// The Win32 window tests run in one Wine process: the common controls are registered once, and
// the profile lives under a company key of the tests' own, removed before and after the run.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/profile.h"
#include "platform/win32/application.h"
#include "tests/platform/win32/win32_test_support.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!lw::win32::prepareCommonControls()) {
        return 1;
    }
    lw::Profile::SetCompanyKey(lw::win32::test::kTestCompany);
    RegDeleteTreeA(HKEY_CURRENT_USER, lw::win32::test::kTestCompanyKey);
    const int status = RUN_ALL_TESTS();
    RegDeleteTreeA(HKEY_CURRENT_USER, lw::win32::test::kTestCompanyKey);
    return status;
}
