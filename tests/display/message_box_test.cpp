#include <gtest/gtest.h>

#include "display/messages.h"
#include "platform/call_log.h"
#include "platform/win32.h"

namespace {

// Under the tests' offscreen driver no box may wait for a click: the text goes
// to standard error, in UTF-8, and the call is noted.
TEST(MessageBoxA, WithoutARealScreenTheTextGoesToStandardErrorAndIsNoted) {
  platform::CallLog log;
  platform::SetActiveCallLog(&log);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, display_text::kSetupFailed, display_text::kCaption, MB_OK), 1);
  EXPECT_EQ(MessageBoxA(nullptr, "\x82", "Morvex2", MB_OK), 1);  // a broken text still shows
  const std::string err = ::testing::internal::GetCapturedStderr();
  platform::SetActiveCallLog(nullptr);
  EXPECT_NE(err.find("Morvex2: DirectDraw\xe3\x81\xae\xe3\x82\xbb"), std::string::npos) << err;
  ASSERT_EQ(log.Calls().size(), 2u);
  EXPECT_EQ(log.Calls()[0], (platform::RecordedCall{"MessageBox", {}, display_text::kSetupFailed}));
}

}  // namespace
