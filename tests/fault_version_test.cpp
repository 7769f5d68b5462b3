// Version files as a broken download may leave them: read in bounded
// memory, and numbers too large for an int compared as the largest one.

#include <gtest/gtest.h>

#include <limits>

#include "fault_support.h"
#include "temp_folder.h"
#include "updater/version_file.h"

namespace {

TEST(FaultVersion, AHundredMegabytesOfDigitsAreReadInBoundedMemory) {
    TempWorkingFolder folder;
    fault::writeRepeated("new.txt", "9", 100);
    const fault::PeakMemory memory;
    ASSERT_TRUE(memory.available());
    const std::string text = readVersionText("new.txt");
    EXPECT_LT(memory.riseKb(), 16 * 1024);
    EXPECT_EQ(text, std::string(4096, '9'));
    EXPECT_EQ(versionValue(text), std::numeric_limits<int>::max());

    // The last line still counts, however long the lines before it.
    fault::writeRepeated("new.txt", "12345678\n", 100);
    { std::ofstream("new.txt", std::ios::app) << "\n13"; }
    EXPECT_EQ(readVersionText("new.txt"), "13");
}

TEST(FaultVersion, NumbersBeyondTheRangeAreHeldAtItsEnds) {
    // atoi gives an undefined result here; glibc's wraps 4294967309 to 13.
    EXPECT_EQ(versionValue("4294967309"), std::numeric_limits<int>::max());
    EXPECT_EQ(versionValue("-99999999999"), std::numeric_limits<int>::min());
    EXPECT_EQ(versionValue(" 13"), 13);
}

}  // namespace
