// The options dialog as the main window opens it: what it edits of this
// window, and the history count that lives in the tray window.
#include "app/varnik_window.h"
#include "options/options_dialog.h"
#include "tray/tray_window.h"

namespace zel {

OptionsHost VarnikWindow::OptionsHostOfThisWindow() {
  OptionsHost host;
  host.settings = &settings_;
  host.history_count = frmtask_ ? frmtask_->history().N : 0;
  host.set_history_count = [this](int n, HWND owner) {
    return frmtask_ && frmtask_->SetHistoryCount(n, owner);
  };
  host.font = [this](PaneFont which) {
    switch (which) {
      case PaneFont::kTree: return settings_.Treefont;
      case PaneFont::kList: return settings_.ListFont;
      case PaneFont::kComment: break;
    }
    return settings_.ComeFont;
  };
  host.set_font = [this](PaneFont which, const FontSetting& f) {
    switch (which) {
      case PaneFont::kTree: settings_.Treefont = f; break;
      case PaneFont::kList: settings_.ListFont = f; break;
      case PaneFont::kComment: settings_.ComeFont = f; break;
    }
    ApplyFonts();
  };
  host.save = [this] { Savecfg(); };
  return host;
}

// Modal: the window is disabled until OK or Cancel. The dialog keeps its own
// message loop, so it takes part in the run guard like every other wait.
void VarnikWindow::ShowOptions() {
  if (!hwnd_) return;
  RunGuard::Hold hold(run_guard_);
  if (!hold) return;
  OptionsDialog dialog(OptionsHostOfThisWindow());
  dialog.ShowModal(instance_, hwnd_);
}

}  // namespace zel
