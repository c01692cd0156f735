#include "core/fileops.h"

#include "core/filelist.h"
#include "core/text.h"
#include "core/words.h"

namespace zel {

namespace {

constexpr char kReplaced[] = {'\\', '/', ':', ',', ';', '*', '?', '"', '<', '>', '|'};

bool IsReplaced(char c) {
  for (char r : kReplaced)
    if (c == r) return true;
  return false;
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

}  // namespace

std::string FnRep(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = CharLenAt(text, i);
    if (len == 1 && IsReplaced(text[i]))
      out += '_';
    else
      out.append(text.substr(i, len));
    i += len;
  }
  return out;
}

RenameParts SplitForRename(std::string_view path) {
  RenameParts parts;
  const std::size_t slash = FindLastChar(path, '\\');
  std::string_view name = path;
  if (slash != std::string_view::npos) {
    parts.folder = std::string(path.substr(0, slash));
    name = path.substr(slash + 1);
  }
  const std::size_t dot = FindLastChar(name, '.');
  if (dot == std::string_view::npos) {
    parts.base = std::string(name);
  } else {
    parts.base = std::string(name.substr(0, dot));
    parts.ext = std::string(name.substr(dot + 1));
  }
  return parts;
}

std::optional<std::string> RenamedFileName(std::string_view answer, std::string_view ext) {
  std::string cleaned = FnRep(answer);
  for (std::size_t i = 0; i < cleaned.size();) {
    const std::size_t len = CharLenAt(cleaned, i);
    if (len == 1 && IsControl(cleaned[i])) cleaned[i] = '_';
    i += len;
  }
  // A blank is never a trail byte, so the ends can be cut bytewise.
  const std::size_t first = cleaned.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  cleaned = cleaned.substr(first, cleaned.find_last_not_of(' ') - first + 1);
  return cleaned + "." + std::string(ext);
}

std::string ResolveInFolder(std::string_view folder, std::string_view name) {
  const bool drive = name.size() >= 2 && name[1] == ':' &&
                     ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  const bool unc = name.size() >= 2 && name[0] == '\\' && name[1] == '\\';
  if (drive || unc) return std::string(name);
  return JoinPath(std::string(folder), std::string(name));
}

std::vector<std::string> FilesToEditAll(std::string_view folder, std::string_view related_list,
                                        std::string_view selected_path) {
  std::vector<std::string> out;
  for (const std::string& word : SplitWords(related_list))
    if (!word.empty()) out.push_back(ResolveInFolder(folder, word));
  if (!selected_path.empty()) out.emplace_back(selected_path);
  return out;
}

const char* JwwFileName(JwwFile f) {
  switch (f) {
    case JwwFile::kJwwSmpl: return "jww_smpl.bat";
    case JwwFile::kSampleJwf: return "sample.jwf";
    case JwwFile::kSampleJwl: return "sample.jwl";
    case JwwFile::kKeisanJwm: return "Keisan.jwm";
    case JwwFile::kJwOpt4: return "JW_OPT4.DAT";
    case JwwFile::kJwWinTxt: return "jw_win.txt";
    case JwwFile::kJwcTemp: return "JWC_TEMP.TXT";
    case JwwFile::kVnkTempBat: return "_VNKtemp.bat";
    case JwwFile::kJwWinJwf: return "jw_win.jwf";
  }
  return "";
}

bool OfferedOnlyWhenPresent(JwwFile f) {
  switch (f) {
    case JwwFile::kJwwSmpl:
    case JwwFile::kSampleJwf:
    case JwwFile::kSampleJwl:
    case JwwFile::kKeisanJwm:
    case JwwFile::kJwWinTxt:
      return true;
    default:
      return false;
  }
}

}  // namespace zel
