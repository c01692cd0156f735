// The main window "Zelvanto": folder boxes, file-type filter, drive list,
// favourites toolbar, folder tree, file list and comment pane.
//
// Controls keep the names users of the program know from its design
// (txt_gai, Txt_jww, ListView1, ...). Decisions that need no window are made
// in core/; this class gathers input, calls core/ and shows the result.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/folder_search.h"
#include "app/pane_drag.h"
#include "core/filelist.h"
#include "core/listorder.h"
#include "core/panes.h"
#include "core/settings.h"
#include "platform/handles.h"
#include "platform/run_guard.h"
#include "platform/winops.h"

namespace zel {

class FavouritesBar;
class ListPrefetch;
class FolderTreePane;
class TrayWindow;
struct TrayHost;
enum class CommentMode;
enum class JwwFile;
struct OptionsHost;

// Menu command identifiers.
enum MenuCommand : UINT {
  kCmdEndd = 1001,
  kCmdVer,
  kCmdFolderseek,
  kCmdJwfOut,
  kCmdMnuOption,
  kCmdJwwSmpl,
  kCmdSJwf,
  kCmdSJwl,
  kCmdKJwm,
  kCmdMnuOpt4,
  kCmdJwwinTxt,
  kCmdJwctemp,
  kCmdVnkTempBat,
  // The list's context menu; the offset is the entry's index.
  kCmdContextBase = 1100,
  kCmdBatedit = kCmdContextBase + 0,
  kCmdDebRun = kCmdContextBase + 1,
  kCmdMSaisin = kCmdContextBase + 2,
  kCmdAddcome = kCmdContextBase + 3,
  kCmdFilekill = kCmdContextBase + 4,
  kCmdAddcomebubun = kCmdContextBase + 5,
  kCmdMnuRemame = kCmdContextBase + 6,
  kCmdNmuTmpOut = kCmdContextBase + 7,
  kCmdKanrenfileFirst = kCmdContextBase + 11,  // kanrenfile(11) .. (24)
  kCmdKanrenfileLast = kCmdContextBase + 24,
  // The tree's context menu.
  kCmdFoldaopen = 1201,
  kCmdChildfoldaseek,
  kCmdFoldel,
  // Toolbar buttons 1..20.
  kCmdToolButtonFirst = 3001,
};

constexpr int kToolButtonCount = 20;

// The main window's class (kVarnikMainWindowClass): other programs find the
// window by its title "Zelvanto"; a second start and Pocklet match the class
// too.
constexpr const wchar_t* kMainWindowClass = kVarnikMainWindowClass;

// Control identifiers for WM_COMMAND and WM_NOTIFY.
enum ControlId : int {
  kIdTxtGai = 2001, kIdTxtJww, kIdTextEdit, kIdTxtengin, kIdCombo1, kIdCommand3,
  kIdChkSmenu, kIdComJwwinjwf, kIdCommand1, kIdDrvList, kIdToolbar1, kIdTreeView1,
  kIdListView1, kIdText1, kIdSBar1,
};

class VarnikWindow {
 public:
  // `arguments` is the command line after the program name, code page 932.
  // `program_folder` overrides the folder of the program file (tests host
  // the window in-process with a folder of their own).
  explicit VarnikWindow(std::string arguments, std::string program_folder = "");
  ~VarnikWindow();
  VarnikWindow(const VarnikWindow&) = delete;
  VarnikWindow& operator=(const VarnikWindow&) = delete;

  // Creates the window, runs the load sequence and shows it. False when the
  // window could not be created.
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }
  bool alive() const { return hwnd_ != nullptr; }

  // Keyboard handling before the focused control sees a key (the window's
  // key preview, Esc as the cancel key, Tab between controls). True when
  // the message was consumed.
  bool PreTranslate(MSG& msg);

  // Procedures other parts of the program call.
  void AnalyseSelectedFile();
  void RunSelectedFile();
  void RefreshFileList();
  void Savecfg();
  void ArrangePanes();
  void CloseByBootMode();
  void Unload();
  // The options dialog, modal; ignored while a run is under way.
  void ShowOptions();
  // What the options dialog edits of this window (tests open the dialog
  // modeless with it).
  OptionsHost OptionsHostOfThisWindow();

  // State read by tests and other windows.
  const Settings& settings() const { return settings_; }
  TrayWindow* frmtask() const { return frmtask_.get(); }
  const std::string& ProgramFolder() const { return program_folder_; }
  const std::string& WrapperBatchPath() const { return wrapper_batch_path_; }
  const std::string& JwwDrive() const { return jww_drive_; }
  const std::string& SelectedFilePath() const { return selected_file_path_; }
  const std::string& SelectedDrive() const { return selected_drive_; }
  const std::string& EngineLabel() const { return engine_label_; }
  const std::string& RelatedFileList() const { return related_file_list_; }
  bool ShowsAllLines() const { return display_all_; }
  // Captions of kanrenfile(11) .. (24) and whether each is offered.
  const std::array<std::string, 14>& KanrenCaptions() const { return kanren_captions_; }
  const std::array<bool, 14>& KanrenVisible() const { return kanren_visible_; }
  std::string CurrentFolder() const;
  int FilterIndex() const;
  bool key_preview() const { return key_preview_; }
  // The dots per inch the window is laid out for.
  int dpi() const { return dpi_; }
  const PaneDrag* pane_drag() const { return pane_drag_.get(); }
  // A run, an activation, a drive of Jw_cad's dialogs or a history entry's
  // re-run is under way; further requests are ignored meanwhile.
  bool busy() const { return run_guard_.busy(); }
  // A folder search runs (on a worker thread; the window keeps answering).
  bool searching() const { return search_ != nullptr; }
  const FolderTreePane& tree_pane() const { return *tree_pane_; }
  const FavouritesBar& favourites() const { return *favourites_; }
  // The text of the tree node clicked last: a registration's caption.
  const std::string& FolderDisplayName() const { return folder_display_name_; }

  // Controls, named as in the window design.
  HWND txt_gai = nullptr, Txt_jww = nullptr, Text_edit = nullptr, txtengin = nullptr;
  HWND label2 = nullptr, LabelJww = nullptr, LabelEdit = nullptr, Label5 = nullptr;
  HWND Combo1 = nullptr, Command3 = nullptr, chk_smenu = nullptr;
  HWND Com_jwwinjwf = nullptr, Command1 = nullptr;
  HWND drvList = nullptr, Toolbar1 = nullptr, Label6 = nullptr;
  HWND TreeView1 = nullptr, ListView1 = nullptr;
  HWND Frame2 = nullptr, Frame3 = nullptr, Shape1 = nullptr, SBar1 = nullptr, Text1 = nullptr;
  std::array<HWND, 2> Line2{};
  HMENU menu_bar = nullptr, context = nullptr, tree = nullptr;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(UINT id, UINT code, HWND ctl);
  LRESULT OnNotify(NMHDR* hdr);
  bool OnFormKeyDown(UINT vk, LPARAM flags);
  void OnFormKeyUp(UINT vk);
  void OnListKeyUp(UINT vk);
  void OnListButton(bool right);
  void OnDisplayModePanel();
  void SetupContextMenu();
  void RebuildRelatedMenu();
  std::string SelectedRowColumn(int column) const;
  // The title of the selected row, byte for byte as the list found it.
  std::string SelectedRowTitle() const;
  // Forgets the selection state (the list was refilled).
  void ClearSelectionState();
  // True when the selection state belongs to the highlighted row.
  bool SelectionIsHighlightedRow() const;

  // Running (varnik_run.cpp).
  void RunBatch();
  // `batch` and `wrapper` (the text written) as they were when the run
  // began: the list may have been refilled while Jw_cad came to the front.
  void RecordRunInHistory(const std::string& title, const std::string& batch,
                          const std::string& wrapper);
  bool ActivateEnvironmentFile();
  bool RestartJwCadWith(const std::string& B, const std::string& J);
  bool ActivateLayerFile();
  void ReportCopyFailure(const std::string& from, const std::string& to);
  // Jw_cad's own open and save dialogs, filled with `path`. False when
  // Jw_cad is not running (the user has been told).
  bool ZYomikomi(const std::string& path);
  bool ZKakikomi(const std::string& path);
  bool DriveJwCadDialog(unsigned command, const std::wstring& button, const std::string& path);
  void ApplyAfterRunMode();

  // The list's order and its column headers (varnik_listorder.cpp).
  void RestoreListOrder();
  void ShowColumnCaptions(const std::array<std::string, kListColumns>& captions);
  void OnColumnClick(int column);
  static int CALLBACK CompareListRows(LPARAM a, LPARAM b, LPARAM self);

  // File commands and the editor (varnik_fileops.cpp). OnFileCommand is
  // true when it handled the command.
  bool OnFileCommand(UINT id);
  void UpdateSamplesMenu(HMENU menu);
  bool EditorIsSet(std::string& editor);
  bool StartEditor(const std::string& editor, const std::string& file, const std::string& folder);
  void EditRelatedFile(int index);
  void EditAllFiles();
  void EditJwwFile(JwwFile file);
  void RenameSelectedFile();
  void DeleteSelectedFile();
  void SelectListRow(const std::string& name);

  // Environment file tools (varnik_envtools.cpp).
  void AddComments(CommentMode mode);
  void JwfOut();

  // Building the window (varnik_controls.cpp).
  struct TwipRect { int l, t, w, h; };
  void CreateControls();
  // The controls of the top strip (and the strips inside the comment area)
  // at their design positions, in pixels of the window's DPI.
  void PlaceDesignControls();
  void SetStatusParts();
  void CreateMenus();
  void CreateMenuBar();
  void CreateImageLists();
  HICON FilterIcon(int index, bool small = false);
  void ShowFilterIcons(int index);
  void LoadTrayWindow();
  static constexpr UINT kLoadTrayMessage = WM_APP + 42;
  void ApplyFonts();

  // Load, save and close (varnik_load.cpp).
  void LoadSequence();
  void ReadStartArguments();
  void StartListPrefetch();
  void LoadSettings();
  void GatherLiveSettings();
  void ApplyColumnLayout();
  void KeepOnScreen();
  TrayHost TrayHostOfThisWindow();
  void SelectFilter(int index);
  void OnFilterChange();
  void OnJwwFolderChange();

  // Layout (varnik_panes.cpp).
  void OnResize();
  void AttachPaneDrag();
  // Moved to a monitor of another DPI (varnik_dpi.cpp).
  void OnDpiChanged(int dpi, const RECT* suggested);
  void ApplyUiFont();
  void ApplyPaneOps(const PaneLayout& layout);
  int ToPx(double twips) const;
  double ToTwips(int px) const;
  double ToolbarButtonWidth() const;

  // Folder tree and drives (varnik_tree.cpp).
  void FillDriveList();
  std::string DriveListDrive() const;
  bool SelectDrive(const std::string& drive);
  bool ChangeDrive(const std::string& drive);
  void OnDriveChange();
  std::string TreeDrive() const;
  std::string TreeCachePath() const;
  void ResetFolderTree();
  void LoadTreeCache();
  void SelectTreeNode(const std::string& key);
  void savetree();
  void SaveTreeTo(const std::string& path);
  void SearchFolders(const std::string& start, bool tree_was_reset);
  bool ShowSearchProgress(bool everything);
  void OnSearchMessage(UINT msg, WPARAM serial);
  void StopSearch();
  // `stalled`: the worker did not end when asked to, and is left to end
  // by itself.
  void FinishSearch(bool stalled = false);
  void DropEndedStalledSearches();
  void OnTreeNotify(NMHDR* hdr);
  void OnNodeClick(HTREEITEM item);
  void HideFolder();
  void OpenFolderInShell();

  // The favourites column (varnik_favourites.cpp).
  void OnShortcutClick(int index);

  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  std::string arguments_;
  std::string program_folder_override_;
  // The folder the start arguments name, in short upper-case form; empty
  // when they name none.
  std::string argument_folder_;
  bool jwf_argument_ = false;
  std::unique_ptr<ListPrefetch> list_prefetch_;
  Settings settings_;
  std::string program_folder_;
  std::string wrapper_batch_path_;
  std::string jww_drive_;
  std::string current_folder_;
  bool IsLoading = false;
  bool key_preview_ = true;
  bool debug_run_ = false;
  bool write_out_ = false;
  bool enter_ran_on_key_down_ = false;
  RunGuard run_guard_;
  // The file name and folder of the row the selection state was taken from,
  // so a run can tell whether the highlighted row is the analysed one.
  std::string analysed_name_, analysed_folder_;
  int analysed_filter_ = -1;
  bool display_all_ = false;  // the display-mode panel is inset ("全部")
  std::string selected_file_path_, selected_drive_, engine_label_ = "?", related_file_list_;
  // The rows of ListView1 (each row's lParam is its index here) and their
  // order.
  std::vector<FileRow> list_rows_;
  ListSort list_sort_;
  std::array<std::string, 14> kanren_captions_{};
  std::array<bool, 14> kanren_visible_{};
  HMENU files_menu_ = nullptr;
  HWND focus_before_deactivation_ = nullptr;
  bool window_icon_set_ = false;  // a filter's picture replaced the class's
  bool ctrl_held_ = false;
  bool shift_held_ = false;
  bool unloading_ = false;
  bool save_failure_reported_ = false;
  double frame2_left_ = 0;  // L, twips
  double frame3_top_ = 0;   // Y3, twips
  std::unique_ptr<FolderTreePane> tree_pane_;
  std::unique_ptr<FolderSearchRunner> search_;
  // Searches stopped while their worker was held up in a read that would
  // not break off; each goes once its worker has ended.
  std::vector<std::unique_ptr<FolderSearchRunner>> stalled_searches_;
  WPARAM search_serial_ = 0;
  SearchShown search_shown_;
  bool tree_save_failure_reported_ = false;
  bool tree_selected_by_mouse_ = false;
  std::string folder_display_name_;
  std::unique_ptr<FavouritesBar> favourites_;
  HIMAGELIST ImageList1 = nullptr, ImageList3 = nullptr;
  UniqueFont tree_font_, list_font_, come_font_, ui_font_;
  UniqueIcon icons_[3];        // window icons per filter
  UniqueIcon small_icons_[3];  // and their small pictures
  std::unique_ptr<TrayWindow> frmtask_;
  std::vector<std::pair<HWND, TwipRect>> design_places_;
  std::unique_ptr<PaneDrag> pane_drag_;
};

}  // namespace zel
