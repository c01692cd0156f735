// "Varnik.ini": the settings record and its positional file format.
//
// Every value sits on a fixed line; the key text in front of a value is for
// people and is never compared when reading: the reader cuts as many
// characters as the key has and converts the rest. The file is code page 932
// with CR LF line ends and has exactly 42 + 6n lines, n being "Tools=".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

struct FontSetting {
  std::string name;   // cp932; "ＭＳ ゴシック" unless the file says otherwise
  double size = 11.25;
  bool bold = false;
  bool italic = false;
};

// One favourite-folder button of the toolbar.
struct ToolButtonSetting {
  std::string key;      // folder path, ",", filter index; empty when free
  std::string tag;      // the filter index as text, as the line holds it
  std::string caption;  // display name of the folder
  std::string tooltip;  // the folder path
  std::int16_t image = 0;  // filter index + 1; 0 for a free button
};

// One field per line of the file, named after the key. Text fields are
// code page 932 bytes.
struct Settings {
  std::string editor;        // line 2
  std::string jwwfolder;     // line 3
  std::string gaihenfolder;  // line 4
  std::int16_t foldermove = 0;
  std::int16_t win = 0;      // 0 normal, 1 minimised, 2 maximised
  float Top = 0, Left = 0, Height = 0, Width = 0;  // twips
  FontSetting Treefont, ListFont, ComeFont;        // lines 11-22
  std::int16_t Gawk = 0;
  bool Callwin = false;
  float ColumnHead1W = 0, ColumnHead2W = 0, ColumnHead3W = 0;  // twips
  std::string ColumnPos = std::string(10, ' ');  // always 10 characters
  float Frame2left = 0, Frame3Top = 0;  // twips
  bool TextPosL = false;
  bool KeepJWCTEMP = false;
  std::int16_t Bootmode = 0;
  std::uint8_t Layered = 0;
  std::string Scomm49 = std::string(2, ' ');  // always 2 characters
  std::string ADDline;  // line breaks stored as " vbCrlf "
  // The toolbar's buttons. Loading fills the first ones from the file's
  // blocks and never changes how many there are; "Tools=" is written as
  // their number.
  std::vector<ToolButtonSetting> Tools;
  std::string Column1, Column2, Column3;  // captions, sort mark included
  std::int16_t ColumnSortkey = 0;
  std::int32_t ColumnSortOrder = 0;
};

// The values a first start uses before anything is read: "Notepad",
// "C:\JWW", the given current directory, the fonts "ＭＳ ゴシック" 11.25,
// and `buttons` free toolbar buttons.
Settings DefaultSettings(const std::string& current_dir, std::size_t buttons);

// Reads the file's lines into `s` by position. `lines` is null when the file
// could not be opened. A field whose line the file does not have (it ends
// early, or was not opened) keeps its value, and so does one whose value
// does not convert; a text field takes its line from the key's length on.
// "Tools=" that does not convert counts s.Tools.size() blocks; a negative
// count reads none; surplus blocks are read and dropped. Never fails.
void ParseSettings(const std::vector<std::string>* lines, Settings& s);

// The fallbacks applied after reading: empty jwwfolder -> "C:\JWW", empty
// gaihenfolder -> current_dir, empty editor -> "Notepad".
void ApplySettingsFallbacks(Settings& s, const std::string& current_dir);

// The whole file, 42 + 6n lines, each ended by CR LF. A CR or LF inside a
// text is written as a blank, so the line count always holds.
std::string FormatSettings(const Settings& s);

// Font sizes the reader takes, in points: what the font dialog offers.
constexpr double kMinFontPoints = 1;
constexpr double kMaxFontPoints = 1638;

// Conversions as the reader applies them (exposed for tests and for the
// options dialog): blanks around the value are allowed; an integer with a
// fraction rounds half to even. False when the text does not convert or is
// out of range (a single that is not finite, a font size outside
// kMinFontPoints..kMaxFontPoints); `out` is then untouched.
bool ParseInt16(const std::string& text, std::int16_t& out);
bool ParseInt32(const std::string& text, std::int32_t& out);
bool ParseByte(const std::string& text, std::uint8_t& out);
bool ParseSingle(const std::string& text, float& out);
bool ParseDecimal(const std::string& text, double& out);
bool ParseFontSize(const std::string& text, double& out);
bool ParseTruth(const std::string& text, bool& out);

// Number forms as the writer uses them.
std::string FormatSingle(float v);   // shortest form: 1234, 1234.5
std::string FormatFontSize(double v);  // up to four places: 11.25, 9
std::string FormatTruth(bool v);     // "True" / "False"

}  // namespace zel
