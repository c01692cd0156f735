// The run history: menu numbering, rotation, recording and "Taskmnu.ini".
#include "core/history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "core/linereader.h"
#include "core/text.h"
#include "tests/support/tempdir.h"

namespace zel {

void PrintTo(const HistoryCopy& c, std::ostream* os) {
  *os << c.from << "->" << c.to;
}

namespace {

using Copies = std::vector<HistoryCopy>;

std::string Title(int k) { return "Title " + std::to_string(k); }
std::string PathOf(int k) { return "C:\\Gaihen\\b" + std::to_string(k) + ".bat"; }

// A history of count n whose first `used` entries hold Title(k) / PathOf(k).
History Used(int used, int n) {
  History h;
  h.N = n;
  h.Np = 1;
  for (int k = 1; k <= used; ++k)
    h.entries[static_cast<std::size_t>(k - 1)] = {Title(k), PathOf(k)};
  return h;
}

const HistoryEntry& At(const History& h, int n) {
  return h.entries[static_cast<std::size_t>(n - 1)];
}

void ExpectEntry(const History& h, int n, const std::string& title,
                 const std::string& path) {
  SCOPED_TRACE("entry " + std::to_string(n));
  EXPECT_EQ(At(h, n).title, title);
  EXPECT_EQ(At(h, n).batch_path, path);
}

TEST(HistoryMenu, EntriesStandInGroupsOfFiveBetweenSeparators) {
  const int listed[] = {1,  2,  3,  4,  5,  7,  8,  9,  10, 11,
                        13, 14, 15, 16, 17, 19, 20, 21, 22, 23,
                        25, 26, 27, 28, 29, 31, 32, 33, 34, 35};
  for (int n = 1; n <= kMaxHistory; ++n) {
    EXPECT_EQ(HistoryMenuSlot(n), listed[n - 1]) << n;
    // A click on an entry's item leads back to that entry.
    EXPECT_EQ(HistoryEntryOfSlot(HistoryMenuSlot(n)), n) << n;
  }
  EXPECT_EQ(HistoryMenuSlot(6), 7);
  EXPECT_EQ(HistoryMenuSlot(30), 35);
  EXPECT_EQ(HistoryEntryOfSlot(13), 11);
  EXPECT_EQ(HistoryMenuSlot(0), 1);  // Np 0 still names a menu item
  for (int outside : {31, -1, 100}) EXPECT_EQ(HistoryMenuSlot(outside), -1) << outside;
  EXPECT_EQ(HistoryEntryOfSlot(-6), -1);

  EXPECT_EQ(HistoryBatchName(1), "TTemp1.bat");
  EXPECT_EQ(HistoryBatchName(30), "TTemp30.bat");
}

TEST(HistoryRecord, NewTitleDropsTheOldestEntryAndShiftsEveryBatch) {
  History h = Used(10, 10);
  h.Np = 7;
  const Copies copies = RecordRun(h, "New", "D:\\new.bat");
  EXPECT_EQ(copies, (Copies{{9, 10}, {8, 9}, {7, 8}, {6, 7}, {5, 6},
                            {4, 5}, {3, 4}, {2, 3}, {1, 2}}));
  ExpectEntry(h, 1, "New", "D:\\new.bat");
  for (int k = 2; k <= 10; ++k) ExpectEntry(h, k, Title(k - 1), PathOf(k - 1));
  EXPECT_EQ(h.Np, 1);
  EXPECT_EQ(h.N, 10);
}

TEST(HistoryRecord, KnownTitleMovesOnlyTheEntriesAboveIt) {
  History h = Used(10, 10);
  const Copies copies = RecordRun(h, Title(4), "D:\\other.bat");
  EXPECT_EQ(copies, (Copies{{3, 4}, {2, 3}, {1, 2}}));
  ExpectEntry(h, 1, Title(4), "D:\\other.bat");
  for (int k = 2; k <= 4; ++k) ExpectEntry(h, k, Title(k - 1), PathOf(k - 1));
  for (int k = 5; k <= 10; ++k) ExpectEntry(h, k, Title(k), PathOf(k));

  // The newest entry run again: nothing moves, only its path is renewed.
  const Copies again = RecordRun(h, Title(4), "D:\\third.bat");
  EXPECT_TRUE(again.empty());
  ExpectEntry(h, 1, Title(4), "D:\\third.bat");
  ExpectEntry(h, 2, Title(1), PathOf(1));
  EXPECT_EQ(h.Np, 1);
}

TEST(HistoryRecord, TitlesMatchIgnoringAsciiCaseOnly) {
  History h = Used(3, 10);
  h.entries[2].title = "Convert Layers";
  // Two batches with the same title share one entry; the later path wins.
  EXPECT_EQ(RecordRun(h, "CONVERT layers", "D:\\b.bat"),
            (Copies{{2, 3}, {1, 2}}));
  ExpectEntry(h, 1, "CONVERT layers", "D:\\b.bat");
  ExpectEntry(h, 3, Title(2), PathOf(2));
  for (int k = 2; k <= 10; ++k)
    EXPECT_FALSE(EqualsNoCase(At(h, k).title, "convert layers")) << k;

  // ア (83 41) and ヂ (83 61) differ only by the case bit of the trail byte:
  // they are different titles and get different entries.
  History k = Used(0, 10);
  RecordRun(k, J("ア変換"), "D:\\a.bat");
  EXPECT_EQ(RecordRun(k, J("ヂ変換"), "D:\\d.bat").size(), 9u);
  ExpectEntry(k, 1, J("ヂ変換"), "D:\\d.bat");
  ExpectEntry(k, 2, J("ア変換"), "D:\\a.bat");
}

TEST(HistoryRecord, EmptyTitleTakesTheFirstNeverUsedEntry) {
  History h = Used(3, 10);
  EXPECT_EQ(RecordRun(h, "", "D:\\untitled.bat"),
            (Copies{{3, 4}, {2, 3}, {1, 2}}));
  ExpectEntry(h, 1, "", "D:\\untitled.bat");
  for (int k = 2; k <= 4; ++k) ExpectEntry(h, k, Title(k - 1), PathOf(k - 1));
  ExpectEntry(h, 5, "", "");
}

TEST(HistoryRecord, FirstStartWithoutHistoryFileStillRecordsTheRun) {
  History h;
  LoadHistory(nullptr, h);
  RecordRun(h, "First", "D:\\first.bat");
  EXPECT_EQ(h.N, kDefaultHistoryCount);
  EXPECT_EQ(h.Np, 1);
  // The saved file keeps the run.
  const std::vector<std::string> lines = SplitLines(FormatHistory(h));
  ASSERT_EQ(lines.size(), 2u + 2u * kDefaultHistoryCount);
  EXPECT_EQ(lines[2], "First");
  EXPECT_EQ(lines[3], "D:\\first.bat");

  // A count above the menu's room is brought down before searching.
  History big = Used(30, 45);
  EXPECT_EQ(RecordRun(big, "New", "D:\\n.bat").front(), (HistoryCopy{29, 30}));
  EXPECT_EQ(big.N, kMaxHistory);
}

TEST(HistoryRecord, RotationBoundsAndBatchFilesFollowTheirEntries) {
  // Entry numbers of 1 or below move nothing; beyond 30 nothing exists.
  for (int oldpoint : {1, 0, -4}) {
    History h = Used(5, 5);
    EXPECT_TRUE(Slaidmenu(h, oldpoint).empty()) << oldpoint;
    ExpectEntry(h, 1, Title(1), PathOf(1));
    ExpectEntry(h, 2, Title(2), PathOf(2));
  }
  History full = Used(30, 30);
  const Copies copies = Slaidmenu(full, 31);
  ASSERT_EQ(copies.size(), 29u);
  EXPECT_EQ(copies.front(), (HistoryCopy{29, 30}));
  ExpectEntry(full, 30, Title(29), PathOf(29));
  ExpectEntry(full, 1, Title(1), PathOf(1));  // for the caller to overwrite

  // Made in the order given, the copies move each batch one place down, and
  // a missing batch only loses its own copy.
  test::TempDir dir;
  for (int k = 1; k <= 5; ++k)
    if (k != 3) dir.Write(HistoryBatchName(k), "batch " + std::to_string(k));
  History h = Used(5, 5);
  for (const HistoryCopy& c : RecordRun(h, "New", "D:\\n.bat")) {
    // A plain byte copy: the standard library's overwriting copy_file is
    // unreliable with mingw, and a missing source is simply skipped.
    const auto from = dir.path() / HistoryBatchName(c.from);
    if (std::filesystem::exists(from))
      test::WriteBytes(dir.path() / HistoryBatchName(c.to), test::ReadBytes(from));
  }
  EXPECT_EQ(test::ReadBytes(dir.path() / "TTemp5.bat"), "batch 4");
  EXPECT_EQ(test::ReadBytes(dir.path() / "TTemp4.bat"), "batch 4");  // no 3
  EXPECT_EQ(test::ReadBytes(dir.path() / "TTemp3.bat"), "batch 2");
  EXPECT_EQ(test::ReadBytes(dir.path() / "TTemp2.bat"), "batch 1");
}

// A history of Japanese titles and paths whose trail bytes are 0x5C.
History JapaneseHistory() {
  History h;
  h.N = 4;
  h.Np = 3;
  h.entries[0] = {J("表計算の書き出し"), J("C:\\ソフト\\表\\表計算.bat")};
  h.entries[1] = {J("ソート（能率）"), J("D:\\外部変形\\ソート.bat")};
  h.entries[2] = {"", ""};
  h.entries[3] = {"Plain", "E:\\plain.bat"};
  h.entries[4] = {"beyond N", "E:\\beyond.bat"};
  return h;
}

TEST(HistoryFile, RoundTripKeepsTitlesAndPathsByteForByte) {
  const History in = JapaneseHistory();
  const std::string bytes = FormatHistory(in);
  const std::string expected =
      "TempbakbatNp=3\r\nTempbakbatN=4\r\n" + in.entries[0].title + "\r\n" +
      in.entries[0].batch_path + "\r\n" + in.entries[1].title + "\r\n" +
      in.entries[1].batch_path + "\r\n\r\n\r\nPlain\r\nE:\\plain.bat\r\n";
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(in.entries[0].batch_path,
            "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C\\\x95\x5C\x8C\x76\x8E\x5A.bat");

  const std::vector<std::string> lines = SplitLines(bytes);
  History out;
  LoadHistory(&lines, out);
  EXPECT_EQ(out.Np, 3);
  EXPECT_EQ(out.N, 4);
  for (int n = 1; n <= 4; ++n)
    ExpectEntry(out, n, At(in, n).title, At(in, n).batch_path);
  ExpectEntry(out, 5, "", "");  // not written, not read
  EXPECT_EQ(FormatHistory(out), bytes);
}

TEST(HistoryFile, LineBreakInsideAValueCannotShiftLaterLines) {
  History h = Used(2, 2);
  h.entries[0].title = "Two\nlines\r";
  const std::vector<std::string> lines = SplitLines(FormatHistory(h));
  ASSERT_EQ(lines.size(), 6u);
  History out;
  LoadHistory(&lines, out);
  ExpectEntry(out, 1, "Two lines ", PathOf(1));
  ExpectEntry(out, 2, Title(2), PathOf(2));
}

TEST(HistoryFile, KeysAreCutByCharacterCountAndNeverCompared) {
  const std::vector<std::string> lines = {"XXXXXXXXXXXXX5", "YYYYYYYYYYYY7"};
  History h;
  LoadHistory(&lines, h);
  EXPECT_EQ(h.Np, 5);
  EXPECT_EQ(h.N, 7);

  // Thirteen characters, eight of them double-byte, are 21 bytes.
  const std::vector<std::string> wide = {J("履歴番号チェック") + "abcde" + " 2 ",
                                         J("履歴の数") + "abcdefgh" + "9"};
  History w;
  LoadHistory(&wide, w);
  EXPECT_EQ(w.Np, 2);
  EXPECT_EQ(w.N, 9);
}

TEST(HistoryFile, CheckedEntryNeverAboveTheCount) {
  const std::vector<std::string> lines = {"TempbakbatNp=12", "TempbakbatN=10"};
  History h;
  LoadHistory(&lines, h);
  EXPECT_EQ(h.Np, 10);
  EXPECT_EQ(h.N, 10);
}

TEST(HistoryFile, MissingShortOrDamagedFileKeepsEarlierValues) {
  const History before = JapaneseHistory();
  const std::vector<std::string> empty;
  History missing = before;
  LoadHistory(nullptr, missing);
  EXPECT_EQ(FormatHistory(missing), FormatHistory(before));
  History blank = before;
  LoadHistory(&empty, blank);
  EXPECT_EQ(FormatHistory(blank), FormatHistory(before));

  // A file of one line: Np is read, N and the entries are kept.
  const std::vector<std::string> one = {"TempbakbatNp=2"};
  History h1 = before;
  LoadHistory(&one, h1);
  EXPECT_EQ(h1.Np, 2);
  EXPECT_EQ(h1.N, 4);
  ExpectEntry(h1, 1, At(before, 1).title, At(before, 1).batch_path);

  // Ending after the title of entry 2: its path and entries 3..N stay.
  const std::vector<std::string> cut = {"TempbakbatNp=1", "TempbakbatN=4", "A",
                                        "A.bat", "B"};
  History h2 = before;
  LoadHistory(&cut, h2);
  ExpectEntry(h2, 1, "A", "A.bat");
  ExpectEntry(h2, 2, "B", At(before, 2).batch_path);
  ExpectEntry(h2, 4, "Plain", "E:\\plain.bat");

  // Values that are not numbers keep the earlier ones; blanks are allowed.
  for (const char* bad : {"abc", "", "2x"}) {
    const std::vector<std::string> lines = {std::string("TempbakbatNp=") + bad,
                                            std::string("TempbakbatN=") + bad};
    History h = before;
    LoadHistory(&lines, h);
    EXPECT_EQ(h.Np, 3) << bad;
    EXPECT_EQ(h.N, 4) << bad;
  }
  const std::vector<std::string> blanks = {"TempbakbatNp= 1 ", "TempbakbatN=  6"};
  History hb = before;
  LoadHistory(&blanks, hb);
  EXPECT_EQ(hb.Np, 1);
  EXPECT_EQ(hb.N, 6);
}

TEST(HistoryFile, CountBeyondTheMenuReadsThirtyEntries) {
  History big = Used(30, 30);
  big.N = 40;
  std::vector<std::string> lines = SplitLines(FormatHistory(big));
  ASSERT_EQ(lines.size(), 62u);  // only 30 entries exist to be written
  for (int k = 31; k <= 40; ++k) {
    lines.push_back(Title(k));
    lines.push_back(PathOf(k));
  }
  History h;
  LoadHistory(&lines, h);
  EXPECT_EQ(h.N, 30);
  EXPECT_EQ(h.Np, 1);
  ExpectEntry(h, 30, Title(30), PathOf(30));
}

// A count the menus cannot show never costs the entries the file holds: one
// above 30 reads 30; one that does not convert keeps the count from before,
// or 10 when that is no count either (0 at a first start). Loading does this
// itself, so no caller can forget it.
TEST(HistoryFile, UnusableCountKeepsTheEntriesOfTheFile) {
  std::vector<std::string> file = SplitLines(FormatHistory(Used(30, 30)));
  file[0] = "TempbakbatNp=2";

  // 99999 (more than 16 bits hold) and 1e9: thirty entries, all read.
  for (const char* count : {"99999", "1e9", "31", "30.4"}) {
    SCOPED_TRACE(count);
    std::vector<std::string> lines = file;
    lines[1] = std::string("TempbakbatN=") + count;
    History h;
    LoadHistory(&lines, h);
    EXPECT_EQ(h.N, 30);
    EXPECT_EQ(h.Np, 2);
    for (int k = 1; k <= 30; ++k) ExpectEntry(h, k, Title(k), PathOf(k));
  }

  // "ten" at a first start: ten entries read, and a run then keeps nine of
  // them in the file it saves.
  for (const char* count : {"ten", "", "0", "-4", "1e-9"}) {
    SCOPED_TRACE(count);
    std::vector<std::string> lines = file;
    lines[1] = std::string("TempbakbatN=") + count;
    History first_start;
    LoadHistory(&lines, first_start);
    EXPECT_EQ(first_start.N, kDefaultHistoryCount);
    EXPECT_EQ(first_start.Np, 2);
    for (int k = 1; k <= 10; ++k) ExpectEntry(first_start, k, Title(k), PathOf(k));
    ExpectEntry(first_start, 11, "", "");
    RecordRun(first_start, "New", "D:\\new.bat");
    const std::vector<std::string> saved = SplitLines(FormatHistory(first_start));
    ASSERT_EQ(saved.size(), 22u);
    EXPECT_EQ(saved[1], "TempbakbatN=10");
    EXPECT_EQ(saved[2], "New");
    EXPECT_EQ(saved[4], Title(1));
    EXPECT_EQ(saved[21], PathOf(9));

    // With a usable count from before, that count is kept.
    History earlier;
    earlier.N = 25;
    LoadHistory(&lines, earlier);
    EXPECT_EQ(earlier.N, 25);
    ExpectEntry(earlier, 25, Title(25), PathOf(25));
  }

  // An earlier count outside 1..30 is no count either.
  std::vector<std::string> lines = file;
  lines[1] = "TempbakbatN=x";
  History odd;
  odd.N = 45;
  LoadHistory(&lines, odd);
  EXPECT_EQ(odd.N, kDefaultHistoryCount);

  // The checked entry stays within 0..N.
  lines = file;
  lines[0] = "TempbakbatNp=99999";
  lines[1] = "TempbakbatN=12";
  History np;
  LoadHistory(&lines, np);
  EXPECT_EQ(np.Np, 12);
  lines[0] = "TempbakbatNp=-3";
  LoadHistory(&lines, np);
  EXPECT_EQ(np.Np, 0);

  // A missing file at a first start: no entries, the default count.
  History missing;
  LoadHistory(nullptr, missing);
  EXPECT_EQ(missing.N, kDefaultHistoryCount);
  EXPECT_EQ(missing.Np, 0);
}

TEST(HistoryCount, NormaliseBringsCountIntoTheMenusRange) {
  struct Case {
    int N, Np, want_N, want_Np;
  };
  for (const Case& c : {Case{0, 0, 10, 0}, Case{-3, -3, 10, 0},
                        Case{31, 31, 30, 30}, Case{30, 12, 30, 12},
                        Case{1, 5, 1, 1}, Case{10, -2, 10, 0},
                        Case{15, 0, 15, 0}}) {
    History h;
    h.N = c.N;
    h.Np = c.Np;
    NormaliseHistoryCount(h);
    EXPECT_EQ(h.N, c.want_N) << c.N << "/" << c.Np;
    EXPECT_EQ(h.Np, c.want_Np) << c.N << "/" << c.Np;
  }
}

}  // namespace
}  // namespace zel
