#pragma once

// Hands the skin package carried in the executable to the toolkit (HandOverSkinPackage) and
// registers the program's own control classes.
void LoadSkinPackage();

// Registers "CProgressExUI", "COptionExUI" and "CControlExUI" with the toolkit's control factory.
void RegisterExtendedControls();
