#include "app/desktopprogram.h"

int main(int argc, char** argv) {
  return RunDesktopProgram(argc, argv);
}
