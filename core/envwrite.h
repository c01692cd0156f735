// Writing out Jw_cad's environment as the new "JW_WIN.JWF": the adjustments
// made to the commented file, and how to tell that Jw_cad really wrote the
// file it was asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel {

// The name the environment's "GCOM_170" line gets in its sixth field: the
// wrapper batch "_VNKtemp.bat" without its extension, so Jw_cad's external
// transformation command runs what the program writes there.
inline constexpr std::string_view kWrapperBatchStem = "_VNKtemp";

// The commented environment (every line ended by CR LF) made ready for
// Jw_cad, line by line:
//  - a line beginning "GCOM_170" (any case) gets "_VNKtemp" as its sixth
//    comma-separated field; every other field stays as read, empty ones and
//    an empty last one after a final comma included. A line with fewer
//    than six fields stays as it is.
//  - a line beginning "S_comm_4" (any case) has its first "#new#" replaced
//    by `scomm49`, the two characters of the dot count setting (two blanks
//    when it is not set), taken as plain text.
//  - before a line beginning "END" (any case) come the lines of `addline`,
//    whose line breaks are stored as " vbCrlf " (any case): an empty
//    setting gives one empty line.
// Every line is written with CR LF.
std::string PrepareWrittenEnvironment(const std::string& commented, std::string_view scomm49,
                                      std::string_view addline);

// The text of the ADDline setting as lines: each " vbCrlf " (any letter
// case) becomes CR LF.
std::string AddLineText(std::string_view addline);

// What the program knows of "T.JWF" around the request to Jw_cad.
struct SavedFileCheck {
  // T existed before the request and could not be removed, so only a newer
  // time stamp can tell a fresh file from the old one. When it did not
  // exist or was removed, any file there afterwards is Jw_cad's.
  bool old_file_stayed = false;
  std::uint64_t old_time = 0;  // its full time stamp (100 ns units)
  // Afterwards: the file's full time stamp, nothing when there is no file.
  std::optional<std::uint64_t> new_time;
};

// True when Jw_cad wrote the file. The full time stamp is compared, never
// only its seconds: a file written within the second of the request is as
// good as any other.
bool JwCadWroteFile(const SavedFileCheck& check);

}  // namespace zel
