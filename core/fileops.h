// The decisions behind the file commands of the list and the Samples menu:
// the new name of a renamed file, the files "ＡＬＬ" opens, and the fixed
// files of the Jw_cad folder. Names and paths are code page 932 bytes and
// are walked by characters: a trail byte 0x5C (表 95 5C) or 0x7C (ポ 83 7C)
// is never taken for "\" or "|".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// The text with each of the characters \ / : , ; * ? " < > | replaced by
// "_" (all occurrences, in that order).
std::string FnRep(std::string_view text);

// A file path cut for renaming: the folder (without the final "\"), the
// base name (before the name's last ".") and the extension (after it,
// letter case as it stands; empty when the name has no ".").
struct RenameParts {
  std::string folder;
  std::string base;
  std::string ext;
};
RenameParts SplitForRename(std::string_view path);

// The name a rename answer gives: the answer cleaned by FnRep, control
// characters (which no file name may hold) also replaced by "_", blanks
// at either end dropped, then "." and `ext`. Nothing when the answer is
// empty after cleaning.
std::optional<std::string> RenamedFileName(std::string_view answer, std::string_view ext);

// A name as the list or the analysis gives it, resolved in `folder`: an
// absolute path ("C:\..." or "\\server\...") stays as it is, anything else
// is joined to the folder.
std::string ResolveInFolder(std::string_view folder, std::string_view name);

// The files "ＡＬＬ" opens, in order: every name of the related-file list
// (blank-separated, resolved in `folder`), then the selected file itself.
// Empty when both are empty.
std::vector<std::string> FilesToEditAll(std::string_view folder, std::string_view related_list,
                                        std::string_view selected_path);

// The fixed files of the Jw_cad folder that the Samples menu and the
// "JW_WIN.JWF" button open in the editor.
enum class JwwFile {
  kJwwSmpl,     // "Jww_smpl.bat(&B)"
  kSampleJwf,   // "Sample.jwf(&F)"
  kSampleJwl,   // "Sample.jwL(&L)"
  kKeisanJwm,   // "Keisan.jwm(&M)"
  kJwOpt4,      // "JW_OPT4.DAT(&O)"
  kJwWinTxt,    // "Jw_win.txt(&J)"
  kJwcTemp,     // "JWC_TEMP.TXT(&P)"
  kVnkTempBat,  // "_VNKtemp.bat(&T)"
  kJwWinJwf,    // the button "JW_WIN.JWF"
};

// The file's name in the Jw_cad folder.
const char* JwwFileName(JwwFile f);

// True for the Samples entries that are greyed while their file is
// missing; the others (JW_OPT4.DAT, JWC_TEMP.TXT, _VNKtemp.bat) are always
// offered.
bool OfferedOnlyWhenPresent(JwwFile f);

}  // namespace zel
