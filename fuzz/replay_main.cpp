// Replays the seed corpus of one fuzz target through its LLVMFuzzerTestOneInput, so
// the normal test run (with its sanitizers) keeps every seed and every input that
// once crashed passing. The corpus folder is compiled in as KESTRIN_FUZZ_CORPUS.
#include <gtest/gtest.h>

#include <algorithm>
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

TEST(FuzzCorpusReplay, EveryInputRunsCleanly) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::directory_iterator it(KESTRIN_FUZZ_CORPUS, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file()) files.push_back(it->path());
  }
  ASSERT_FALSE(error) << KESTRIN_FUZZ_CORPUS << ": " << error.message();
  ASSERT_FALSE(files.empty()) << "no inputs in " << KESTRIN_FUZZ_CORPUS;
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
