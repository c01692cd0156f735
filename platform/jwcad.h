// Reaching the running Jw_cad through its windows: finding and activating
// its main window and sending the key stroke that makes it run the wrapper
// batch.
#pragma once

#include <windows.h>

namespace zel {

// The top-level window titled "jw_win", or else the first whose title
// begins with it (letter case ignored); null when Jw_cad is not running.
HWND FindJwCadWindow();

// Brings the window to the foreground, restoring it when minimised. False
// when there is no such window.
bool ActivateWindow(HWND hwnd);

// Ctrl+Shift+Z into the foreground window, as Jw_cad expects it for running
// "_VNKtemp.bat": Ctrl, Shift and Z down, then up in reverse order.
void SendRunKeys();

}  // namespace zel

#include <string>

namespace zel {

// Lets this thread's pending messages through once.
void YieldToEventLoop();
// Waits `ms` milliseconds while keeping this thread's windows responsive.
void WaitPumping(unsigned ms);
// Waits (at most limit_ms) until `hwnd` is the foreground window; returns
// the foreground window at the end.
HWND WaitForForeground(HWND hwnd, unsigned limit_ms = 1000);

enum class JwDialogResult {
  kNoJwCad,     // no Jw_cad window: the user must start Jw_cad
  kNotInFront,  // another window stayed in front; nothing was sent
  kNoDialog,    // no file dialog of Jw_cad's turned up in time (or it went
                // before the click could be posted); given up silently, so
                // Jw_cad did not get the file
  kNoButton,    // the path is in the field, the dialog is left to the user
  kPosted,      // the confirm button's click was posted
};

// Makes the running Jw_cad open (command 32923, button "開く(&O)") or save
// (32924, "保存(&S)") the file at `path` (code page 932) through its own
// file dialog. Returns once the click is posted or nothing more can be done;
// it does not wait for Jw_cad to finish. The dialog is Jw_cad's topmost shown
// "#32770" window with a direct "Edit" child; it is waited for at most 10 s,
// with this thread's windows kept responsive.
JwDialogResult DriveJwCadFileDialog(unsigned command, const std::wstring& button_text,
                                    const std::string& path);

enum class JwRunResult {
  kSent,        // Jw_cad was in front and got Ctrl+Shift+Z
  kNoJwCad,     // no Jw_cad window
  kNotInFront,  // Jw_cad did not come to the front; nothing was sent
};

// Makes the running Jw_cad run "_VNKtemp.bat": brings Jw_cad to the front,
// lets its activation settle (70 ms, this thread's windows kept
// responsive) and sends Ctrl+Shift+Z, but only when Jw_cad is in front at
// that moment: anywhere else the keys would do something else (Redo in an
// editor).
JwRunResult TriggerJwCadRun();

// Tells the user why a run did not reach Jw_cad (a warning box owned by
// `owner`); nothing for kSent.
void ReportJwRunResult(HWND owner, JwRunResult result);

// Writes "_VNKtemp.bat" whole; when it cannot be written, the old one stays
// and the user is told (a box owned by `owner`). False then.
bool WriteWrapperBatch(HWND owner, const std::string& path, const std::string& text);

constexpr unsigned kJwCadOpenCommand = 32923;
constexpr unsigned kJwCadSaveCommand = 32924;

}  // namespace zel
