// What the main window needs to run a library without blocking itself: a
// host that runs the work off the interface thread and hands results back to
// it, and the models of the progress panel (language n of m, files done of
// total, a progress bar, Cancel). The run itself is the run service's
// (LibraryRun.h), unchanged: the host only decides on which thread it runs.
#pragma once

#include <functional>
#include <string>

#include "window/Controls.h"

namespace sw {

class IRunHost {
 public:
  virtual ~IRunHost() = default;
  // Runs `work` off the interface thread, then `done` on the interface
  // thread. One job at a time.
  virtual void RunInBackground(std::function<void()> work, std::function<void()> done) = 0;
  // Queues `task` to the interface thread; callable from any thread, tasks
  // run in the order they were posted and before the job's `done`.
  virtual void Post(std::function<void()> task) = 0;
};

// Runs everything in place, on the calling thread: for tests and for a
// window that has no host.
class TInPlaceRunHost : public IRunHost {
 public:
  void RunInBackground(std::function<void()> work, std::function<void()> done) override {
    work();
    done();
  }
  void Post(std::function<void()> task) override { task(); }
};

// A progress bar: `Max` 0 shows a busy bar without a position.
class TProgressBarModel : public TControlModel {
 public:
  using TControlModel::TControlModel;
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetRange(int max, int position) {
    if (max_ == max && position_ == position) return;
    max_ = max;
    position_ = position;
    Changed();
  }

 private:
  int max_ = 0;
  int position_ = 0;
};

// A panel the logic shows and hides.
class TPanelModel : public TControlModel {
 public:
  using TControlModel::TControlModel;
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Changed();
  }

 private:
  bool visible_ = false;
};

}  // namespace sw
