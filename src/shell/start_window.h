#pragma once
// The start-up window Form1: language, connected or not-connected mode, serial
// settings, MENU and EXIT. It lives for the whole run; closing it ends the program.

#include "app/screen.h"

class QPushButton;
class QLineEdit;
class QLabel;

namespace kelvo6::shell {

class StartWindow : public app::Screen {
  Q_OBJECT
 public:
  explicit StartWindow(app::Context& ctx);
  void load() override;
  void activate() override;
  void unload() override;

 private:
  void chooseLanguage(int language);
  void toggleNotConnected();
  void menu();
  void serialSettings();
  void showModeTitle(bool onLanguageButton);

  QPushButton* menu_;
  QPushButton* exit_;
  QPushButton* serial_;
  QPushButton* notConnected_;
  QLineEdit* version_;
  QLabel* versionHeading_;
};

// This program's version, shown on the start-up window.
constexpr const char* kProgramVersion = "1.5.0";

}  // namespace kelvo6::shell
