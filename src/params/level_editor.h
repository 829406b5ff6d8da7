#pragma once
// The level indicator editor Form14: the sender readings of an empty and a
// full tank (typed, or learnt from the live reading), the three lamp
// thresholds with their readings, and a live simulation of the dashboard lamps.

#include <array>
#include <memory>

#include "params/editor.h"

class QScrollBar;

namespace kelvo6::platform {
class Lamp;
}

namespace kelvo6::params {

class LevelEditor : public Editor {
  Q_OBJECT
 public:
  explicit LevelEditor(app::Context& ctx);
  ~LevelEditor() override;

  void load() override;
  void activate() override;
  void unload() override;
  void showParameter(int number, int value, const link::FieldRef& field) override;

 protected:
  void afterFill() override;
  void writeControlsChanged(bool write) override;
  void modify() override;
  int nextParameter() override;
  void writeFinished() override;
  QStringList extraMessages() const override;

 private:
  void applyLevelTexts();
  void learn(bool maximum);
  void liveTick();
  void showLamps();
  void showReading(int index, int min, int max, int percent);
  void setScroll(int index, int value);
  void scrolled(int index, int value);
  int switchModel();

  // Thresholds 1..3: parameter 16..18, field Text3..Text5, scroll bar, reading.
  std::array<QScrollBar*, 3> scrolls_{};
  std::array<QLabel*, 3> readings_{};
  std::array<QLineEdit*, 3> thresholdFields_{};
  platform::Lamp* reserveLamp_ = nullptr;
  std::array<platform::Lamp*, 4> levelLamps_{};  // Shape2, Shape3, Shape4, Shape5
  std::unique_ptr<platform::Timer> live_;
  bool learnMax_ = false;
  bool learnMin_ = false;
  int blink_ = 0;
};

}  // namespace kelvo6::params
