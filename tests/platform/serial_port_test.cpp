// The real serial path over a pseudo-terminal: QSerialPort on one side, the
// simulated ECU served on the other, the chunker and dispatcher between.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "link/chunker.h"
#include "link/dispatcher.h"
#include "link/requests.h"
#include "platform/qt_serial_port.h"
#include "sim/ecu.h"
#include "sim/pty_server.h"
#include "support/harness.h"

namespace kelvo6::platform {
namespace {

class PtyLine : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ensureApplication();
    std::string error;
    ASSERT_TRUE(server.open(&error)) << error;
    thread = std::thread([this] { server.run(); });
    port.onReceived = [this](const std::uint8_t* d, std::size_t n) {
      for (const auto& chunk : chunker.feed(d, n, 0)) dispatcher.handle(chunk);
    };
  }
  void TearDown() override {
    server.stop();
    thread.join();
  }
  // Waits (bounded) until the condition holds, delivering input as it comes.
  template <class F>
  bool waitFor(F done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 5000) port.waitForInput(100);
    return done();
  }

  sim::Ecu ecu;
  sim::PtyServer server{ecu};
  std::thread thread;
  QtSerialPort port;
  core::Shared shared;
  link::NullDisplay display;
  link::Dispatcher dispatcher{shared, display};
  link::Chunker chunker{1000000};  // one clock value: no idle-gap drops in this test
};

TEST_F(PtyLine, WholeAnswersCrossTheRealSerialPort) {
  std::string error;
  ASSERT_TRUE(port.open(server.devicePath(), *parseSerialSettings("57600,n,8,1"), &error)) << error;
  port.write(link::readParameterSet());
  ASSERT_TRUE(waitFor([&] { return shared.received.paramSet; }));
  EXPECT_EQ(shared.param(29).ecu, 1300);
  port.write(link::readTable());
  ASSERT_TRUE(waitFor([&] { return shared.received.table; }));
  EXPECT_EQ(shared.cell(64).ecu, 115);
  EXPECT_EQ(port.bytesWritten(), 10u);
  EXPECT_EQ(port.bytesReceived(), 129u + 69u);
}

TEST_F(PtyLine, AllByteValuesPassUnchanged) {
  std::string error;
  ASSERT_TRUE(port.open(server.devicePath(), *parseSerialSettings("9600,n,8,1"), &error)) << error;
  shared.param(1).pending = 0xFF13;  // bytes that a text mapping or flow control would eat
  ecu.setParam(1, 0);
  port.write(link::writeParameter(1, 0xFF13));
  ASSERT_TRUE(waitFor([&] { return shared.param(1).ecu == 0xFF13; }));
  EXPECT_EQ(ecu.param(1), 0xFF13);
}

TEST_F(PtyLine, OneAndAHalfStopBitsAndOddSettingsOpen) {
  std::string error;
  EXPECT_TRUE(port.open(server.devicePath(), *parseSerialSettings("110,o,5,1.5"), &error)) << error;
  port.close();
  EXPECT_FALSE(port.open(server.devicePath(), *parseSerialSettings("9600,n,4,1"), &error));
  EXPECT_FALSE(error.empty());
}

TEST(SerialPort, AMissingDeviceFailsWithTheSystemsReason) {
  testing::ensureApplication();
  QtSerialPort port;
  std::string error;
  EXPECT_FALSE(port.open("/dev/kelvo6-no-such-device", *parseSerialSettings("9600,n,8,1"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(port.isOpen());
  port.write(link::readLiveData());  // writing to a closed port does nothing
  EXPECT_EQ(port.bytesWritten(), 0u);
}

TEST(SerialPort, ConventionalDevicesFollowThePortNumber) {
  EXPECT_EQ(conventionalDevice(1), "/dev/ttyS0");
  EXPECT_EQ(conventionalDevice(4), "/dev/ttyS3");
}

}  // namespace
}  // namespace kelvo6::platform
