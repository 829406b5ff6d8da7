#pragma once
// How the multi-point window draws its two tables: their place, the colours
// that mark covered, changed, measured and extrapolated cells, and where an
// operating point sits over a table.

#include <QPoint>
#include <array>

#include "calib/multipoint_fit.h"
#include "core/colour.h"

namespace kelvo6::calib {

constexpr int kWindowWidth = 1180;
constexpr int kWindowHeight = 700;
constexpr int kGridCellWidth = 60;
constexpr int kGridCellHeight = 26;
constexpr int kMarkerSize = 20;
// Top-left corner of cell 1 of each table; the axes lie above and to the left.
constexpr QPoint kCurrentTable{76, 92};
constexpr QPoint kProposedTable{650, 92};

struct GridGeometry {
  QPoint origin;
  int left = origin.x();
  int top = origin.y();
  int cellLeft(int column) const { return left + kGridCellWidth * column; }
  int cellTop(int row) const { return top + kGridCellHeight * row; }
};

constexpr core::Rgb kCoveredBack{200, 240, 200};  // a cell of the ECU's table holding a point
constexpr core::Rgb kHigherBack{255, 200, 200};   // proposed above the ECU's value
constexpr core::Rgb kLowerBack{200, 220, 255};    // proposed below it
constexpr core::Rgb kMeasuredFore = core::colour::kBlue;
constexpr core::Rgb kAtLimitFore = core::colour::kRed;
constexpr core::Rgb kPlainFore = core::colour::kBlack;
constexpr core::Rgb kExtrapolatedFore{128, 128, 128};

// How one proposed cell is shown.
struct CellLook {
  core::Rgb back = core::colour::kWhite;
  core::Rgb fore = kPlainFore;
  bool bold = false;
  bool italic = false;
  friend bool operator==(const CellLook&, const CellLook&) = default;
};
CellLook proposedLook(int proposed, int ecu, CellBasis basis);

// The centre of an operating point over a table, in window pixels: where the
// calibration window's marker centre would be, so always over the cell the
// point falls in; between axis points by the marker's interpolation.
QPoint pointCentre(const GridGeometry& grid, int rpm, int injectionTime, const std::array<int, 8>& rpmAxis,
                   const std::array<int, 8>& tinjAxis);

}  // namespace kelvo6::calib
