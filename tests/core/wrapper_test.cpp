// The wrapper batch Jw_cad runs: its frame, the rewrites of the batch's own
// lines, and whole wrappers compared byte for byte with files under
// core/data/wrapper (cp932, CR LF). "input.bat" there is the user's batch
// the whole-file cases wrap; its last line is UTF-8 and must come through
// untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "core/cmdtext.h"
#include "core/text.h"
#include "core/wrapper.h"
#include "tests/support/byte_source.h"
#include "tests/support/tempdir.h"

namespace zel {
namespace {


std::string DataFile(const char* name) {
  return test::ReadBytes(std::filesystem::path(ZEL_TEST_DATA) / "wrapper" / name);
}

const std::string kOpen = "rem " + std::string(52, '-') + "\r\n";
const std::string kClose = "rem " + std::string(53, '-') + "\r\n";

// The one file the fake file system knows, with its short path.
const std::string kLongPath = J("D:\\ソフト\\外変\\説明書き.txt");
const std::string kShortPath = "D:\\SOFT~1\\GAIHEN~1\\SETUME~1.TXT";

std::optional<std::string> KnownShortPath(const std::string& path) {
  if (path == kLongPath) return kShortPath;
  return std::nullopt;
}

// A batch in "D:\work" run with Jw_cad in "C:\jww", everything off.
WrapperInput Plain() {
  WrapperInput in;
  in.J = "C:\\jww";
  in.F = "D:\\work";
  in.B0 = "D:\\work\\a.bat";
  in.E = "?";
  in.Editor = "notepad";
  in.short_path_if_exists = KnownShortPath;
  return in;
}

// The wrapper's copy of the batch's lines: what stands between the two
// "rem ---" lines, line ends included.
std::string Body(const WrapperInput& in, const std::vector<std::string>& lines) {
  std::string text = BuildWrapper(in, lines);
  std::size_t begin = text.find(kOpen);
  std::size_t end = text.find(kClose);
  if (begin == std::string::npos || end == std::string::npos) return "<no body>";
  begin += kOpen.size();
  return text.substr(begin, end - begin);
}

std::string Rewritten(const WrapperInput& in, const std::string& line) {
  return Body(in, {line});
}

bool HasLine(const std::string& text, const std::string& line) {
  return ("\r\n" + text).find("\r\n" + line + "\r\n") != std::string::npos;
}

std::vector<std::string> InputBatch() {
  test::StringSource src(DataFile("input.bat"));
  std::vector<std::string> lines;
  EXPECT_TRUE(ReadBatchLines(src, lines));
  EXPECT_EQ(lines.size(), 15u);
  return lines;
}

// --- whole wrappers --------------------------------------------------------

TEST(WrapperFiles, NormalModeMovingIntoTheBatchFolder) {
  WrapperInput in = Plain();
  in.J = "C:\\jww\\";
  in.F = J("D:\\ソフト\\表\\");  // ends in 表 (95 5C) and a real "\"
  in.B0 = J("D:\\ソフト\\表\\円弧.bat");
  in.E = "JGAWK";
  in.Move = true;
  EXPECT_EQ(BuildWrapper(in, InputBatch()), DataFile("normal_move.bat"));
}

TEST(WrapperFiles, DebugModeWithForcedGawkAndCallwin) {
  WrapperInput in = Plain();
  in.F = "C:\\jww\\sub";
  in.B0 = J("C:\\jww\\sub\\円弧.bat");
  in.E = "go32+jgawk";
  in.Debug = true;
  in.Gawk = 1;
  in.Callwin = true;
  in.KeepJWCTEMP = true;
  in.Editor = "C:\\Program Files\\sakura\\sakura.exe";
  EXPECT_EQ(BuildWrapper(in, InputBatch()), DataFile("debug.bat"));
}

TEST(WrapperFiles, WriteOutWithRuby) {
  WrapperInput in = Plain();
  in.F = "C:\\data";
  in.B0 = J("C:\\data\\円弧.bat");
  in.E = "ruby";
  in.Gawk = 2;  // no awk engine: nothing to force
  in.Move = true;
  in.WriteOut = true;
  EXPECT_EQ(BuildWrapper(in, InputBatch()), DataFile("write_out.bat"));
}

TEST(WrapperFiles, BatchInTheJwFolderInOtherLetterCase) {
  WrapperInput in = Plain();
  in.J = "C:\\Jww\\";
  in.F = "c:\\JWW";
  in.B0 = J("c:\\JWW\\円弧.bat");
  in.E = "GAWK";
  in.Gawk = 2;
  in.Move = true;
  EXPECT_EQ(BuildWrapper(in, InputBatch()), DataFile("in_jw_folder.bat"));
}

TEST(WrapperFiles, BatchInADriveRoot) {
  for (const char* root : {"D:", "D:\\"}) {
    SCOPED_TRACE(root);
    WrapperInput in = Plain();
    in.F = root;
    in.B0 = J("D:\\円弧.bat");
    in.Move = true;
    EXPECT_EQ(BuildWrapper(in, InputBatch()), DataFile("drive_root.bat"));
  }
}

// --- the frame around the batch's lines ------------------------------------

TEST(WrapperFrame, EmptyBatchGivesTheFrameAloneAndDeletesWithoutMove) {
  EXPECT_EQ(BuildWrapper(Plain(), {}),
            J("@REM   【Zelvanto テンポラリバッチ】通常モード\r\n") +
                "@echo off\r\n"
                "SET PATH=D:\\work;C:\\jww;%PATH%\r\n" +
                kOpen + kClose +
                ":VNK\r\n"
                "del \"D:\\work\\JWC_TEMP.TXT\"\r\n"
                "\r\n");
}

TEST(WrapperFrame, SearchPathsFollowTheEngine) {
  for (const char* e : {"jgawk", "GO32+JGAWK", "Gawk"}) {
    WrapperInput in = Plain();
    in.E = e;
    std::string text = BuildWrapper(in, {});
    EXPECT_TRUE(HasLine(text, "SET AWKPATH=D:\\work;C:\\jww;%AWKPATH%")) << e;
    EXPECT_FALSE(HasLine(text, "SET Rubylib=D:\\work")) << e;
  }
  for (const char* e : {"RUBY", "Ruby"}) {
    WrapperInput in = Plain();
    in.E = e;
    std::string text = BuildWrapper(in, {});
    EXPECT_TRUE(HasLine(text, "SET Rubylib=D:\\work")) << e;
    EXPECT_EQ(text.find("AWKPATH"), std::string::npos) << e;
  }
  for (const char* e : {"?", "perl", "go32", "jgawk2"}) {
    WrapperInput in = Plain();
    in.E = e;
    std::string text = BuildWrapper(in, {});
    EXPECT_TRUE(HasLine(text, "SET PATH=D:\\work;C:\\jww;%PATH%")) << e;
    EXPECT_EQ(text.find("AWKPATH"), std::string::npos) << e;
    EXPECT_EQ(text.find("Rubylib"), std::string::npos) << e;
  }
}

TEST(WrapperFrame, MovingAndDeletingTheExchangeFile) {
  const std::string to_batch = "copy JWC_TEMP.TXT \"D:\\work\\JWC_TEMP.TXT\" > nul";
  const std::string back = "copy JWC_TEMP.TXT \"C:\\jww\\JWC_TEMP.TXT\" > nul";
  const std::string del = "del \"D:\\work\\JWC_TEMP.TXT\"";

  WrapperInput in = Plain();
  in.Move = true;
  in.KeepJWCTEMP = true;
  std::string text = BuildWrapper(in, {});
  EXPECT_TRUE(HasLine(text, to_batch + "\r\nD:\r\ncd \"D:\\work\"\r\n" + kOpen.substr(0, 56)));
  EXPECT_TRUE(HasLine(text, ":VNK\r\n" + back + "\r\nC:\r\ncd \"C:\\jww\""));
  EXPECT_FALSE(HasLine(text, del));

  in.Move = false;
  text = BuildWrapper(in, {});
  EXPECT_FALSE(HasLine(text, to_batch));
  EXPECT_FALSE(HasLine(text, back));
  EXPECT_FALSE(HasLine(text, del));

  in.KeepJWCTEMP = false;
  EXPECT_TRUE(HasLine(BuildWrapper(in, {}), del));
}

TEST(WrapperFrame, TrailingSeparatorIsDroppedButNeverATrailByte) {
  WrapperInput in = Plain();
  in.Debug = true;
  in.Move = true;
  in.KeepJWCTEMP = true;
  for (const std::string& jw : {J("C:\\表"), J("C:\\表\\")}) {
    in.J = jw;
    std::string text = BuildWrapper(in, {});
    EXPECT_TRUE(HasLine(text, "\"notepad\" \"" + J("C:\\表\\_VNKtemp.bat") + "\""));
    EXPECT_TRUE(HasLine(text, "cd \"" + J("C:\\表") + "\""));
    EXPECT_TRUE(HasLine(text, "SET PATH=D:\\work;" + J("C:\\表") + ";%PATH%"));
  }
  EXPECT_EQ(WrapperBatchPath(J("C:\\ソ")), J("C:\\ソ\\_VNKtemp.bat"));
  EXPECT_EQ(WrapperBatchPath(J("C:\\ソ\\")), J("C:\\ソ\\_VNKtemp.bat"));

  in = Plain();
  in.Move = true;
  for (const std::string& f : {J("D:\\ソ"), J("D:\\ソ\\")}) {
    in.F = f;
    std::string text = BuildWrapper(in, {});
    EXPECT_TRUE(HasLine(text, "cd \"" + J("D:\\ソ") + "\""));
    EXPECT_TRUE(HasLine(text, "del \"" + J("D:\\ソ\\JWC_TEMP.TXT") + "\""));
  }
}

TEST(WrapperFrame, FolderComparisonFoldsAsciiLettersOnly) {
  WrapperInput in = Plain();
  in.Move = true;
  // ア (83 41) and ヂ (83 61) differ only by 0x20 in the trail byte.
  in.J = J("C:\\ア");
  in.F = J("C:\\ヂ");
  std::string text = BuildWrapper(in, {});
  EXPECT_TRUE(HasLine(text, "SET PATH=" + J("C:\\ヂ;C:\\ア;%PATH%")));
  EXPECT_TRUE(HasLine(text, "del \"" + J("C:\\ヂ\\JWC_TEMP.TXT") + "\""));

  in.F = J("c:\\ア");
  text = BuildWrapper(in, {});
  EXPECT_EQ(text.find("SET "), std::string::npos);
  EXPECT_EQ(text.find("cd "), std::string::npos);
  EXPECT_EQ(text.find("del "), std::string::npos);
}

TEST(WrapperFrame, JwFolderAtADriveRootIsEnteredWithItsSeparator) {
  WrapperInput in = Plain();
  in.J = "C:\\";
  in.F = "C:";
  EXPECT_EQ(BuildWrapper(in, {}).find("SET "), std::string::npos);

  in.F = "C:\\x";
  in.Move = true;
  in.Debug = true;
  std::string text = BuildWrapper(in, {});
  EXPECT_TRUE(HasLine(text, "SET PATH=C:\\x;C:\\;%PATH%"));
  EXPECT_TRUE(HasLine(text, "copy JWC_TEMP.TXT \"C:\\JWC_TEMP.TXT\" > nul\r\nC:\r\ncd \"C:\\\""));
  EXPECT_TRUE(HasLine(text, "\"notepad\" \"C:\\_VNKtemp.bat\""));
}

// --- the rewrites of the batch's lines --------------------------------------

TEST(WrapperRules, DebugEmptiesEchoOffAndCls) {
  WrapperInput in = Plain();
  in.Debug = true;
  for (const char* line : {"@echo off", "@ECHO OFF", "CLS", "  cls  ", " @Echo Off"})
    EXPECT_EQ(Rewritten(in, line), "\r\n") << line;
  for (const char* line : {"echo off", "cls x", "@echo  off"})
    EXPECT_EQ(Rewritten(in, line), std::string(line) + "\r\n") << line;
  in.Debug = false;
  EXPECT_EQ(Rewritten(in, "@ECHO OFF"), "@ECHO OFF\r\n");
  EXPECT_EQ(Rewritten(in, "CLS"), "CLS\r\n");
}

TEST(WrapperRules, ForceJgawk) {
  WrapperInput in = Plain();
  in.Gawk = 2;
  for (const char* e : {"gawk", "GO32+JGAWK"}) {
    in.E = e;
    EXPECT_EQ(Rewritten(in, "gawk -f a.awk"), "Jgawk -f a.awk\r\n") << e;
    EXPECT_EQ(Rewritten(in, "GAWK -f a.awk"), "JGAWK -f a.awk\r\n") << e;
    EXPECT_EQ(Rewritten(in, "go32 jgawk -f a.awk"), "jgawk -f a.awk\r\n") << e;
    EXPECT_EQ(Rewritten(in, "jgawk -f a.awk"), "jgawk -f a.awk\r\n") << e;
    EXPECT_EQ(Rewritten(in, " gawk -f a.awk"), " gawk -f a.awk\r\n") << e;
  }
  for (const char* e : {"jgawk", "?"}) {
    in.E = e;
    EXPECT_EQ(Rewritten(in, "gawk -f a.awk"), "gawk -f a.awk\r\n") << e;
  }
}

TEST(WrapperRules, ForceGawk) {
  WrapperInput in = Plain();
  in.Gawk = 1;
  for (const char* e : {"jgawk", "Go32+JGawk"}) {
    in.E = e;
    EXPECT_EQ(Rewritten(in, "jgawk -f a.awk"), "gawk -f a.awk\r\n") << e;
    EXPECT_EQ(Rewritten(in, "JGAWK -f a.awk"), "GAWK -f a.awk\r\n") << e;
    EXPECT_EQ(Rewritten(in, "go32 jgawk -f a.awk"), "gawk -f a.awk\r\n") << e;
    EXPECT_EQ(Rewritten(in, "gawk -f a.awk"), "gawk -f a.awk\r\n") << e;
  }
  in.E = "gawk";
  EXPECT_EQ(Rewritten(in, "jgawk -f a.awk"), "jgawk -f a.awk\r\n");
  in.E = "jgawk";
  in.Gawk = 0;
  EXPECT_EQ(Rewritten(in, "jgawk -f a.awk"), "jgawk -f a.awk\r\n");
}

TEST(WrapperRules, CharacterSetToolsLeaveTheBatch) {
  WrapperInput in = Plain();
  EXPECT_EQ(Rewritten(in, "chrawk.bat JWC_TEMP.TXT"),
            "call chrawk.bat JWC_TEMP.TXT\r\ngoto VNK\r\n\r\n");
  EXPECT_EQ(Rewritten(in, "  ChrAwk.BAT"), "call   ChrAwk.BAT\r\ngoto VNK\r\n\r\n");
  EXPECT_EQ(Rewritten(in, "CHRSET.EXE -s a"), "CHRSET.EXE -s a\r\ngoto VNK\r\n\r\n");
  EXPECT_EQ(Rewritten(in, "echo chrawk.bat"), "echo chrawk.bat\r\n");
  EXPECT_EQ(Rewritten(in, "tools\\chrset.exe"), "tools\\chrset.exe\r\n");
}

TEST(WrapperRules, NestedBatchesAreCalled) {
  WrapperInput in = Plain();
  EXPECT_EQ(Rewritten(in, "qzset x"), "call qzset x\r\n");
  EXPECT_EQ(Rewritten(in, "QZSETUP"), "call QZSETUP\r\n");
  EXPECT_EQ(Rewritten(in, "qzset.bat x"), "call call qzset.bat x\r\n");
  EXPECT_EQ(Rewritten(in, " qzset x"), " qzset x\r\n");
  EXPECT_EQ(Rewritten(in, "sub.BAT a b"), "call sub.BAT a b\r\n");
  EXPECT_EQ(Rewritten(in, J("D:\\ソフト\\表.bat")), "call " + J("D:\\ソフト\\表.bat") + "\r\n");
  EXPECT_EQ(Rewritten(in, "echo x.bat"), "echo x.bat\r\n");
  EXPECT_EQ(Rewritten(in, "x.bat.txt"), "x.bat.txt\r\n");
  // The word is taken from the line as read: a forced rewrite before does
  // not hide it.
  in.E = "jgawk";
  in.Gawk = 1;
  EXPECT_EQ(Rewritten(in, "jgawk.bat x"), "call gawk.bat x\r\n");
}

TEST(WrapperRules, HeaderFileGetsItsShortPath) {
  std::vector<std::string> asked;
  WrapperInput in = Plain();
  in.short_path_if_exists = [&](const std::string& path) {
    asked.push_back(path);
    return KnownShortPath(path);
  };
  EXPECT_EQ(Rewritten(in, "REM #h/" + kLongPath), "REM #h/" + kShortPath + "\r\n");
  EXPECT_EQ(Rewritten(in, "rem #H/" + kLongPath), "rem #H/" + kShortPath + "\r\n");
  EXPECT_EQ(Rewritten(in, "rem #h/D:\\none.txt"), "rem #h/D:\\none.txt\r\n");
  EXPECT_EQ(asked, (std::vector<std::string>{kLongPath, kLongPath, "D:\\none.txt"}));

  asked.clear();
  EXPECT_EQ(Rewritten(in, "rem x #h/" + kLongPath), "rem x #h/" + kLongPath + "\r\n");
  EXPECT_EQ(Rewritten(in, "#h/" + kLongPath), "#h/" + kLongPath + "\r\n");
  EXPECT_EQ(Rewritten(in, "rem #h/"), "rem #h/\r\n");
  EXPECT_TRUE(asked.empty());

  // Without a file system nothing exists, and nothing breaks.
  in.short_path_if_exists = nullptr;
  EXPECT_EQ(Rewritten(in, "REM #h/" + kLongPath), "REM #h/" + kLongPath + "\r\n");
}

TEST(WrapperRules, StartWaitBecomesCallwin) {
  WrapperInput in = Plain();
  in.Callwin = true;
  EXPECT_EQ(Rewritten(in, "Start /Wait notepad.exe a.txt "),
            "Callwin \"notepad.exe a.txt\"\r\n");
  EXPECT_EQ(Rewritten(in, "start /wait  notepad.exe"), "Callwin \"notepad.exe\"\r\n");
  EXPECT_EQ(Rewritten(in, "START /W calc.exe"), "Callwin \"calc.exe\"\r\n");
  EXPECT_EQ(Rewritten(in, J("Start /W表示.exe 能")), J("Callwin \"表示.exe 能\"\r\n"));
  EXPECT_EQ(Rewritten(in, "Start /Wait"), "Callwin \"\"\r\n");
  EXPECT_EQ(Rewritten(in, "Start calc.exe"), "Start calc.exe\r\n");
  EXPECT_EQ(Rewritten(in, " Start /W calc.exe"), " Start /W calc.exe\r\n");
  in.Callwin = false;
  EXPECT_EQ(Rewritten(in, "Start /Wait calc.exe"), "Start /Wait calc.exe\r\n");
}

TEST(WrapperRules, PercentZeroNamesTheUsersBatch) {
  WrapperInput in = Plain();
  in.B0 = J("D:\\ソフト\\円弧.bat");
  EXPECT_EQ(Rewritten(in, "echo %0"), "echo " + in.B0 + "\r\n");
  EXPECT_EQ(Rewritten(in, J("表%0ソ\\%0x")),
            J("表") + in.B0 + J("ソ\\") + in.B0 + "x\r\n");
  EXPECT_EQ(Rewritten(in, "echo %1 %~dp0"), "echo %1 %~dp0\r\n");
  // A batch whose own name holds "%0" is inserted once, not searched again;
  // its "%" is written "%%" and, being special to cmd, the path is quoted.
  in.B0 = "D:\\a%0.bat";
  EXPECT_EQ(Rewritten(in, "%0 %0"), "\"D:\\a%%0.bat\" \"D:\\a%%0.bat\"\r\n");
  // Rules stack: "call " in front, then the path.
  EXPECT_EQ(Rewritten(in, "qzset %0"), "call qzset \"D:\\a%%0.bat\"\r\n");
}

// --- folders that hold characters cmd treats specially ---------------------

// A batch folder like "D:\R&D\gaihen": unquoted, cmd would run "D\gaihen"
// as a command after the "&" and PATH would end at "D:\R". Each folder is
// written so that cmd reads it as the one value it is: the SET lines in the
// form SET "name=value", and "%" doubled everywhere, inside quotes too.
TEST(WrapperSpecialFolders, BatchFolderWithAmpersand) {
  WrapperInput in = Plain();
  in.F = "D:\\R&D\\gaihen";
  in.B0 = "D:\\R&D\\gaihen\\a.bat";
  in.E = "jgawk";
  in.Move = true;
  in.WriteOut = true;
  EXPECT_EQ(BuildWrapper(in, {"echo x"}),
            J("@REM   【Zelvanto テンポラリバッチ】通常モード\r\n") +
                "@echo off\r\n"
                "SET \"PATH=D:\\R&D\\gaihen;C:\\jww;%PATH%\"\r\n"
                "SET \"AWKPATH=D:\\R&D\\gaihen;C:\\jww;%AWKPATH%\"\r\n"
                "copy JWC_TEMP.TXT \"D:\\R&D\\gaihen\\JWC_TEMP.TXT\" > nul\r\n"
                "D:\r\n"
                "cd \"D:\\R&D\\gaihen\"\r\n"
                "copy JWC_TEMP.TXT \"D:\\R&D\\gaihen\\JWC_TEMP2.TXT\" > nul\r\n"
                "break\r\n" +
                kOpen + "echo x\r\n" + kClose +
                ":VNK\r\n"
                "copy JWC_TEMP.TXT \"C:\\jww\\JWC_TEMP.TXT\" > nul\r\n"
                "C:\r\n"
                "cd \"C:\\jww\"\r\n"
                "del \"D:\\R&D\\gaihen\\JWC_TEMP.TXT\"\r\n"
                "\r\n");

  in.E = "Ruby";
  for (const char* folder : {"D:\\a|b", "D:\\a<b>", "D:\\a^b", "D:\\Programs (x86)\\g"}) {
    in.F = folder;
    const std::string text = BuildWrapper(in, {});
    EXPECT_TRUE(HasLine(text, "SET \"PATH=" + std::string(folder) + ";C:\\jww;%PATH%\"")) << folder;
    EXPECT_TRUE(HasLine(text, "SET \"Rubylib=" + std::string(folder) + "\"")) << folder;
    EXPECT_TRUE(HasLine(text, "cd \"" + std::string(folder) + "\"")) << folder;
  }
}

TEST(WrapperSpecialFolders, PercentIsDoubledEvenInsideQuotes) {
  WrapperInput in = Plain();
  in.F = "D:\\p%PATH%q";
  in.B0 = "D:\\p%PATH%q\\a.bat";
  in.Move = true;
  const std::string text = BuildWrapper(in, {});
  EXPECT_TRUE(HasLine(text, "SET \"PATH=D:\\p%%PATH%%q;C:\\jww;%PATH%\""));
  EXPECT_TRUE(HasLine(text, "copy JWC_TEMP.TXT \"D:\\p%%PATH%%q\\JWC_TEMP.TXT\" > nul"));
  EXPECT_TRUE(HasLine(text, "cd \"D:\\p%%PATH%%q\""));
  EXPECT_TRUE(HasLine(text, "del \"D:\\p%%PATH%%q\\JWC_TEMP.TXT\""));
  EXPECT_EQ(text.find("%PATH%q"), std::string::npos);
}

// The Jw_cad folder and the editor can hold such characters too.
TEST(WrapperSpecialFolders, JwFolderAndEditor) {
  WrapperInput in = Plain();
  in.J = "C:\\Jw(1)&%x\\";
  in.Move = true;
  in.Debug = true;
  in.Editor = "C:\\100%\\ed (2).exe";
  const std::string text = BuildWrapper(in, {});
  EXPECT_TRUE(HasLine(text, "SET \"PATH=D:\\work;C:\\Jw(1)&%%x;%PATH%\""));
  EXPECT_TRUE(HasLine(text, "copy JWC_TEMP.TXT \"C:\\Jw(1)&%%x\\JWC_TEMP.TXT\" > nul\r\nC:\r\n"
                            "cd \"C:\\Jw(1)&%%x\""));
  EXPECT_TRUE(HasLine(text, "\"C:\\100%%\\ed (2).exe\" \"" + J("変形前.txt") + "\""));
  EXPECT_TRUE(HasLine(text, "\"C:\\100%%\\ed (2).exe\" \"JWC_TEMP.TXT\""));
  EXPECT_TRUE(HasLine(text, "\"C:\\100%%\\ed (2).exe\" \"C:\\Jw(1)&%%x\\_VNKtemp.bat\""));
  // The file name of the wrapper itself is the folder as it is.
  EXPECT_EQ(WrapperBatchPath(in.J), "C:\\Jw(1)&%x\\_VNKtemp.bat");

  // Both folders special: one SET line in the quoted form.
  in.F = "D:\\a&b";
  EXPECT_TRUE(HasLine(BuildWrapper(in, {}), "SET \"PATH=D:\\a&b;C:\\Jw(1)&%%x;%PATH%\""));
}

// Trail bytes that equal "|" (ポ is 83 7C) or "^" (タ is 83 5E) belong to
// their characters: such folders keep the plain text.
TEST(WrapperSpecialFolders, TrailBytesAreNotSpecial) {
  const std::string folder = J("D:\\タポ");
  ASSERT_NE(folder.find('|'), std::string::npos);
  ASSERT_NE(folder.find('^'), std::string::npos);
  WrapperInput in = Plain();
  in.F = folder;
  in.B0 = folder + "\\a.bat";
  in.Move = true;
  const std::string text = BuildWrapper(in, {"call %0"});
  EXPECT_TRUE(HasLine(text, "SET PATH=" + folder + ";C:\\jww;%PATH%"));
  EXPECT_TRUE(HasLine(text, "cd \"" + folder + "\""));
  EXPECT_TRUE(HasLine(text, "call " + folder + "\\a.bat"));
  EXPECT_FALSE(HasCmdSpecial(folder));
  EXPECT_EQ(ForCmdBare(folder + "&"), folder + "^&");
}

// "%0" becomes the batch's path. In quotes where it needs them (a blank or a
// special character) unless the line already has it inside quotes: both
// "call %0" and "call "%0"" call the batch by its quoted path, as %0 reads
// when a batch is started by a quoted path.
TEST(WrapperSpecialFolders, PercentZeroQuotedWhereItNeedsIt) {
  WrapperInput in = Plain();
  in.B0 = "D:\\R&D\\a.bat";
  const std::string q = "\"D:\\R&D\\a.bat\"";
  EXPECT_EQ(Rewritten(in, "call %0 :sub"), "call " + q + " :sub\r\n");
  EXPECT_EQ(Rewritten(in, "call \"%0\" :sub"), "call " + q + " :sub\r\n");
  EXPECT_EQ(Rewritten(in, "if \"%0\"==\"\" echo %0"),
            "if " + q + "==\"\" echo " + q + "\r\n");
  EXPECT_EQ(Rewritten(in, "echo \"a\" %0"), "echo \"a\" " + q + "\r\n");
  EXPECT_EQ(Rewritten(in, "echo \"a %0 b\""), "echo \"a D:\\R&D\\a.bat b\"\r\n");
  // A quote escaped by "^" opens nothing.
  EXPECT_EQ(Rewritten(in, "echo ^\"%0"), "echo ^\"" + q + "\r\n");
  EXPECT_EQ(Rewritten(in, "%~dp0x.exe %0"), "%~dp0x.exe " + q + "\r\n");

  in.B0 = "D:\\my dir\\a.bat";
  EXPECT_EQ(Rewritten(in, "call %0"), "call \"D:\\my dir\\a.bat\"\r\n");
  EXPECT_EQ(Rewritten(in, "call \"%0\""), "call \"D:\\my dir\\a.bat\"\r\n");
  in.B0 = "D:\\100%\\a.bat";
  EXPECT_EQ(Rewritten(in, "echo \"%0\""), "echo \"D:\\100%%\\a.bat\"\r\n");
  in.B0 = "D:\\a^b\\c.bat";
  EXPECT_EQ(Rewritten(in, "call %0"), "call \"D:\\a^b\\c.bat\"\r\n");
  // Callwin quotes the rest of the line: the path inside is not quoted again.
  in.Callwin = true;
  in.B0 = "D:\\R&D\\a.bat";
  EXPECT_EQ(Rewritten(in, "Start /W prog %0"), "Callwin \"prog D:\\R&D\\a.bat\"\r\n");
}

// The short path of a "#h/" header: "%" doubled in any line, since cmd
// expands it in comments too; other special characters escaped only where
// cmd reads the line as a command.
TEST(WrapperSpecialFolders, HeaderShortPath) {
  WrapperInput in = Plain();
  in.short_path_if_exists = [](const std::string& path) -> std::optional<std::string> {
    if (path == "D:\\R&D\\x.txt") return "D:\\R&D\\X.TXT";
    if (path == "D:\\100%\\x.txt") return "D:\\100%\\X.TXT";
    return std::nullopt;
  };
  EXPECT_EQ(Rewritten(in, "REM #h/D:\\R&D\\x.txt"), "REM #h/D:\\R&D\\X.TXT\r\n");
  EXPECT_EQ(Rewritten(in, "@rem #h/D:\\100%\\x.txt"), "@rem #h/D:\\100%%\\X.TXT\r\n");
  EXPECT_EQ(Rewritten(in, "echo #h/D:\\R&D\\x.txt"), "echo #h/D:\\R^&D\\X.TXT\r\n");
  EXPECT_EQ(Rewritten(in, "echo #h/D:\\100%\\x.txt"), "echo #h/D:\\100%%\\X.TXT\r\n");
}

TEST(WrapperRules, UntouchedLinesPassByteForByte) {
  WrapperInput in = Plain();
  in.Debug = true;
  in.Gawk = 2;
  in.E = "gawk";
  in.Callwin = true;
  const std::string utf8 = "rem \xE5\x86\x86\xE5\xBC\xA7 utf-8 %1";
  const std::string stray = std::string("ab\x80\xFF\xA0 \x00z", 8);
  const std::string lone_lead = std::string("echo x\x95", 7);
  const std::string lone_lf = "echo a\nb";
  for (const std::string& line : {utf8, stray, lone_lead, lone_lf, std::string()})
    EXPECT_EQ(Rewritten(in, line), line + "\r\n");
}

// --- reading the batch -----------------------------------------------------

TEST(WrapperReadBatchLines, LineEnds) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\rb\rc", {"a", "b", "c"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\r\n\r\nc", {"a", "b", "", "c"}},
      {"a\r\r\n\n", {"a", "", ""}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"no end", {"no end"}},
      {"", {}},
      {J("表\\\r\nソ\r\n"), {J("表\\"), J("ソ")}},
  };
  for (const Case& c : cases) {
    for (std::size_t chunk : {std::size_t{1}, std::size_t{4096}}) {
      test::StringSource src(c.bytes, std::string::npos, chunk);
      std::vector<std::string> lines = {"left over"};
      EXPECT_TRUE(ReadBatchLines(src, lines));
      EXPECT_EQ(lines, c.lines) << Utf8FromCp932(c.bytes) << " chunk " << chunk;
    }
  }
}

// A batch saved with LF line ends, or with CR LF and LF mixed, gets every
// rule on every one of its lines, and the wrapper ends each with CR LF.
TEST(WrapperReadBatchLines, LfBatchesAreRewrittenLineByLine) {
  const std::string batch =
      "@echo off\nsub.bat x\r\necho %0\nchrawk.bat JWC_TEMP.TXT\nqzset y\r\necho after";
  for (std::size_t chunk : {std::size_t{1}, std::size_t{4096}}) {
    test::StringSource src(batch, std::string::npos, chunk);
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadBatchLines(src, lines));
    WrapperInput in = Plain();
    EXPECT_EQ(Body(in, lines),
              "@echo off\r\n"
              "call sub.bat x\r\n"
              "echo D:\\work\\a.bat\r\n"
              "call chrawk.bat JWC_TEMP.TXT\r\ngoto VNK\r\n\r\n"
              "call qzset y\r\n"
              "echo after\r\n")
        << "chunk " << chunk;
    const std::string text = BuildWrapper(in, lines);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "LF alone at " << i;
      }
    }
  }
}

TEST(WrapperReadBatchLines, FailedReadIsReported) {
  test::StringSource broken("q and more", 1);  // one byte, then a failing read
  std::vector<std::string> lines;
  EXPECT_FALSE(ReadBatchLines(broken, lines));
}

}  // namespace
}  // namespace zel
