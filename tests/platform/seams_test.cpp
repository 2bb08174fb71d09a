#include <gtest/gtest.h>

#include "platform/memory/exit_trap.h"
#include "platform/memory/recording_messages.h"

namespace {

TEST(MessageSeam, RecordingSeamRecordsAndAnswersInOrder) {
  platform::ScopedMessages messages;
  messages.recorder.answers = {platform::kAnswerCancel};
  EXPECT_EQ(platform::showMessage("first", "cap", platform::kMsgOkCancel), platform::kAnswerCancel);
  EXPECT_EQ(platform::showMessage("second", "cap", platform::kMsgOk), platform::kAnswerOk);
  ASSERT_EQ(messages.recorder.shown.size(), 2u);
  EXPECT_EQ(messages.recorder.shown[1].text, "second");
}

TEST(ExitSeam, TrapTurnsExitIntoAnException) {
  platform::ExitTrap trap;
  try {
    platform::exitProgram(3);
    FAIL() << "exitProgram returned";
  } catch (const platform::ExitCalled& exit) {
    EXPECT_EQ(exit.status, 3);
  }
}

}  // namespace
