#pragma once
// The compare window: what sending a vehicle workbook would change in the ECU
// (or how two workbooks differ), shown without sending anything. Every
// differing parameter with its number, meaning, unit and both values, the KGB
// table as an 8 x 8 grid with the differing cells marked, and the count. From
// here the fitter sends the workbook through the hub's bulk transfer, or closes.

#include <QString>
#include <array>
#include <functional>

#include "app/screen.h"
#include "params/compare_diff.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace kelvo6::params {

struct CompareSide {
  QString name;  // the ECU, or a workbook's file name
  Configuration values;
};

class CompareWindow : public app::Screen {
  Q_OBJECT
 public:
  explicit CompareWindow(app::Context& ctx);
  void load() override;

  // Shows `right` against `left`. With `send`, the send button hands the right
  // side's values to it and closes the window; without, there is no send.
  void showComparison(const CompareSide& left, const CompareSide& right,
                      std::function<void(const Configuration&)> send);

 private:
  void fillParameters(const Differences& d);
  void fillGrid(const Differences& d);
  void sendAndClose();

  QLabel* count_ = nullptr;
  QLabel* gridHeading_ = nullptr;
  QTableWidget* params_ = nullptr;
  std::array<QLabel*, 64> cells_{};
  std::array<QLabel*, 8> rpmAxis_{}, tinjAxis_{};
  QPushButton* send_ = nullptr;
  QPushButton* exit_ = nullptr;
  CompareSide left_, right_;
  std::function<void(const Configuration&)> sendTo_;
};

}  // namespace kelvo6::params
