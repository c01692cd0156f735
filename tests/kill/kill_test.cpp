// Saves under kill: save_worker.exe saves Zelvanto's files over and over
// and is ended (TerminateProcess) at random moments, many times. After every
// kill each file is found whole, as the one or the other version it was
// being saved as: never cut short, never mixed, never missing. The next
// save removes what a cut-off save left behind.
//   ZEL_KILLS sets the number of kills (1000 unless set).
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;

std::wstring WinePath(const std::string& p) {
  if (p.empty() || p[0] != '/') return std::wstring(p.begin(), p.end());
  std::wstring out = L"Z:";
  for (char c : p) out += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return out;
}

const char* const kProgFiles[] = {"Varnik.ini", "Taskmnu.ini", "TTemp1.bat", "TTemp2.bat",
                                  "tree_cbat.dat"};

struct Slot {
  TempDir dir;
  fs::path prog = dir.path() / "prog", jww = dir.path() / "jww";
  std::map<fs::path, std::array<std::string, 2>> versions;  // file: A, B
  PROCESS_INFORMATION pi{};
  HANDLE ready = nullptr;

  Slot() {
    fs::create_directories(prog);
    fs::create_directories(jww);
  }
  std::vector<fs::path> Files() const {
    std::vector<fs::path> out;
    for (const char* n : kProgFiles) out.push_back(prog / n);
    out.push_back(jww / "JW_WIN.JWF");
    return out;
  }
  // Starts a worker; `rounds` 0 saves until it is ended.
  bool Start(long rounds, int first, const std::wstring& event_name) {
    std::wstring cmd = L"\"" + WinePath(ZEL_SAVE_WORKER_EXE) + L"\" \"" + prog.wstring() +
                       L"\" \"" + jww.wstring() + L"\" " + std::to_wstring(rounds) + L" " +
                       std::to_wstring(first) + L" " + event_name;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    // Under Wine, with thousands of processes started and ended in a row on
    // a loaded machine, a start now and then fails for a moment; a start
    // that keeps failing is the failure.
    for (int attempt = 0; attempt < 5; ++attempt) {
      if (attempt > 0) Sleep(500);
      if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                         nullptr, &si, &pi))
        return true;
      start_error = GetLastError();
    }
    return false;
  }
  DWORD start_error = 0;
  DWORD Finish(DWORD limit_ms) {
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(pi.hProcess, limit_ms) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi.hProcess, &code);
    else
      TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    pi = {};
    return code;
  }
  // One worker run to its end: `rounds` saves starting with `first`.
  DWORD RunToEnd(long rounds, int first) {
    if (!Start(rounds, first, L"-")) return 0xFFFFFFFE;
    return Finish(120000);
  }
  int Leftovers() const {
    int n = 0;
    for (const fs::path& folder : {prog, jww})
      for (const auto& e : fs::directory_iterator(folder)) {
        const std::wstring name = e.path().filename().wstring();
        if (name.rfind(L"zel", 0) == 0 && name.size() > 4 &&
            name.compare(name.size() - 4, 4, L".tmp") == 0)
          ++n;
      }
    return n;
  }
};

TEST(SavesUnderKill, EveryFileIsTheOldOrTheNewVersionWhole) {
  const char* env = std::getenv("ZEL_KILLS");
  const int kills = env ? std::max(1, std::atoi(env)) : 1000;
  constexpr int kSlots = 4;  // workers side by side, each in folders of its own
  std::vector<std::unique_ptr<Slot>> slots;
  for (int s = 0; s < kSlots; ++s) {
    slots.push_back(std::make_unique<Slot>());
    Slot& slot = *slots.back();
    // A, B, A: the history then holds both runs; then B once more. What
    // each file holds after each is one of its two versions.
    ASSERT_EQ(slot.RunToEnd(3, 0), 0u);
    for (const fs::path& f : slot.Files()) slot.versions[f][0] = ReadBytes(f);
    ASSERT_EQ(slot.RunToEnd(1, 1), 0u);
    for (const fs::path& f : slot.Files()) {
      slot.versions[f][1] = ReadBytes(f);
      ASSERT_FALSE(slot.versions[f][0].empty()) << f;
      ASSERT_NE(slot.versions[f][0], slot.versions[f][1]) << f;
    }
  }

  std::mt19937 random(20261208);
  int done = 0, cut = 0;
  for (int round = 0; done < kills; ++round) {
    const int now = std::min(kSlots, kills - done);
    for (int s = 0; s < now; ++s) {
      Slot& slot = *slots[static_cast<std::size_t>(s)];
      const std::wstring name = L"ZelKillReady_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                std::to_wstring(round) + L"_" + std::to_wstring(s);
      slot.ready = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
      ASSERT_NE(slot.ready, nullptr);
      ASSERT_TRUE(slot.Start(0, static_cast<int>(random() % 2), name))
          << "no worker could be started (error " << slot.start_error << ")";
    }
    for (int s = 0; s < now; ++s) {
      Slot& slot = *slots[static_cast<std::size_t>(s)];
      // Ready, or ended before it was: a worker that could not set itself
      // up says why by its exit code.
      const HANDLE either[2] = {slot.ready, slot.pi.hProcess};
      const DWORD waited = WaitForMultipleObjects(2, either, FALSE, 60000);
      CloseHandle(slot.ready);
      DWORD early = 0;
      if (waited == WAIT_OBJECT_0 + 1) GetExitCodeProcess(slot.pi.hProcess, &early);
      ASSERT_EQ(waited, WAIT_OBJECT_0)
          << "the worker did not start (" << (waited == WAIT_OBJECT_0 + 1 ? "ended with code " : "wait ")
          << (waited == WAIT_OBJECT_0 + 1 ? early : waited) << ")";
      // Up to 40 ms of saving: several rounds of every file.
      Sleep(static_cast<DWORD>(random() % 41));
      TerminateProcess(slot.pi.hProcess, 1);
      const DWORD code = slot.Finish(30000);
      ASSERT_EQ(code, 1u) << "the worker stopped by itself: a save failed (" << code << ")";
      for (const fs::path& f : slot.Files()) {
        ASSERT_TRUE(fs::exists(f)) << f << " is missing after kill " << done;
        const std::string now_bytes = ReadBytes(f);
        ASSERT_TRUE(now_bytes == slot.versions[f][0] || now_bytes == slot.versions[f][1])
            << f << " is neither version after kill " << done << " (" << now_bytes.size()
            << " bytes)";
      }
      if (slot.Leftovers() > 0) ++cut;
      ++done;
    }
  }
  std::printf("%d kills, %d of them left a save cut off\n", done, cut);
  // Without a single save cut off midway, the clean-up below would check
  // nothing and the kills would not have hit a save at all.
  if (kills >= 100) EXPECT_GT(cut, 0);

  // One whole round of saves clears what the cut-off ones left.
  for (auto& slot : slots) {
    ASSERT_EQ(slot->RunToEnd(1, 0), 0u);
    EXPECT_EQ(slot->Leftovers(), 0);
  }
}

}  // namespace
}  // namespace zel
