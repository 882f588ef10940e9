// lumenda: the desktop program.
#include "app/desktop.h"

int main(int argc, char** argv) {
  return lumenda::ui::RunDesktop(argc, argv);
}
