#pragma once

// Hands the skin package carried in the executable to the toolkit and registers the program's own
// control classes. A missing or empty package leaves the toolkit without an archive; the first
// window then reports it.
void LoadSkinPackage();

// Registers "CProgressExUI", "COptionExUI" and "CControlExUI" with the toolkit's control factory.
void RegisterExtendedControls();
