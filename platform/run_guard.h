// One run at a time. Running a batch, putting an environment file into
// effect, driving Jw_cad's dialogs and re-running a history entry all wait
// for Jw_cad while keeping the windows responsive, so a second request (a
// double click, Enter, a tray menu entry) can arrive during the first. It
// would act on files the first is still changing, so it is ignored, never
// queued.
#pragma once

namespace zel {

class RunGuard {
 public:
  bool busy() const { return busy_; }

  // Holds the guard for its lifetime; holds nothing (and is false) when the
  // guard was already held.
  class Hold {
   public:
    explicit Hold(RunGuard& guard) : guard_(guard.busy_ ? nullptr : &guard) {
      if (guard_) guard_->busy_ = true;
    }
    ~Hold() {
      if (guard_) guard_->busy_ = false;
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    explicit operator bool() const { return guard_ != nullptr; }

   private:
    RunGuard* guard_;
  };

 private:
  bool busy_ = false;
};

}  // namespace zel
