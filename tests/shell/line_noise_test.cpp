// What the line delivers besides whole answers, on a scripted ECU: cut
// answers and stray bytes never act as an answer, and never hide the answers
// behind them.

#include <gtest/gtest.h>

#include "calib/session.h"
#include "core/shared.h"
#include "status/status_support.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

Frame slice(const Frame& f, long from, long to) { return Frame(f.begin() + from, f.begin() + to); }

TEST(LineNoise, TheTailOfALiveAnswerNeverConfirmsCalibrationMode) {
  Harness h({.simulatedEcu = false});
  h.click("Form1", "Command4");  // English
  openCalibrationByHand(h, {}, 110, CalibrationBlock{});
  h.click("Form16", "Command9");
  // Bytes 20..38 of a live-data answer, and 100 ms later its bytes 39..43,
  // which read 00 00 00 05 0B: the shape of a "calibration on" answer.
  Live v;
  v.state = 5;
  v.fuelFlag = 0x0B;
  const Frame live = liveFrame(v);
  ASSERT_EQ(slice(live, 38, 43), (Frame{0x00, 0x00, 0x00, 0x05, 0x0B}));
  h.reply(slice(live, 19, 38));
  h.advance(100);
  h.reply(slice(live, 38, 43));
  h.advance(20);
  EXPECT_FALSE(h.shared().received.calOnAck);
  EXPECT_NE(h.window("Form16")->windowTitle(), "KELVO6 - Calibration Active");
  // The ECU's own answer is taken as it arrives.
  h.reply(answer(11, {}));
  EXPECT_EQ(h.window("Form16")->windowTitle(), "KELVO6 - Calibration Active");
}

TEST(LineNoise, StrayBytesLikeALongAnswersStartDoNotSwallowTheAnswersBehind) {
  // The start of a 129-byte answer, with another header and with the ECU's own.
  for (const Frame& stray : {Frame{0x45, 0x43, 0x00, 0x81, 0x01}, Frame{0x50, 0x43, 0x00, 0x81, 0x01}}) {
    SCOPED_TRACE(stray[0]);
    Harness h({.simulatedEcu = false});
    Live v;
    openStatusByHand(h, {{1, 4}}, v);
    ASSERT_TRUE(h.window("Form3"));
    int rpm = 1000;
    for (int gapMs : {0, 5, 10, 800}) {
      SCOPED_TRACE(gapMs);
      h.reply(stray);
      h.advance(gapMs);
      v.rpm = rpm += 100;
      h.reply(liveFrame(v));
      h.advance(300);  // the next poll tick shows it
      EXPECT_EQ(text(h, "Text6")->text(), QString::number(rpm));
    }
  }
}

}  // namespace
}  // namespace kelvo6::testing
