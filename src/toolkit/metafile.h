#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/bitmap.h"

namespace qtk {

// A metafile picture as its bytes, with what the player needs to draw it at a size: nothing here
// hands the bytes to the system. The system's players trust the records they are given, so they
// only ever run in a player process of their own (PlayMetafile).
struct MetafileBits {
  enum class Format { Windows, Enhanced } format = Format::Enhanced;
  std::string bytes;  // a Windows metafile (from its METAHEADER on) or an enhanced metafile
  // A Windows metafile's mapping: its logical window, stretched over the whole picture.
  int mapMode = MM_ANISOTROPIC;
  RECT window{};
  // Natural size in screen pixels.
  int width = 0, height = 0;
  // What the user reads when the picture cannot be drawn.
  std::string failure = "メタファイルが有効ではありません";
};

// Reads a placeable WMF (its 22-byte header, then the metafile) or enhanced-metafile content.
// Throws Error("メタファイルが有効ではありません") for content without either header, a size
// that does not fit, a zero extent, or a picture past the readers' limits (2^28 pixels).
MetafileBits ReadMetafile(const std::string& data);
MetafileBits ReadMetafileFile(const std::string& path);
// Natural size of an enhanced metafile's bytes in screen pixels, from its recorded frame; throws
// the error above for a header that gives none.
void SizeFromFrame(MetafileBits& metafile);

// Plays the metafile over the pixels of `into`, stretched to its whole area, in a player process
// (this program started again with a switch of its own) on a fresh surface, and takes the pixels
// back only when it has played to the end. A player that faults in a record is started again
// stepping over that record (up to 8 records), so the picture is all the system can draw of it.
// A player that returns nothing, faults outside a record or once too often, draws nothing, or
// is still busy after a few seconds (restarts included) is ended, `into` is left as it was, and
// Error(metafile.failure) is thrown. `cancel`, an event, ends the wait (and the player) early,
// with the same error.
void PlayMetafile(const MetafileBits& metafile, Bitmap& into, HANDLE cancel = nullptr);

// The player's side: when this process was started as a player, plays and gives the process's
// exit code; otherwise -1. Called first thing by every program that plays metafiles.
int RunMetafilePlayerIfAsked(int argc, char** argv);
// Tests only: runs in the player just before it plays (to make it fault, hang or stop), and just
// before each record it plays (numbered from 0, the header); players started by this process.
extern void (*metafilePlayerStarting)();
extern void (*metafilePlayerRecord)(uint32_t record);
extern int metafilePlayersStarted;

}  // namespace qtk
