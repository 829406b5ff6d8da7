#pragma once
// What every window is given: the shared state, its clock, the desktop
// services, the connection to the ECU and the navigator.

#include "core/shared.h"
#include "platform/desktop.h"
#include "platform/scheduler.h"

namespace kelvo6::history {
class Hooks;
}

namespace kelvo6::app {

class Connection;
class Navigator;

struct Context {
  core::Shared& shared;
  platform::Scheduler& scheduler;
  platform::Desktop& desktop;
  Connection& connection;
  Navigator& navigator;
  history::Hooks* history = nullptr;  // nothing when the program keeps no history
};

}  // namespace kelvo6::app
