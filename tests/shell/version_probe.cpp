// Carries a version resource of its own for the file property dialog's test.
int main() { return 0; }
