// A program that does nothing until it is killed: tests copy it under the name of the process they need.
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

int main() {
    // Never outlive the test that started it, whatever becomes of that test.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() == 1) {
        return 0;
    }
    for (;;) {
        pause();
    }
}
