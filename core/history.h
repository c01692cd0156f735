// The run history: "Taskmnu.ini", the numbering of its entries in the tray
// menus, the rotation of entries and history batches, and the recording of
// a run.
//
// Varnik and Pocklet both read and write the history file, so everything that
// decides what it holds lives here; the windows only copy the history batches
// this code names and show the menu it describes. The file is code page 932
// with CR LF line ends and is positional: a value is found by its line number,
// and the key in front of a number is written for people, never compared.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace zel {

// The tray menus have room for 30 entries: six groups of five between
// separators.
constexpr int kMaxHistory = 30;
// A first start (no history file) uses 10 entries, where the options dialog's
// spin control starts.
constexpr int kDefaultHistoryCount = 10;

// Menu index of entry n: 0 -> 1; 1..30 -> 1 2 3 4 5 7 8 9 10 11 13 ... 35
// (every sixth index is a separator line); anything else -> -1.
int HistoryMenuSlot(int n);

// Entry number of a clicked menu index: index - index / 6. Indices of
// separators have no entry of their own; a negative index gives -1.
int HistoryEntryOfSlot(int index);

// File name of the history batch of entry n, "TTemp<n>.bat", in the
// program's folder.
std::string HistoryBatchName(int n);

struct HistoryEntry {
  std::string title;       // menu caption; empty for an entry never used
  std::string batch_path;  // full path of the user's batch
};

struct History {
  int Np = 0;  // the checked entry, the one last run; never above N
  int N = 0;   // how many entries the menu shows
  std::array<HistoryEntry, kMaxHistory> entries;  // entry n at entries[n-1]
};

// Reads the lines of "Taskmnu.ini" into `h` (`lines` is null when the file
// could not be opened). Line 1 holds Np from its 14th character on, line 2 N
// from its 13th (characters, not bytes). N comes out within 1..30: a count
// above 30 reads 30 entries; one that is not a number, or 0 or less, keeps
// the earlier N when that is within 1..30 and is kDefaultHistoryCount
// otherwise (a first start). An Np that is not a number keeps the earlier
// value; Np is then brought within 0..N. Then come N entries, two whole
// lines each (title, path); lines the file does not have leave their fields
// as they were.
void LoadHistory(const std::vector<std::string>* lines, History& h);

// The whole file: "TempbakbatNp=<Np>", "TempbakbatN=<N>", then title and path
// of entries 1..N (at most 30), every line ended by CR LF.
std::string FormatHistory(const History& h);

// One history batch copy: HistoryBatchName(from) over HistoryBatchName(to).
struct HistoryCopy {
  int from;
  int to;
  bool operator==(const HistoryCopy&) const = default;
};

// Moves entries 1..oldpoint-1 one place down: for k = oldpoint down to 2,
// entry k takes entry k-1's title and path, and batch k-1 is to be copied
// over batch k. The former entry `oldpoint` is gone; entry 1 keeps its
// content for the caller to overwrite. Returns the copies in the order they
// must be made (each one reads a batch before the next copy overwrites it);
// the caller skips a copy that fails and goes on.
std::vector<HistoryCopy> Slaidmenu(History& h, int oldpoint);

// Records a run of the batch `batch_path` titled `title`. The first entry of
// 1..N whose title equals `title` (ASCII letters compared without case) is
// rotated out, otherwise the oldest entry N; entry 1 then gets title and
// path, and Np becomes 1. Returns the rotation's copies; the caller makes
// them, copies "_VNKtemp.bat" to HistoryBatchName(1) and saves the file.
std::vector<HistoryCopy> RecordRun(History& h, const std::string& title,
                                   const std::string& batch_path);

// Brings N into 1..30 and Np into 0..N, for a count set other than by
// LoadHistory (which does it itself).
void NormaliseHistoryCount(History& h);

}  // namespace zel
