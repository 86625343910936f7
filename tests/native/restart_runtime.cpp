// restart-runtime SCRIPT CYCLES
//
// A program that embeds Python the way applications do: it starts the runtime,
// runs SCRIPT, finalizes the runtime, and does it all again CYCLES times. Every
// cycle must import a working, fresh module. Built and run by the pytest suite.
#include <Python.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: restart-runtime SCRIPT CYCLES\n", stderr);
        return 2;
    }
    const int cycles = std::atoi(argv[2]);
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        Py_Initialize();
        const int status = PyRun_SimpleString(argv[1]);
        if (Py_FinalizeEx() < 0 || status != 0) {
            std::fprintf(stderr, "cycle %d failed\n", cycle);
            return 1;
        }
    }
    return 0;
}
