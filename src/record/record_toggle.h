#pragma once
// The Record toggle that a window adds after its own buttons: a checkable
// button and a line that shows the elapsed time and file size while recording,
// and why a recording stopped. It records what its window already polls (the
// answers of the given types) and so adds no frame to the line. A new
// handshake (another ECU, or the same one after a reconnect) ends the file:
// the recording goes on in a new file whose first line is the new ECU's, so
// no row carries another ECU's context.

#include <QWidget>
#include <memory>

#include "app/context.h"
#include "datalog/recorder.h"
#include "link/answer_observer.h"
#include "platform/scheduler.h"

class QLabel;
class QPushButton;

namespace kelvo6::record {

class RecordToggle : public QWidget, public link::AnswerObserver {
  Q_OBJECT
 public:
  // The status line beside the button, or under it where a window has no
  // room in its button row (it then wraps).
  enum class Arrangement { kInRow, kStacked };
  // `buttonName` is the button's objectName ("Command3" on the status window).
  RecordToggle(app::Context& ctx, QWidget* parent, datalog::RecordingKind kind, const QString& buttonName,
               Arrangement arrangement = Arrangement::kInRow);
  ~RecordToggle() override;

  // Texts for the language; the button is usable only while connected.
  void setLanguage(int language);
  void setAvailable(bool available);
  // Ends a recording, if one runs (the window closes, a log is opened).
  void stop();
  bool recording() const { return recorder_ != nullptr; }
  QString path() const;
  // Watches for the answers of a new handshake while recording.
  void answerHandled(int type, std::int64_t atMs) override;

 private:
  void toggled(bool on);
  void start();
  void refresh();
  void finish(const QString& message, bool failed);
  void closeFile();

  bool awaitingNewEcu_ = false;  // the version of a new handshake came; its parameters not yet
  QString note_;                 // shown under the elapsed time and size

  app::Context& ctx_;
  datalog::RecordingKind kind_;
  QPushButton* button_;
  QLabel* status_;
  std::unique_ptr<datalog::Recorder> recorder_;
  std::unique_ptr<platform::Timer> refresh_;
  int language_ = 1;
};

}  // namespace kelvo6::record
