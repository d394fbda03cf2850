// The interaction database: the 17 files of <datadir>/_database.
#pragma once

namespace zelpra {

// Looks up the data directory, reads the 17 database files into
// ELEMENT_DATA in their fixed order, then runs mu's initialisation mode.
void READ_DATABASE();

}  // namespace zelpra
