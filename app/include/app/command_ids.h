#pragma once

// The framework's own command, window and string identifiers with their standard values. The
// document's commands are in document/document_types.h.

namespace veltra {

inline constexpr unsigned ID_SEPARATOR = 0;

inline constexpr unsigned ID_FILE_NEW = 57600;
inline constexpr unsigned ID_FILE_OPEN = 57601;
inline constexpr unsigned ID_FILE_SAVE = 57603;
inline constexpr unsigned ID_FILE_PRINT_SETUP = 57606;
inline constexpr unsigned ID_FILE_PRINT = 57607;
inline constexpr unsigned ID_FILE_PRINT_DIRECT = 57608;
inline constexpr unsigned ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr unsigned ID_FILE_MRU_FILE1 = 57616;
inline constexpr unsigned ID_FILE_MRU_FILE16 = 57631;

inline constexpr unsigned ID_EDIT_COPY = 57634;
inline constexpr unsigned ID_EDIT_CUT = 57635;
inline constexpr unsigned ID_EDIT_PASTE = 57637;
inline constexpr unsigned ID_EDIT_UNDO = 57643;

inline constexpr unsigned ID_APP_ABOUT = 57664;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_NEXT_PANE = 57680;
inline constexpr unsigned ID_PREV_PANE = 57681;

inline constexpr unsigned ID_INDICATOR_CAPS = 59137;
inline constexpr unsigned ID_INDICATOR_NUM = 59138;
inline constexpr unsigned ID_INDICATOR_SCRL = 59139;

// The bars' window ids double as the View menu's commands, so the handlers find the bar by
// the command that names it.
inline constexpr unsigned AFX_IDW_TOOLBAR = 59392;
inline constexpr unsigned AFX_IDW_STATUS_BAR = 59393;
inline constexpr unsigned ID_VIEW_TOOLBAR = AFX_IDW_TOOLBAR;
inline constexpr unsigned ID_VIEW_STATUS_BAR = AFX_IDW_STATUS_BAR;

// The application's own commands, beside the framework's: the information panel and the
// steps through the open file's folder.
inline constexpr unsigned ID_VIEW_INFO_PANEL = 32800;
inline constexpr unsigned ID_PICTURE_NEXT = 32801;
inline constexpr unsigned ID_PICTURE_PREVIOUS = 32802;
inline constexpr unsigned ID_PICTURE_FIRST = 32803;
inline constexpr unsigned ID_PICTURE_LAST = 32804;

// One id names the menu, the toolbar, the accelerators, the icon and the document template.
inline constexpr unsigned IDR_MAINFRAME = 128;
inline constexpr unsigned IDD_ABOUTBOX = 100;

}  // namespace veltra
