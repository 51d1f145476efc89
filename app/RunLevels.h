// The levels of a recorded run: which files a folder gives the game, and
// where to find the same ones again when the run is replayed.
#pragma once
#include "app/RunFile.h"
#include <string>
#include <vector>

// The levels the game would play from `folder` (as CQuibboApp finds them:
// QB00.BMP..QB99.BMP that are present, at least the 100 bytes a level file
// needs, and readable; builtinFirst when there is no QB00.BMP). A set of
// exactly one file, QB00.BMP, that reads as a level and is the very file
// MakeLevelBitmap writes for it (as a link's, the editor's and the level
// tool's levels are) is carried whole (levelBody), so that a run of such a
// level travels alone and is played back on the same bytes; so is it only
// when its body is at most half of kMaxRunBodyBytes, leaving room for the
// tape. Any other QB00.BMP stays a file of the set.
RunLevels DescribeRunLevels(const std::string& folder);

// The first of `folders` that holds exactly the set (same files, sizes and
// CRCs; builtinFirst the same and the built-in level the same): true with it
// in *folder (ending with '/'). Otherwise false and one line naming what is
// missing, e.g. "QB03.BMP (4821 bytes, CRC 1a2b3c4d) is not in /x/levels/
// (nor in /y/)" or "it was played on a built-in level this Quibbo does not
// have". For a carried level: writes it as QB00.BMP into `scratch` (made if
// missing; QB01.BMP to QB99.BMP there are removed, as the game would go on
// to them) and gives that folder.
bool FindRunLevels(const RunLevels& levels, const std::vector<std::string>& folders,
                   const std::string& scratch, std::string* folder, std::string* why);
