// For the end-to-end journeys: with TW_GEOMETRY_FILE set, the program keeps
// that file listing where its windows, tiles, thumbnails, board and dialog
// controls are on the screen, so that a journey finds a control by its
// caption or place in the list instead of by fixed coordinates.
#pragma once

// Installs the dump when TW_GEOMETRY_FILE names a file; otherwise does nothing.
void InstallGeometryDump();
