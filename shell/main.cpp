#include <cstdio>

int main() {
  std::printf("\nTolva (Reelwright) version 1.0.5a (release)\n");
  return 0;
}
