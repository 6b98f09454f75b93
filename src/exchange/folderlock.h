#pragma once

// The data folder's writer lock lives in the engine, so the program takes the same lock as the
// exchange tool without depending on the exchange library.

#include "engine/folderlock.h"

namespace tamsel::exchange {
using engine::FolderLock;
} // namespace tamsel::exchange
