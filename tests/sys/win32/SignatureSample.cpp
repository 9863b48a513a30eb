// A small program for the signature tests to sign, damage and check.
int main() { return 0; }
