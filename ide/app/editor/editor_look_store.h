#pragma once
// Reading and writing the editor's look in the settings store ("Colors", "Fonts",
// "Startup"/"SelBound"), every key in the order of the key table.
#include "ide/core/editor_look.h"

namespace qbc {

EditorLook ReadEditorLook();
void WriteEditorLook(const EditorLook& look);

}  // namespace qbc
