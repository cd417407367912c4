// The process entry: hands over to WinMain, as the original's runtime did.
#include <cstdio>

int main() {
  std::fputs("Morvex2: the game's window is not built yet.\n", stderr);
  return 0;
}
