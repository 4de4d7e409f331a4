// The version the loaded library reports agrees with the header it was
// built from, and the text spells the three numbers.
#include <gtest/gtest.h>
#include <zarvqencore.h>

#include <string>

TEST(VersionTest, LoadedLibraryReportsTheVersionOfItsHeader) {
    EXPECT_STREQ(ZarvqenVersion(), ZARVQEN_VERSION_TEXT);
    EXPECT_EQ(ZarvqenVersionMajor(), ZARVQEN_VERSION_MAJOR);
    EXPECT_EQ(ZarvqenVersionMinor(), ZARVQEN_VERSION_MINOR);
    EXPECT_EQ(ZarvqenVersionPatch(), ZARVQEN_VERSION_PATCH);
    EXPECT_EQ(std::string(ZarvqenVersion()), std::to_string(ZARVQEN_VERSION_MAJOR) + "." +
                                                 std::to_string(ZARVQEN_VERSION_MINOR) + "." +
                                                 std::to_string(ZARVQEN_VERSION_PATCH));
}
