// The Qt side of the window's run: the host that runs a library on a worker
// thread and hands everything back to the interface thread, the bindings of
// the progress panel's models, and the coverage bar drawn in a list column.
#pragma once

#include <functional>

#include <QObject>
#include <QProgressBar>
#include <QStyledItemDelegate>

#include "window/LanguageCoverage.h"
#include "window/WindowRun.h"

class QThread;

namespace sw::ui {

// Runs one job at a time on its own QThread. `done` and posted tasks run on
// the thread that owns the host (the interface thread), in the order they
// were posted, the job's `done` last. Destroying the host waits for a job
// still running and drops what it had not yet delivered.
class QtRunHost : public QObject, public IRunHost {
 public:
  explicit QtRunHost(QObject* parent = nullptr);
  ~QtRunHost() override;

  void RunInBackground(std::function<void()> work, std::function<void()> done) override;
  void Post(std::function<void()> task) override;
  bool Busy() const { return thread_ != nullptr; }
  // Blocks until the job's work has ended (its `done` still comes through the event loop).
  void WaitForWork();

 private:
  QThread* thread_ = nullptr;
};

void Bind(TProgressBarModel& model, QProgressBar* bar);
void Bind(TPanelModel& model, QWidget* panel);

// Draws a coverage cell: a bar with the percentage for a known coverage,
// the cell's text otherwise, its details as the tool tip.
class CoverageDelegate : public QStyledItemDelegate {
 public:
  CoverageDelegate(std::function<TCoverageCell(int row)> cellOf, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;

 private:
  std::function<TCoverageCell(int row)> cellOf_;
};

}  // namespace sw::ui
