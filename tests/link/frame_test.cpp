#include <gtest/gtest.h>

#include "link/frame.h"
#include "link/requests.h"

namespace kelvo6::link {
namespace {

TEST(Frame, RequestsCarryHeaderLengthAndData) {
  EXPECT_EQ(readSoftwareVersion(), (Bytes{0x50, 0x43, 0x00, 0x05, 0x07}));
  EXPECT_EQ(writeParameter(30, 300), (Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 0x1E, 0x01, 0x2C}));
  EXPECT_EQ(writeParameter(30, 850), (Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 0x1E, 0x03, 0x52}));
  EXPECT_EQ(writeParameter(30, 0), (Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 0x1E, 0x00, 0x00}));
  EXPECT_EQ(writeParameter(62, 1), (Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 0x3E, 0x00, 0x01}));
  EXPECT_EQ(writeParameter(4, 350), (Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 0x04, 0x01, 0x5E}));
  EXPECT_EQ(writeParameter(1, 65535), (Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 0x01, 0xFF, 0xFF}));
  EXPECT_EQ(cellWrite(17, 200), (Bytes{0x50, 0x43, 0x00, 0x07, 0x09, 0x11, 0xC8}));
  // The calibration-data request carries its two bytes even when they are zero.
  EXPECT_EQ(readCalibrationData(0), (Bytes{0x50, 0x43, 0x00, 0x07, 0x0A, 0x00, 0x00}));
  EXPECT_EQ(readCoilModeData(4), (Bytes{0x50, 0x43, 0x00, 0x06, 0x0D, 0x04}));
  EXPECT_EQ(startEndOfLineTest(6), (Bytes{0x50, 0x43, 0x00, 0x06, 0x0E, 0x06}));
}

TEST(Frame, EveryRequestIsFiveSixSevenOrNineBytesWithItsLengthInByteFour) {
  const Bytes all[] = {readParameterSet(), writeParameter(1, 2), readLiveData(),       switchFuel(),
                       restoreDefaults(),  enterDownloadMode(),  readSoftwareVersion(), readTable(),
                       cellWrite(1, 2),    readCalibrationData(110), calibrationOn(),   calibrationOff(),
                       readCoilModeData(4), startEndOfLineTest(4), readEndOfLineData(), readInjectorFlags()};
  int command = 1;
  for (const Bytes& f : all) {
    EXPECT_EQ(f[3], f.size());
    EXPECT_EQ(f[4], command++);
    EXPECT_TRUE(f.size() == 5 || f.size() == 6 || f.size() == 7 || f.size() == 9);
  }
}

TEST(Frame, AcceptanceDropsShortAndMislengthChunks) {
  EXPECT_FALSE(acceptChunk({}));
  EXPECT_FALSE(acceptChunk({0x50}));
  EXPECT_FALSE(acceptChunk({0x50, 0x43, 0x00}));
  Bytes live(43, 0);
  live[3] = 43;
  live[4] = 3;
  live[0] = 0xAA;  // header bytes are not examined
  auto r = acceptChunk(live);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->type(), 3);
  Bytes longer = live;
  longer.push_back(0x01);  // one stray byte: the whole chunk is dropped
  EXPECT_FALSE(acceptChunk(longer));
  Bytes firstHalf(64, 0);
  firstHalf[3] = 129;
  EXPECT_FALSE(acceptChunk(firstHalf));
  EXPECT_FALSE(acceptChunk(Bytes(65, 0)));
}

TEST(Frame, WordsAreUnsignedBigEndian) {
  Bytes b{0, 0, 0, 7, 1, 0xFF, 0xFF};
  Response r(b);
  EXPECT_EQ(r.word(6), 65535);
  EXPECT_EQ(r.byte(6), 255);
}

}  // namespace
}  // namespace kelvo6::link
