// The program-name tables the panel draws from: each Russian name carries
// the same two-digit number as its English twin and is Cyrillic text, which
// also proves the source was read as UTF-8.
#include "program_names.h"

#include <gtest/gtest.h>

#include <string>

namespace t815::test {
namespace {

bool isCyrillicOrAscii(char16_t c) {
    return c < 0x80 || (c >= 0x0400 && c <= 0x04FF);
}

TEST(ProgramNames, RussianNamesMatchTheEnglishNumbersAndAreCyrillic) {
    for (int index = 0; index < kPluginProgramCount; ++index) {
        const std::string english = programNamesEnglish[index];
        const std::u16string russian = programNamesRussian[index];
        const int number = 10 * (index / 8) + index % 8;
        const char digits[] = {char('0' + number / 10), char('0' + number % 10), ' ', 0};
        EXPECT_EQ(english.substr(0, 3), digits) << index;
        ASSERT_GE(russian.size(), 4u) << index;
        EXPECT_EQ(russian.substr(0, 3), std::u16string(digits, digits + 3)) << index;
        EXPECT_LT(english.size(), static_cast<std::size_t>(kProgramNameBytes)) << index;
        int cyrillic = 0;
        for (char16_t c : russian) {
            EXPECT_TRUE(isCyrillicOrAscii(c)) << index;
            cyrillic += c >= 0x0400;
        }
        EXPECT_GT(cyrillic, 0) << index;
    }
    EXPECT_EQ(std::u16string(programNamesRussian[15]),
              u"17 \u0412\u0410\u041B\u0422\u041E\u0420\u041D\u0410");
}

} // namespace
} // namespace t815::test
