#pragma once
// The other-parameters editor Form13: the installation data of the kit (coils,
// injectors, calibration pressure and temperature, temperature limits, the
// pressure-corrective speed and the sensor and injector models).

#include "params/editor.h"

namespace kelvo6::params {

class OtherEditor : public Editor {
  Q_OBJECT
 public:
  explicit OtherEditor(app::Context& ctx);
};

}  // namespace kelvo6::params
