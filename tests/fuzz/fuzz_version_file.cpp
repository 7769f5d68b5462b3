// A version file holding anything at all, as a broken download may leave
// "new.txt": reading it must not crash, and the text read is one line of it.

#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "updater/version_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::enterWorkingFolder();
    fuzz::writeInput("new.txt", data, size);
    const std::string text = readVersionText("new.txt");
    fuzz::require(text.find('\n') == std::string::npos, "one line");
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    fuzz::require(input.find(text) != std::string_view::npos, "text taken from the file");
    versionValue(text);
    return 0;
}
