// Placeholder until the desktop platform lands.
int main() { return 0; }
