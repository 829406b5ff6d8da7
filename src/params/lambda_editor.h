#pragma once
// The lambda editor Form6: sensor type and lean/rich thresholds of both
// probes and the engine speed above which the lambda correction acts.

#include "params/editor.h"

namespace kelvo6::params {

class LambdaEditor : public Editor {
  Q_OBJECT
 public:
  explicit LambdaEditor(app::Context& ctx);
};

}  // namespace kelvo6::params
