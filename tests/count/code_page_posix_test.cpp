#include <clocale>
#include <cstdlib>

#include <gtest/gtest.h>

#include "count/code_page.h"

namespace lw {
namespace {

TEST(CodePageTest, TheCLocaleStepsByByte) {
    ::setenv("LC_ALL", "C", 1);
    EXPECT_TRUE(CodePage::fromLocale().stepsByByte());
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace lw
