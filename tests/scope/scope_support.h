#pragma once
// Helpers of the oscilloscope tests: a temporary HOME for the logs folder and
// the way to the oscilloscope from the start-up window.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QByteArray>
#include <filesystem>
#include <string>

#include "scope/oscilloscope_window.h"
#include "support/harness.h"

namespace kelvo6::testing {

// HOME pointed at a fresh folder for the life of the test.
class TempHome : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = qgetenv("HOME");
    char pattern[] = "/tmp/kelvo6-home-XXXXXX";
    home_ = ::mkdtemp(pattern);
    ::setenv("HOME", home_.c_str(), 1);
  }
  void TearDown() override {
    ::setenv("HOME", saved_.constData(), 1);
    std::filesystem::remove_all(home_);
  }
  std::string logs() const { return home_ + "/TAVRIN_IE/Logs"; }
  // The recordings in the logs folder, oldest name first.
  std::vector<std::string> recordings() const {
    std::vector<std::string> out;
    if (std::filesystem::exists(logs()))
      for (const auto& e : std::filesystem::directory_iterator(logs())) out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  std::string home_;
  QByteArray saved_;
};

// MENU, the handshake with the simulated ECU, and the main menu's Command7.
inline void openOscilloscope(Harness& h) {
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command7");
}

inline scope::OscilloscopeWindow* scopeOf(Harness& h) {
  return qobject_cast<scope::OscilloscopeWindow*>(h.window("Oscilloscope"));
}

}  // namespace kelvo6::testing
