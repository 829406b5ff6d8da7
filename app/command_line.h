#pragma once
// The kelvo6 command line: one parser for the windowed program and for the
// runs that need no display (--help, --version, --check-port).

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <string>
#include <utility>
#include <vector>

#include "sim/options.h"

namespace kelvo6::program {

// The simulator's options as --sim-NAME options of this program.
struct SimulatorOptions {
  static constexpr const char* kPrefix = "--sim-";
  std::vector<std::pair<QCommandLineOption, const sim::SimOptionInfo*>> options;

  void addTo(QCommandLineParser& parser);
  // The ones given, as arguments for the simulator's parser ("--sim-drive", "demo", ...).
  std::vector<std::string> given(const QCommandLineParser& parser) const;
};

struct CommandLine {
  CommandLine();
  QCommandLineParser parser;
  QCommandLineOption simulate;
  QCommandLineOption port;
  QCommandLineOption checkPort;
  QCommandLineOption baud;
  SimulatorOptions simulator;
};

// Whether the arguments ask only for something printed (help, version, a
// line check), so the program must not need a window system.
bool needsNoDisplay(int argc, char** argv);

// Those runs, under a QCoreApplication; returns the exit code.
int runWithoutDisplay(int argc, char** argv);

}  // namespace kelvo6::program
