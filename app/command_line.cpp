#include "command_line.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "check_port.h"

namespace kelvo6::program {

void SimulatorOptions::addTo(QCommandLineParser& parser) {
  for (const sim::SimOptionInfo& info : sim::simOptionTable()) {
    if (!info.inProcess) continue;
    QString help = QString::fromUtf8(info.help).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QCommandLineOption o(QStringLiteral("sim-") + QString::fromLatin1(info.name), QStringLiteral("Simulator: ") + help,
                         info.value ? QString::fromLatin1(info.value) : QString());
    parser.addOption(o);
    options.emplace_back(o, &info);
  }
}

std::vector<std::string> SimulatorOptions::given(const QCommandLineParser& parser) const {
  std::vector<std::string> args;
  for (const auto& [o, info] : options) {
    if (!parser.isSet(o)) continue;
    for (const QString& value : info->value ? parser.values(o) : QStringList{QString()}) {
      args.push_back(std::string(kPrefix) + info->name);
      if (info->value) args.push_back(value.toStdString());
    }
  }
  return args;
}

CommandLine::CommandLine()
    : simulate(QStringLiteral("simulate"),
               QStringLiteral("Talk to a simulated ECU on port 1; the --sim- options set it up.")),
      port(QStringLiteral("port"),
           QStringLiteral("Point port 1 at PORT: a device (/dev/ttyUSB0), tcp://HOST:PORT (a raw serial server) or "
                          "rfc2217://HOST:PORT (a telnet COM-port server; the program sets the line through it)."),
           QStringLiteral("PORT")),
      checkPort(QStringLiteral("check-port"),
                QStringLiteral("Without windows: open PORT (device or URL as for --port), read the ECU's software "
                               "version and parameter set, print the version, the round-trip time and the port "
                               "settings in effect; exit 0, or print the reason and exit 1."),
                QStringLiteral("PORT")),
      baud(QStringLiteral("baud"), QStringLiteral("Baud rate for --check-port (default 9600)."), QStringLiteral("N")) {
  parser.setApplicationDescription(QStringLiteral("KELVO6 workshop tool"));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption(simulate);
  parser.addOption(port);
  parser.addOption(checkPort);
  parser.addOption(baud);
  simulator.addTo(parser);
}

bool needsNoDisplay(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    for (const char* name : {"-h", "-?", "--help", "--help-all", "-v", "--version", "--check-port"}) {
      std::size_t n = std::strlen(name);
      if (std::strncmp(a, name, n) == 0 && (a[n] == '\0' || (a[n] == '=' && name[1] == '-'))) return true;
    }
  }
  return false;
}

int runWithoutDisplay(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kelvo6"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KELVO6_PROGRAM_VERSION));
  CommandLine line;
  line.parser.process(application);  // prints help or version and exits, or stops on a bad option
  if (!line.parser.isSet(line.checkPort)) return 0;
  int baud = 9600;
  if (line.parser.isSet(line.baud)) {
    bool ok = false;
    baud = line.parser.value(line.baud).toInt(&ok);
    if (!ok || baud <= 0) {
      std::fprintf(stderr, "kelvo6: --baud %s: not a baud rate\n", qPrintable(line.parser.value(line.baud)));
      return 2;
    }
  }
  return checkPortAndReport(line.parser.value(line.checkPort).toStdString(), baud, stdout, stderr);
}

}  // namespace kelvo6::program
