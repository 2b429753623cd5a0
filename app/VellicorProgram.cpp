// Vellicor: which e-mail attachment file types Outlook lets the user open.
#include "app/Program.h"

int main(int argc, char** argv) {
    return RunProgram(argc, argv);
}
