// Zornack: the program. It shows its window on the SDL back end and runs
// the main form's message loop until the game ends.
#include "game/main_form.h"
#include "platform/program.h"

int main() { return platform::RunProgram("zornack", Form1); }
