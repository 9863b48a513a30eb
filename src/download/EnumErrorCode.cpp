// Error codes of the download engine.
