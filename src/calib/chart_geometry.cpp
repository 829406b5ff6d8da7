#include "calib/chart_geometry.h"

#include <cstdlib>

#include "core/rounding.h"

namespace kelvo6::calib {

std::int16_t chartY(int kgb) {
  // 368 - (32 KGB - 3200) / 10 = (6880 - 32 KGB) / 10.
  return static_cast<std::int16_t>(core::roundedQuotient(6880 - 32LL * kgb, 10));
}

const std::array<core::Rgb, kCurves> kCurveColours{{
    {255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {0, 0, 0}, {0, 0, 255}, {255, 0, 255},
}};

std::vector<ChartPoint> hitPoints(int x, int y, const CurveYs& ys) {
  std::vector<ChartPoint> hits;
  for (int r = 1; r <= kCurves; ++r)
    for (int c = 1; c <= kColumns; ++c) {
      int py = ys[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
      if (std::abs(x - chartX(c)) <= 2 && std::abs(y - py) <= 2) hits.push_back({r, c});
    }
  return hits;
}

const std::array<std::array<int, kColumns>, kCurves> kExampleChart{{
    {100, 90, 120, 110, 140, 130, 160},
    {100, 100, 120, 120, 140, 140, 160},
    {100, 110, 120, 130, 140, 150, 160},
    {100, 120, 120, 140, 140, 160, 160},
    {100, 130, 120, 150, 140, 170, 160},
    {100, 140, 120, 160, 140, 180, 160},
}};
const std::array<int, kColumns> kExampleChartTinj{3000, 5000, 7000, 9000, 11000, 13000, 15000};
const std::array<int, kCurves> kExampleChartRpm{1000, 2000, 3000, 4000, 5000, 6000};

}  // namespace kelvo6::calib
