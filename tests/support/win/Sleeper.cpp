// A program that does nothing until it is killed: tests copy it under the name of the process they need.
#include <windows.h>

int main() {
    Sleep(INFINITE);
    return 0;
}
