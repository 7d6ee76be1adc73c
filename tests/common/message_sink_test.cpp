#include "hostseal/common/message_sink.hpp"

#include <gtest/gtest.h>

#include "tests/support/recording_sink.hpp"

namespace hostseal {
namespace {

TEST(MessageSink, StandardErrorSinkPrefixesTheToolName) {
  ::testing::internal::CaptureStderr();
  StandardErrorSink sink;
  sink.Show(u"warning - incorrect length field\r\nWrong key or keysize?");
  sink.Show(u"\u72B6\u6001\u680F");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "hostseal: warning - incorrect length field\r\nWrong key or keysize?\n"
            "hostseal: \xE7\x8A\xB6\xE6\x80\x81\xE6\xA0\x8F\n");
}

TEST(MessageSink, DefaultSinkCanBeReplacedAndRestored) {
  testing::RecordingSink recorder;
  MessageSink* before = SetDefaultMessageSink(&recorder);
  DefaultMessageSink().Show(u"one");
  EXPECT_EQ(SetDefaultMessageSink(before), &recorder);
  EXPECT_EQ(recorder.messages, std::vector<std::u16string>{u"one"});
  EXPECT_NE(&DefaultMessageSink(), &recorder);
}

}  // namespace
}  // namespace hostseal
