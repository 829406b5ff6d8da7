#include "params/compare_diff.h"

namespace kelvo6::params {

namespace {

template <class Pick>
Configuration configuration(const core::Shared& s, Pick pick) {
  Configuration c;
  for (int n = 1; n <= platform::kWorkbookParams; ++n) c.params[static_cast<std::size_t>(n - 1)] = pick(s.param(n));
  for (int n = 1; n <= platform::kWorkbookCells; ++n) c.cells[static_cast<std::size_t>(n - 1)] = pick(s.cell(n));
  return c;
}

template <std::size_t N>
std::vector<Difference> differing(const std::array<int, N>& left, const std::array<int, N>& right) {
  std::vector<Difference> out;
  for (std::size_t i = 0; i < N; ++i)
    if (left[i] != right[i]) out.push_back({static_cast<int>(i) + 1, left[i], right[i]});
  return out;
}

}  // namespace

Configuration ecuConfiguration(const core::Shared& s) {
  return configuration(s, [](const core::ValuePair& v) { return v.ecu; });
}

Configuration pendingConfiguration(const core::Shared& s) {
  return configuration(s, [](const core::ValuePair& v) { return v.pending; });
}

void setPending(core::Shared& s, const Configuration& values) {
  for (int n = 1; n <= platform::kWorkbookParams; ++n)
    s.param(n).pending = values.params[static_cast<std::size_t>(n - 1)];
  for (int n = 1; n <= platform::kWorkbookCells; ++n)
    s.cell(n).pending = values.cells[static_cast<std::size_t>(n - 1)];
}

Differences compareConfigurations(const Configuration& left, const Configuration& right) {
  return {differing(left.params, right.params), differing(left.cells, right.cells)};
}

}  // namespace kelvo6::params
