// The simulator's options, the same for kelvo6-ecusim and the simulator inside
// kelvo6, and what they set up; the pseudo-terminal's line speed; held steps
// announced and moved on.

#include "sim/options.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>

#include "link/requests.h"
#include "sim/hold_control.h"
#include "sim/pty_server.h"

namespace kelvo6::sim {
namespace {

// A file with `text`, removed at the end of the test.
class TempFile {
 public:
  explicit TempFile(const std::string& text) {
    char name[] = "/tmp/kelvo6-sim-options-XXXXXX";
    int fd = ::mkstemp(name);
    ::close(fd);
    path = name;
    std::ofstream(path) << text;
  }
  ~TempFile() { std::remove(path.c_str()); }
  std::string path;
};

TEST(SimOptions, EveryOptionSetsUpTheSimulator) {
  TempFile drive("800 8% 5s\n2500 5200us hold\n");
  std::string map;
  for (int n = 1; n <= 64; ++n) map += std::to_string(100 + n % 16) + (n % 8 ? " " : "\n");
  TempFile trueMap(map);
  std::string error;
  auto o = parseSimOptions({"--baud", "9600", "--drive", drive.path, "--true-map", trueMap.path, "--seed", "7",
                            "--latency", "12", "--version", "2.5.3", "--drop", "3", "--split", "4", "--late", "20",
                            "--stray", "5", "--wrong-echo", "4:2", "--eol-fail", "--manual-key", "--link", "/tmp/x",
                            "--state", "/tmp/y"},
                           &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->pacing, SimOptions::Pacing::kFixed);
  EXPECT_EQ(o->link, "/tmp/x");
  EXPECT_EQ(o->stateFile, "/tmp/y");
  Ecu ecu;
  applySimOptions(*o, ecu);
  EXPECT_EQ(ecu.lineBaud(), 9600);
  EXPECT_EQ(ecu.memory().version, (std::array<int, 3>{2, 5, 3}));
  EXPECT_EQ(ecu.engine().trueMap(), *TrueMap::load(trueMap.path, nullptr));
  EXPECT_EQ(ecu.faults().dropEvery, 3);
  EXPECT_EQ(ecu.faults().splitGapMs, 4);
  EXPECT_EQ(ecu.faults().extraLatencyMs, 20);
  EXPECT_EQ(ecu.faults().strayByteEvery, 5);
  EXPECT_EQ(ecu.faults().wrongEchoParam, 4);
  EXPECT_EQ(ecu.faults().wrongEchoCount, 2);
  ecu.advanceTo(6000);
  ASSERT_TRUE(ecu.engine().waitingAt());  // the drive is in its held step
  EXPECT_EQ(ecu.engine().waitingAt()->rpm, 2500);
  // The latency and the late answers: after the request's 5 bytes at 9600 baud
  // (5.21 ms), 12 + 20 ms, and the answer's own 8 bytes (8.33 ms).
  ecu.faults().dropEvery = 0;
  ecu.faults().splitGapMs = -1;
  ecu.receive(link::readSoftwareVersion(), 10000);
  EXPECT_EQ(ecu.nextDueMs(), 10000 + 46);

  auto flat = parseSimOptions({"--true-kgb", "112", "--baud", "port"}, &error);
  ASSERT_TRUE(flat) << error;
  EXPECT_EQ(flat->pacing, SimOptions::Pacing::kPort);
  EXPECT_EQ(flat->trueMap, TrueMap::flat(112));
  auto plain = parseSimOptions({}, &error);
  EXPECT_EQ(plain->pacing, SimOptions::Pacing::kProgramDefault);
  EXPECT_EQ(parseSimOptions({"--drive", "demo"}, &error)->drive, Drive::demo());
}

TEST(SimOptions, BadOptionsAreRefusedNamingTheOptionAndTheLine) {
  TempFile badDrive("800 8% 5s\n2500 fast 10s\n");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--speed", "3"}, "unknown option --speed"},
      {{"drive"}, "unknown option drive"},
      {{"--baud"}, "--baud needs a value (N|port|off)"},
      {{"--baud", "9600x"}, "--baud 9600x: not a rate from 50 to 4000000, port or off"},
      {{"--baud", "10"}, "--baud 10: not a rate from 50 to 4000000, port or off"},
      {{"--drive", badDrive.path}, "--drive " + badDrive.path + ": line 2: \"fast\" is not a load (0% to 100%, 0us to 65535us, or cutoff)"},
      {{"--drive", "/nonexistent/d"}, "--drive /nonexistent/d: cannot read /nonexistent/d"},
      {{"--true-kgb", "256"}, "--true-kgb 256: not a whole number from 1 to 255"},
      {{"--true-kgb", "110", "--true-map", badDrive.path}, "--true-map " + badDrive.path + ": line 1: 800 is not a coefficient from 1 to 255"},
      {{"--latency", "-1"}, "--latency -1: not a whole number from 0 to 60000"},
      {{"--version", "2.4"}, "--version 2.4: must be A.B.C, each 0 to 255"},
      {{"--version", "2.4.256"}, "--version 2.4.256: must be A.B.C, each 0 to 255"},
      {{"--wrong-echo", "63"}, "--wrong-echo 63: must be P or P:K, P a parameter 1 to 62, K a count"},
      {{"--wrong-echo", "4:"}, "--wrong-echo 4:: must be P or P:K, P a parameter 1 to 62, K a count"},
  };
  for (const auto& [args, message] : cases) {
    std::string error;
    EXPECT_FALSE(parseSimOptions(args, &error)) << message;
    EXPECT_EQ(error, message);
  }
  std::string error;
  TempFile map(std::string(64 * 4, ' ').replace(0, 3, "110"));
  EXPECT_FALSE(parseSimOptions({"--true-kgb", "110", "--true-map", map.path}, &error));
  // With the prefix of a program that has options of its own.
  EXPECT_FALSE(parseSimOptions({"--sim-baud", "1"}, &error, "--sim-"));
  EXPECT_EQ(error, "--sim-baud 1: not a rate from 50 to 4000000, port or off");
  EXPECT_FALSE(parseSimOptions({"--baud", "9600"}, &error, "--sim-"));
  EXPECT_EQ(error, "unknown option --baud");
}

TEST(SimOptions, HelpListsEachOptionOnceAndOnlyTheInProcessOnesForKelvo6) {
  const std::string all = simOptionsHelp("--", false), inProcess = simOptionsHelp("--sim-", true);
  for (const SimOptionInfo& o : simOptionTable()) {
    EXPECT_NE(all.find(std::string("--") + o.name + " "), std::string::npos) << o.name;
    EXPECT_EQ(inProcess.find(std::string("--sim-") + o.name + " ") != std::string::npos, o.inProcess) << o.name;
  }
  std::size_t start = 0;
  for (std::size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 80u) << all.substr(start, end - start);
}

TEST(PtyServer, FollowsTheBaudRateTheProgramSetsOnTheLine) {
  Ecu ecu;
  PtyServer server(ecu);
  std::string error;
  ASSERT_TRUE(server.open(&error)) << error;
  int fd = ::open(server.devicePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios t{};
  ASSERT_EQ(::tcgetattr(fd, &t), 0);
  ::cfsetispeed(&t, B57600);
  ::cfsetospeed(&t, B57600);
  ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
  EXPECT_EQ(server.lineSpeed(), 57600);
  ::cfsetospeed(&t, B9600);
  ::tcsetattr(fd, TCSANOW, &t);
  EXPECT_EQ(server.lineSpeed(), 9600);
  ::close(fd);
}

TEST(HoldControl, SaysWhereTheEngineIsHeldAndGoesOnWhenAsked) {
  Ecu ecu;
  ecu.engine().setDrive(*Drive::parse("2500 30% hold\n3000 5200us hold\n800 8% 1s\n", nullptr));
  char buffer[512] = {};
  std::FILE* notices = ::fmemopen(buffer, sizeof buffer, "w");
  HoldControl control(ecu, notices, "press Enter");
  control.tick(false);
  control.tick(false);  // said once
  control.tick(true);
  control.tick(true);   // off the last hold: nothing more to say
  std::fclose(notices);
  EXPECT_EQ(std::string(buffer),
            "simulated engine held at 2500 rpm, 30 % load: press Enter to go on\n"
            "simulated engine held at 3000 rpm, 5200 us: press Enter to go on\n");
  EXPECT_FALSE(ecu.engine().waitingAt());
  installGoOnSignal();
  EXPECT_FALSE(takeGoOnSignal());
  ::raise(SIGUSR1);
  ::raise(SIGUSR1);
  EXPECT_TRUE(takeGoOnSignal());
  EXPECT_FALSE(takeGoOnSignal());
}

}  // namespace
}  // namespace kelvo6::sim
