#pragma once
// The cutoff editor Form10: the engine speed and the injection-time threshold
// at which the ECU enters fuel cutoff.

#include "params/editor.h"

namespace kelvo6::params {

class CutoffEditor : public Editor {
  Q_OBJECT
 public:
  explicit CutoffEditor(app::Context& ctx);

 protected:
  void afterFill() override;
  // The KGB in CUTOFF field holds no parameter: a Modify that is taken drops
  // what was typed there, so that the window never shows it as if stored.
  void modify() override;
};

}  // namespace kelvo6::params
