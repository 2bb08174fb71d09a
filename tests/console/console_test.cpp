// The console program driven through runConsole: argument handling, help in both
// languages, the exit statuses of compare, list and export-reg on snapshot files,
// damaged files, and snapshot / compare --live on an in-memory registry.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/console_run.h"
#include "platform/memory/program_location.h"
#include "platform/memory_registry.h"
#include "platform/registry.h"

namespace fs = std::filesystem;

namespace {

struct Outcome { int status; std::string out, err; };

std::string sz(const char* text) { return std::string(text, std::strlen(text) + 1); }

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // A name of this run's own: two test programs running at once must not share it.
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = fs::temp_directory_path() /
              ("kestrin-console-" + std::to_string(stamp) + "-" + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    location_ = std::make_unique<platform::ScopedProgramLocation>(
        (folder_ / "kestrin").string(), folder_.string() + "/");
    platform::setRegistrySeam(&registry);
  }
  void TearDown() override {
    platform::setRegistrySeam(nullptr);
    location_.reset();
    fs::remove_all(folder_);
  }

  std::string path(const char* name) const { return (folder_ / name).string(); }
  std::string read(const char* name) const {
    std::ifstream file(path(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), {});
  }

  // Snapshot files taken by the snapshot command from the in-memory registry.
  std::string snapshot(const char* name) {
    registryAvailable = true;
    EXPECT_EQ(run({"snapshot", path(name)}).status, kExitSuccess);
    registryAvailable = false;
    return path(name);
  }
  std::string before() {
    registry.putValue(kT, "a", 1, sz("old"));
    return snapshot("before.rsv");
  }
  std::string after() {
    registry.putValue(kT, "a", 1, sz("new"));
    registry.putValue(kT + "\\Added", "b", 1, sz("x"));
    return snapshot("after.rsv");
  }

  Outcome run(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    ConsoleEnvironment environment;
    environment.out = &out;
    environment.err = &err;
    environment.language = language;
    environment.terminalUtf8 = terminalUtf8;
    environment.registryAvailable = registryAvailable;
    const int status = runConsole(arguments, environment);
    return Outcome{status, out.str(), err.str()};
  }

  const std::string kT = "HKEY_CURRENT_USER\\Software\\T";
  platform::MemoryRegistry registry;
  ConsoleLanguage language = ConsoleLanguage::kEnglish;
  bool terminalUtf8 = false;
  bool registryAvailable = false;
  fs::path folder_;
  std::unique_ptr<platform::ScopedProgramLocation> location_;
};

struct RefusedCase { std::vector<std::string> arguments; const char* message; };

TEST_F(ConsoleTest, RefusedArgumentsSayWhyAndEndWithStatus2) {
  const RefusedCase cases[] = {
      {{}, "Usage: kestrin COMMAND"},
      {{"frobnicate"}, "unknown command: frobnicate"},
      {{"compare", "a.rsv", "--bogus"}, "unknown option: --bogus"},
      {{"compare", "a.rsv"}, "wrong files for compare"},
      {{"compare", "a", "b", "--live"}, "--live and a comparison file"},
      {{"compare", "a", "b", "--encoding", "latin1"}, "unknown encoding: latin1"},
      {{"compare", "a", "b", "--output"}, "option --output needs a value"},
      {{"compare", "a", "b", "--output="}, "option --output needs a value"},
      {{"export-reg", "a", "b", "c"}, "give one of --redo and --undo"},
      {{"export-reg", "a", "b", "--redo"}, "wrong files for export-reg"},
      {{"list", "a", "--live"}, "unknown option: --live"},
      {{"list", "a", "--values=yes"}, "unknown option: --values=yes"},
      {{"snapshot"}, "wrong files for snapshot"},
  };
  for (const RefusedCase& c : cases) {
    const Outcome outcome = run(c.arguments);
    EXPECT_EQ(outcome.status, kExitError) << c.message;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "") << c.message;
  }
}

TEST_F(ConsoleTest, HelpFollowsTheLanguageAndTheTerminal) {
  Outcome outcome = run({"--help"});
  EXPECT_EQ(outcome.status, kExitSuccess);
  EXPECT_EQ(outcome.out, consoleTexts(ConsoleLanguage::kEnglish).usage);
  EXPECT_EQ(run({"compare", "-h"}).out, consoleTexts(ConsoleLanguage::kEnglish).compareHelp);
  language = ConsoleLanguage::kJapanese;
  outcome = run({"list", "--help"});
  EXPECT_EQ(outcome.out, consoleTexts(ConsoleLanguage::kJapanese).listHelp);
  EXPECT_EQ(outcome.out.compare(0, 6, "使い方"), 0);
  terminalUtf8 = true;
  EXPECT_EQ(run({"--help"}).out.compare(0, 9, "\xE4\xBD\xBF\xE3\x81\x84\xE6\x96\xB9"), 0);
}

TEST_F(ConsoleTest, CompareStatusSaysWhetherAnythingChanged) {
  const std::string a = before();
  const std::string b = after();
  Outcome same = run({"compare", a, a});
  EXPECT_EQ(same.status, kExitSuccess) << same.err;
  EXPECT_EQ(same.out.compare(0, 14, "変化分のリスト"), 0);
  Outcome changed = run({"compare", a, b});
  EXPECT_EQ(changed.status, kExitChanges) << changed.err;
  EXPECT_NE(changed.out.find("Added"), std::string::npos);

  const Outcome toFile = run({"compare", "--output", path("list.txt"), a, b, "--encoding=utf8"});
  EXPECT_EQ(toFile.status, kExitChanges);
  EXPECT_EQ(toFile.out, "");
  const std::string written = read("list.txt");
  EXPECT_EQ(written.compare(0, 3, "\xE5\xA4\x89"), 0);  // 変 in UTF-8
  EXPECT_NE(written.find("Added"), std::string::npos);
}

TEST_F(ConsoleTest, UnreadableAndDamagedFilesEndWithStatus2) {
  const std::string a = before();
  Outcome missing = run({"compare", a, path("nowhere.rsv")});
  EXPECT_EQ(missing.status, kExitError);
  EXPECT_NE(missing.err.find("cannot open the file"), std::string::npos);

  const std::string image = read("before.rsv");
  for (size_t cut : {size_t{0}, size_t{10}, image.size() / 2, image.size() - 1}) {
    std::ofstream(path("cut.rsv"), std::ios::binary).write(image.data(), static_cast<std::streamsize>(cut));
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"compare", path("cut.rsv"), a},
             {"compare", a, path("cut.rsv")},
             {"list", path("cut.rsv")},
             {"export-reg", a, path("cut.rsv"), "--redo", path("out.reg")}}) {
      const Outcome outcome = run(arguments);
      EXPECT_EQ(outcome.status, kExitError) << cut;
      EXPECT_NE(outcome.err.find(": "), std::string::npos) << cut;  // the loader's box
      EXPECT_EQ(outcome.out, "");
    }
  }
  EXPECT_FALSE(fs::exists(path("out.reg")));
}

TEST_F(ConsoleTest, ListPrintsTheWholeFileOrOneKey) {
  const std::string b = after();
  Outcome all = run({"list", b});
  EXPECT_EQ(all.status, kExitSuccess) << all.err;
  EXPECT_NE(all.out.find("HKEY_USERS"), std::string::npos);
  Outcome one = run({"list", b, "hkcu\\software\\t\\", "--values"});
  EXPECT_EQ(one.status, kExitSuccess) << one.err;
  EXPECT_NE(one.out.find("Added"), std::string::npos);
  EXPECT_EQ(one.out.find("HKEY_USERS"), std::string::npos);
  Outcome none = run({"list", b, "HKCU\\Software\\Nope"});
  EXPECT_EQ(none.status, kExitError);
  EXPECT_NE(none.err.find("key not found: HKCU\\Software\\Nope"), std::string::npos);
}

TEST_F(ConsoleTest, ExportRegWritesEitherDirectionAndEncoding) {
  const std::string a = before();
  const std::string b = after();
  ASSERT_EQ(run({"export-reg", a, b, "--undo", path("undo.reg")}).status, kExitSuccess);
  EXPECT_EQ(read("undo.reg"),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n\"a\"=\"old\"\r\n"
            "\r\n[-HKEY_CURRENT_USER\\Software\\T\\Added]\r\n");
  ASSERT_EQ(run({"export-reg", "--unicode", a, b, "--redo", path("redo.reg")}).status,
            kExitSuccess);
  EXPECT_EQ(read("redo.reg").compare(0, 4, std::string("\xFF\xFEW\0", 4)), 0);
  EXPECT_EQ(run({"export-reg", a, b, "--redo", path("no-such-folder/x.reg")}).status, kExitError);
}

TEST_F(ConsoleTest, LiveCommandsNeedARegistry) {
  const Outcome outcome = run({"snapshot", path("live.rsv")});
  EXPECT_EQ(outcome.status, kExitError);
  EXPECT_NE(outcome.err.find("There is no registry"), std::string::npos);
  EXPECT_FALSE(fs::exists(path("live.rsv")));
  EXPECT_EQ(run({"compare", before(), "--live"}).status, kExitError);
}

}  // namespace
