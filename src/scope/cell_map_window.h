#pragma once
// The cell map window: an 8 x 8 view on the KGB table's axes in which each
// cell shows how many samples fell in it and their average lambda 1 and
// petrol injection time, on petrol or on gas, coloured by value; thin cells
// (fewer than ten samples) are greyed so they are not taken for measured ones.

#include <QWidget>
#include <array>

#include "app/screen.h"
#include "datalog/cell_stats.h"

class QLabel;
class QRadioButton;

namespace kelvo6::scope {

enum class AxesFrom { kExample, kEcu, kLog };

struct CellMapSource {
  const datalog::LogData* data = nullptr;
  std::array<int, 8> rpmAxis{650, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
  std::array<int, 8> tinjAxis{2000, 3500, 5000, 7000, 9000, 11000, 13000, 15000};
  AxesFrom axes = AxesFrom::kExample;  // where the axes come from, said under the map
  QString title;             // the log's file name, empty for the live session
};

constexpr int kThinCell = 10;

// The painted grid, apart so that it can be drawn and read in tests.
class CellGrid : public QWidget {
  Q_OBJECT
 public:
  explicit CellGrid(QWidget* parent = nullptr);
  void setMap(const datalog::CellMap& map) { map_ = map; update(); }
  void setFuel(datalog::Fuel f) { fuel_ = f; update(); }
  void setColourByLambda(bool byLambda) { byLambda_ = byLambda; update(); }
  // What cell (row, column) shows: "" when empty, else count, lambda and time.
  QString cellText(int row, int column) const;
  QColor cellColour(int row, int column) const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  datalog::CellMap map_;
  datalog::Fuel fuel_ = datalog::Fuel::kGas;
  bool byLambda_ = true;
};

class CellMapWindow : public app::Screen {
  Q_OBJECT
 public:
  explicit CellMapWindow(app::Context& ctx);
  void load() override;
  void showMap(const CellMapSource& source);
  CellGrid* grid() const { return grid_; }

 private:
  CellGrid* grid_;
  QRadioButton* petrol_;
  QRadioButton* gas_;
  QRadioButton* byLambda_;
  QRadioButton* byTime_;
  QLabel* note_;
};

}  // namespace kelvo6::scope
