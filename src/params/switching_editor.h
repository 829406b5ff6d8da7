#pragma once
// The switching editor Form11: when and how the ECU changes over between
// petrol and gas, and the fuel switch model (which brings its own level
// indicator thresholds).

#include "params/editor.h"

namespace kelvo6::params {

class SwitchingEditor : public Editor {
  Q_OBJECT
 public:
  explicit SwitchingEditor(app::Context& ctx);

 protected:
  void captureExtra(Capture& capture, std::vector<Problem>& problems) override;
};

}  // namespace kelvo6::params
