// Replays a fuzz target's committed corpus in ordinary builds: every input must be
// taken or refused without a crash (the sanitizer build checks memory as well).
#include <gtest/gtest.h>

#include <cstdint>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

TEST(FuzzCorpus, EveryInputIsTakenOrRefused) {
    std::string dir = QUARN_FUZZ_CORPUS;
    DIR* listing = opendir(dir.c_str());
    ASSERT_NE(listing, nullptr) << dir;
    int count = 0;
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::ifstream in(dir + "/" + name, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(name);
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
        ++count;
    }
    closedir(listing);
    EXPECT_GT(count, 0);
}
