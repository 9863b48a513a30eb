#include "Utf8Main.h"

// Arguments here are the bytes the caller passed, UTF-8 in every locale the tools support.
int main(int argc, char** argv) { return Utf8Main(argc, argv); }
