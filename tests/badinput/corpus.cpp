#include "tests/badinput/corpus.h"

#include <algorithm>
#include <stdexcept>

#include "core/text.h"
#include "tests/support/std_fs.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zel::test {

namespace fs = std::filesystem;

namespace {

// Bytes of every value from a fixed seed, the same on every run. Blanks
// and "#" are replaced, so no line holds more than one word and none holds
// the marker: what the readers make of it is then known exactly.
std::string Binary(std::size_t n, std::uint32_t seed) {
  std::string out(n, '\0');
  std::uint32_t x = seed;
  for (char& c : out) {
    x = x * 1664525u + 1013904223u;
    auto b = static_cast<unsigned char>(x >> 24);
    if (b == ' ') b = '!';
    if (b == '#') b = '$';
    c = static_cast<char>(b);
  }
  return out;
}

std::string Repeat(const std::string& piece, std::size_t bytes) {
  std::string out;
  out.reserve(bytes + piece.size());
  while (out.size() < bytes) out += piece;
  return out;
}

// A small batch for the names cmd treats specially: its lines run in a
// moment and show that the batch ran, and that "%0" found it again.
std::string NamedBatch(const std::string& title, const std::string& tag) {
  return "REM " + title + " *\r\nREM #jw\r\necho RAN-" + tag +
         "-end>> JWC_TEMP.TXT\r\nif exist %0 echo SELF-" + tag + "-end>> JWC_TEMP.TXT\r\n";
}

std::string RanLine(const std::string& tag) {
  return "echo RAN-" + tag + "-end>> JWC_TEMP.TXT";
}

// A file that is no batch of the list.
CorpusFile Plain(const std::string& stem, std::string bytes) {
  CorpusFile f;
  f.stem = stem;
  f.bytes = std::move(bytes);
  return f;
}

// A batch the list shows with `title`; the folder search counts it too.
CorpusFile Listed(const std::string& stem, std::string bytes, const std::string& title,
                  const std::string& run_tag = "") {
  CorpusFile f = Plain(stem, std::move(bytes));
  f.listed = true;
  f.title = title;
  f.qualifies = true;
  f.run_tag = run_tag;
  return f;
}

std::vector<CorpusFile> Build() {
  std::vector<CorpusFile> c;
  using O = Outcome;

  // Binary files: one that is no batch, one that starts like a program and
  // carries the marker on its second line.
  c.push_back(Plain("binary", Binary(64 << 10, 1)));
  {
    const std::string head("MZ\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00\xFF\xFF\x00\x00", 16);
    // cmd gives up on a batch with NUL bytes in it: nothing says it ran.
    c.push_back(Listed("binary_exe",
                       head + "\r\nREM #jw\r\n" + RanLine("exe") + "\r\n" + Binary(16 << 10, 2),
                       " " + head));
  }

  // Invalid Shift-JIS: bytes no character starts with (80, A0, FD-FF), a
  // lead byte before a byte that cannot follow it, half-width kana.
  c.push_back(Listed("invalid_sjis",
                     "REM \x80\xA0\xFD\xFE\xFF\x81\x7F" + J("不正") +
                         " *\r\nREM #jw\r\nrem \x81 \x9F\xFC\xA0\xFF\r\n" + RanLine("sjis") +
                         "\r\necho \xEF\xBF\xBD\xFE\r\nrem \xB6\xC0\xB6\xC5\xDF\r\n",
                     " \x80\xA0\xFD\xFE\xFF\x81\x7F" + J("不正"), "sjis"));

  // A lone lead byte at the end of lines, before the title's " *", before
  // the marker, and as the file's very last byte.
  c.push_back(Listed("lone_lead",
                     J("REM 表") + "\x95 *\r\nREM #jw\x83\r\n" + J("rem 説明") + "\x82\r\n\x95#jw\r\n" +
                         RanLine("lone") + "\r\necho end\x95",
                     J(" 表") + "\x95", "lone"));

  // A comment line of a megabyte, every character's trail byte 0x5C. cmd
  // stops at a line longer than 8191 characters: nothing says it ran.
  c.push_back(Listed("long_line",
                     J("REM 長い行\r\nREM #jw\r\nrem ") + Repeat(J("表ソ能"), 1 << 20) + "\r\n" +
                         RanLine("long") + "\r\n",
                     J(" 長い行")));
  // A title line of a megabyte, half of it blanks before the final " *".
  c.push_back(Listed("long_title",
                     "REM " + std::string(512 << 10, 'a') + std::string(512 << 10, ' ') +
                         "b *\r\nREM #jw\r\n",
                     " " + std::string(512 << 10, 'a') + std::string(512 << 10, ' ') + "b"));
  // A megabyte without a line end: one line, so never listed, though the
  // folder search sees the marker at its start.
  {
    CorpusFile f = Plain("one_line", "#jw" + std::string(1 << 20, 'x'));
    f.qualifies = true;
    c.push_back(f);
  }

  // 40,000 lines: of comments (too many to show in either mode), and of
  // commands, cheap for cmd to run (the filtered view shows the one
  // comment).
  {
    std::string rem = J("REM 四万行の説明\r\nREM #jw\r\n"), set = J("REM 四万行\r\nREM #jw\r\n");
    for (int i = 0; i < 40000; ++i) {
      rem += J("rem 行 ") + std::to_string(i) + "\r\n";
      set += "set zel_line=" + std::to_string(i) + "\r\n";
    }
    set += J("rem 最後\r\n") + RanLine("many") + "\r\n";
    CorpusFile comments = Listed("lines_40000_rem", rem, J(" 四万行の説明"));
    comments.filtered = comments.all = O::kTooManyLines;
    comments.settings_filtered = comments.settings_all = O::kTooManyLines;
    c.push_back(comments);
    CorpusFile commands = Listed("lines_40000_set", set, J(" 四万行"), "many");
    commands.all = O::kTooManyLines;
    commands.settings_filtered = commands.settings_all = O::kTooManyLines;
    c.push_back(commands);
  }

  // A line of 40 words after an engine line.
  {
    std::string words = "echo";
    for (int i = 1; i <= 40; ++i) words += " w" + std::to_string(i);
    CorpusFile f = Listed("words_40",
                          J("REM 四十語\r\nREM #jw\r\ngawk -f a.awk\r\n") + words + " > nul\r\n" +
                              RanLine("words") + "\r\n",
                          J(" 四十語"), "words");
    f.filtered = f.all = O::kTooManyWords;
    f.engine = "GAWK";
    c.push_back(f);
  }

  // UTF-8 batches, with and without the byte order mark. Their bytes are
  // taken as code page 932 like any others: the mark stays in the title.
  c.push_back(Listed("utf8_bom",
                     "\xEF\xBB\xBFREM 円弧（UTF-8）\r\nREM #jw\r\nrem 説明の行\r\n" + RanLine("u8") + "\r\n",
                     " \xEF\xBB\xBFREM 円弧（UTF-8）", "u8"));
  c.push_back(Listed("utf8_nobom",
                     "REM 円弧ＢＯＭなし\r\nREM #jw\r\nrem 説明の行\r\n" + RanLine("u8n") + "\r\n",
                     " 円弧ＢＯＭなし", "u8n"));

  // Line ends: mixed CR LF, LF and CR (and an LF CR pair, which ends two
  // lines), CR alone, LF alone.
  c.push_back(Listed("mixed_ends",
                     J("REM 改行混在\r\nREM #jw\nrem 一\rrem 二\r\necho 三> nul\n\r") + RanLine("mixed"),
                     J(" 改行混在"), "mixed"));
  c.push_back(Listed("cr_only", J("REM CRだけ\rREM #jw\rrem 説明\r") + RanLine("cr") + "\r",
                     J(" CRだけ"), "cr"));
  c.push_back(Listed("lf_only", J("REM LFだけ\nREM #jw\nrem 説明\n") + RanLine("lf") + "\n",
                     J(" LFだけ"), "lf"));

  // Files with nothing, or nothing but line ends, NULs or a byte order mark.
  {
    CorpusFile f = Plain("empty", "");
    f.filtered = f.all = f.settings_filtered = f.settings_all = O::kUnreadable;
    c.push_back(f);
  }
  c.push_back(Plain("blank_lines", "\r\n\r\n\r\n"));
  c.push_back(Plain("nuls", std::string(4096, '\0')));
  c.push_back(Plain("bom_only", "\xEF\xBB\xBF"));

  // An environment file with broken bytes in its values, a TAB comment and
  // lines after its end line.
  c.push_back(Plain("env_bad", J("#古い題") + "\x81\r\nPEN_W 1 \xFF\xFE 3\r\n" + J("LAYNAM0 名前") +
                                   "\x95\r\nGCOM_123 \x80 " + J("表") + "\x95\r\n" + J("MINE 表ソ能") +
                                   "\x83\r\n\t" + J("タブ") + "\r\nCOM_LAY 0=\x81=1\r\nEND\r\nAFTER_END 1\r\n"));

  // Names cmd treats specially, and names with the trail byte 0x5C.
  const std::pair<const char*, const char*> names[] = {
      {"R&D", "amp"},   {"100%", "pct"},        {"%PATH%", "var"},
      {"a^b", "caret"}, {"two words", "blank"}, {"表", "hyo"},
      {"ソ", "so"},     {"能", "no"},           {"表ソ能 & 100% ^", "all"},
  };
  for (const auto& [name, tag] : names) {
    const std::string title = J("名前 ") + J(name);
    c.push_back(Listed(J(name), NamedBatch(title, tag), " " + title, tag));
  }

  // A read-only batch (and environment and layer file).
  {
    CorpusFile f = Listed("readonly", NamedBatch(J("読み取り専用"), "ro"), J(" 読み取り専用"), "ro");
    f.read_only = true;
    c.push_back(f);
  }
  return c;
}

}  // namespace

const std::vector<CorpusFile>& Corpus() {
  static const std::vector<CorpusFile> corpus = Build();
  return corpus;
}

const CorpusFile& CorpusEntry(const std::string& stem) {
  for (const CorpusFile& f : Corpus())
    if (f.stem == stem) return f;
  throw std::logic_error("no corpus entry " + stem);
}

std::string SearchedFolderName() { return J("表ソ能&100%^"); }
std::string BlankFolderName() { return "R & D"; }

std::string FirstLine(const std::string& bytes) {
  return bytes.substr(0, bytes.find_first_of("\r\n"));
}

CorpusDir::CorpusDir(const std::string& name)
    : root_(dir_.path()), folder_(dir_.path() / PathFromCp932(name)) {
  fs::create_directories(folder_);
  for (const CorpusFile& f : Corpus()) {
    for (const char* ext : {".bat", ".jwf", ".jwl"}) {
      const fs::path p = File(f.stem, ext);
      WriteBytes(p, f.bytes);
      if (f.read_only) SetReadOnly(p, true);
    }
  }
  for (const std::string& sub :
       {SearchedFolderName(), SearchedFolderName() + "\\" + J("能"), BlankFolderName()}) {
    const fs::path d = folder_ / PathFromCp932(NativePath(sub));
    fs::create_directories(d);
    WriteBytes(d / PathFromCp932(J("中.bat")), J("REM 下の外変\r\nREM #jw\r\n"));
    WriteBytes(d / PathFromCp932(J("中.jwf")), J("下の環境\r\n"));
  }
}

CorpusDir::~CorpusDir() {
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec)) SetReadOnly(it->path(), false);
}

fs::path CorpusDir::File(const std::string& stem, const char* ext) const {
  return folder_ / PathFromCp932(stem + ext);
}

void SetReadOnly(const fs::path& p, bool read_only) {
#ifdef _WIN32
  const DWORD a = GetFileAttributesW(p.wstring().c_str());
  if (a == INVALID_FILE_ATTRIBUTES) throw std::runtime_error("no file " + p.string());
  const DWORD want = read_only ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~FILE_ATTRIBUTE_READONLY);
  if (want != a && !SetFileAttributesW(p.wstring().c_str(), want))
    throw std::runtime_error("cannot change " + p.string());
#else
  fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  read_only ? fs::perm_options::remove : fs::perm_options::add);
#endif
}

bool IsReadOnly(const fs::path& p) {
#ifdef _WIN32
  const DWORD a = GetFileAttributesW(p.wstring().c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
#else
  std::error_code ec;
  return (fs::status(p, ec).permissions() & fs::perms::owner_write) == fs::perms::none;
#endif
}

FolderSnapshot Snapshot(const fs::path& folder) {
  FolderSnapshot shot;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const fs::path& p = it->path();
    shot[fs::relative(p, folder)] = {ReadBytes(p), fs::last_write_time(p, ec), IsReadOnly(p)};
  }
  if (ec) throw std::runtime_error("cannot list " + folder.string());
  return shot;
}

std::string Differences(const FolderSnapshot& before, const FolderSnapshot& after,
                        const std::set<fs::path>& allowed) {
  std::string out;
  auto name = [](const fs::path& p) { return Utf8FromCp932(Cp932FromPath(p)); };
  for (const auto& [path, state] : before) {
    if (allowed.count(path)) continue;
    auto it = after.find(path);
    if (it == after.end())
      out += "gone: " + name(path) + "\n";
    else if (!(it->second == state))
      out += "changed: " + name(path) + "\n";
  }
  for (const auto& [path, state] : after)
    if (!allowed.count(path) && !before.count(path)) out += "new: " + name(path) + "\n";
  return out;
}

}  // namespace zel::test
