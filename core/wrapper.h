// The wrapper batch "_VNKtemp.bat" that Jw_cad runs instead of the user's
// batch.
//
// Jw_cad runs its external transformations in its own folder with
// "JWC_TEMP.TXT" as the exchange file, and a batch that calls "%0" or another
// batch would lose its way there. So the program never hands the user's batch
// over as it is: it writes a wrapper into the Jw_cad folder that sets up the
// search paths, can carry the exchange file into the batch's folder and back,
// can run in a debug mode, and holds the batch's own lines with a few
// rewrites (forced awk program, "call" for nested batches, "goto VNK" after
// the character-set tools, "%0" replaced by the real batch path).
//
// All text is code page 932 bytes; a batch line that no rewrite touches is
// copied byte for byte, whatever its encoding. The folders and paths the
// wrapper writes (the batch folder, the Jw_cad folder, the editor, the
// batch's path for "%0", a header's short path) may hold characters cmd
// treats specially ("D:\R&D", "D:\p%PATH%q"); they are written so that cmd
// reads each as the one literal value it is (core/cmdtext.h), and a folder
// without such characters keeps the plain text.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/linereader.h"

namespace zel {

struct WrapperInput {
  // The Jw_cad folder as typed; a trailing "\" is dropped.
  std::string J;
  // The current folder of the file list. A trailing "\" is dropped, so a
  // drive root may come as "D:" or "D:\".
  std::string F;
  // F, "\" and the file name of the selected row: the path that "%0" in the
  // batch's lines stands for.
  std::string B0;
  // The engine label of the batch analysis ("JGAWK", "GO32+JGAWK", "GAWK",
  // "Ruby", "?", ...), compared without regard to letter case.
  std::string E;
  bool Move = false;      // carry the work into the batch's folder
  bool Debug = false;     // show commands, keep the input, open the editor
  bool WriteOut = false;  // copy the exchange file out as "JWC_TEMP2.TXT"
  int Gawk = 0;           // 0 as the batch says, 1 force GAWK, 2 force JGAWK
  bool Callwin = false;   // "Start /W" becomes "Callwin"
  bool KeepJWCTEMP = false;  // keep the exchange file in the batch's folder
  std::string Editor;        // the editor command (debug mode)
  // The short (8.3) path of a file when it exists, nothing otherwise. When
  // not set, no file counts as existing.
  std::function<std::optional<std::string>(const std::string& path)>
      short_path_if_exists;
};

// J without a trailing "\" followed by "\_VNKtemp.bat".
std::string WrapperBatchPath(const std::string& jw_folder);

// The whole wrapper text, every line ended by CR LF, plus the one extra
// CR LF the write adds.
std::string BuildWrapper(const WrapperInput& in,
                         const std::vector<std::string>& batch_lines);

// The lines of a batch as the wrapper takes them: CR LF, CR and LF each end
// a line, so a batch saved with LF line ends (or a mix) gets every rewrite
// on every line, and the wrapper writes each line back with CR LF; the
// bytes of a line are unchanged; a last line without a line end counts; an
// empty file has no lines. False when reading failed (the lines read before
// it stay in `lines`, but must not be used for a wrapper).
bool ReadBatchLines(ByteSource& src, std::vector<std::string>& lines);

}  // namespace zel
