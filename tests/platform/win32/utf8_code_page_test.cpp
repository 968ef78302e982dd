// The window's platform under the code page the program's manifest asks for: UTF-8 as the ANSI
// code page, so that texts in any script pass through the narrow calls unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/profile.h"
#include "tests/platform/win32/win32_test_support.h"

namespace lw::win32 {
namespace {

// What the window's tests take for granted: the system honours the manifest's request.
TEST(Utf8CodePage, TheManifestMakesUtf8TheAnsiCodePage) {
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
}

// A "LastDirectory" in any script goes into the registry as its characters, so that a program of
// any code page reads the same path, and what such a program stored comes back as the same UTF-8.
// Long texts too, whose UTF-8 takes more bytes than their UTF-16.
TEST(Utf8CodePage, ProfileTextsInAnyScriptAreStoredAsTheirCharacters) {
    const std::string key = std::string(test::kTestCompanyKey) + "\\win32_window_tests\\Settings";
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    std::string longUtf8 = "C:\\";
    std::wstring longWide = L"C:\\";
    for (int i = 0; i < 200; ++i) {
        longUtf8 += "\xE6\x97\xA5";  // 日
        longWide += L'\u65E5';
    }
    struct Case {
        std::string utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        {"C:\\\xE6\x97\xA5\xE6\x9C\xAC\\\xCE\xB1\xCE\xB2\xCE\xB3",
         L"C:\\\u65E5\u672C\\\u03B1\u03B2\u03B3"},
        {"C:\\caf\xC3\xA9", L"C:\\caf\u00E9"},
        {"D:\\\xF0\x9F\x98\x80", L"D:\\\U0001F600"},  // beyond the 16-bit plane: a surrogate pair
        {longUtf8, longWide},
    };
    for (const Case& c : cases) {
        Profile::WriteString("Settings", "LastDirectory", c.utf8);
        EXPECT_EQ(Profile::GetString("Settings", "LastDirectory", "default"), c.utf8);
        wchar_t stored[1024] = {};
        DWORD size = sizeof stored;
        const std::wstring wideKey(key.begin(), key.end());
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, wideKey.c_str(), L"LastDirectory", RRF_RT_REG_SZ,
                               nullptr, stored, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::wstring(stored), c.wide);

        HKEY settings = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, wideKey.c_str(), 0, KEY_SET_VALUE, &settings),
                  ERROR_SUCCESS);
        RegSetValueExW(settings, L"LastDirectory", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(c.wide.c_str()),
                       static_cast<DWORD>((c.wide.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(settings);
        EXPECT_EQ(Profile::GetString("Settings", "LastDirectory", "default"), c.utf8);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

}  // namespace
}  // namespace lw::win32
