#pragma once

// Hands the skin package carried in the executable to the toolkit. A missing or empty package
// leaves the toolkit without an archive; the first window then reports it.
void LoadSkinPackage();
