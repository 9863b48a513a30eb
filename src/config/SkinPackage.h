// The skin package carried in the executable, handed to the toolkit's resources: the
// configuration document, the language tables and the layouts are read from it.
#pragma once

// A missing or empty package leaves the toolkit without an archive; the first reader then
// reports it.
void HandOverSkinPackage();
