// Replays the seed corpus of one fuzz target through its LLVMFuzzerTestOneInput, so
// the normal test run (with its sanitizers) keeps every seed and every input that
// once crashed passing. The corpus folder is the program's first argument (after
// GoogleTest's own flags are taken out), so this file is compiled once for all targets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

const char* corpusFolder = "";

TEST(FuzzCorpusReplay, EveryInputRunsCleanly) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::directory_iterator it(corpusFolder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file()) files.push_back(it->path());
  }
  ASSERT_FALSE(error) << corpusFolder << ": " << error.message();
  ASSERT_FALSE(files.empty()) << "no inputs in " << corpusFolder;
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << "cannot read " << file;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // An exact-size copy, as libFuzzer hands inputs over: reads past it are caught.
    std::unique_ptr<uint8_t[]> input(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), input.get());
    EXPECT_EQ(LLVMFuzzerTestOneInput(input.get(), bytes.size()), 0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    fprintf(stderr, "usage: %s CORPUS_FOLDER [gtest flags]\n", argv[0]);
    return 2;
  }
  corpusFolder = argv[1];
  return RUN_ALL_TESTS();
}
