// The editor's command table: every command, the tools included, is one entry.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "toolkit/color.h"

namespace quillora {

class TScrivletForm1;

// Tool mode codes.
enum ToolMode : int32_t {
  kToolNone = 0,
  kToolSelect = 1,
  kToolLine = 10,
  kToolArrow = 15,
  kToolText = 20,
  kToolTextPoint = 25,
  kToolPick = 50,
};

// WM_COMMAND ids of the editor's commands, the same in every build (never renumber one).
enum CommandId : unsigned {
  kSeparator = 0,  // in a layout list: a separator
  kCmdNew = 101,
  kCmdOpen = 102,
  kCmdSave = 103,
  kCmdSaveAs = 104,
  kCmdPrint = 105,
  kCmdExit = 106,
  kCmdReload = 107,
  kCmdVer = 108,
  kCmdFont = 109,
  kCmdBKColor = 110,
  kCmdDel = 111,
  kCmdFontColor = 112,
  kCmdColor = 113,
  kCmdPaste = 114,
  kCmdUndo = 115,
  kCmdRedo = 116,
  kCmdPick = 117,
  kCmdSelect = 118,
  kCmdLine = 119,
  kCmdArrow = 120,
  kCmdText = 121,
};

// What the commands' state follows from that the document does not know.
struct CommandState {
  bool saveEnabled = false;  // 上書き保存: off until a load, off again after a save-as
  int32_t tool = kToolNone;  // the tool whose button is down, none when all are up
};

// A tool: its mode, its button and what the mode displays show while it is in use.
struct ToolFacts {
  int32_t mode = kToolNone;  // kToolNone: the command is no tool
  const char* buttonCaption = "";
  bool allowAllUp = true;
  bool visible = true;
  qtk::Color color = 0;  // NowMode's font colour
  const char* modeName = "";
  const char* modeMessage = "";  // SelColor's text
  // The handlers of its tool-bar button and of its pop-up menu item (none for the hidden arrow).
  void (TScrivletForm1::*buttonClick)() = nullptr;
  void (TScrivletForm1::*menuClick)() = nullptr;
};

struct CommandEntry {
  CommandId id;
  const char* name;  // a tool's is its tool-bar button's
  const char* category = "";
  const char* caption = "";
  const char* hint = "";
  WORD key = 0;       // Ctrl+key
  WORD shiftKey = 0;  // Ctrl+Shift+key
  int glyph = -1;
  void (TScrivletForm1::*run)() = nullptr;         // tools: choosing the tool
  bool (*enabled)(const CommandState&) = nullptr;  // null: always enabled
  ToolFacts tool = {};
};

std::span<const CommandEntry> Commands();
const CommandEntry& FindCommand(CommandId id);
// The tool entry of a mode, null for none.
const CommandEntry* ToolCommand(int32_t mode);

}  // namespace quillora
