#include "ProgramEntry.h"
#include "app/Application.h"

extern "C" __attribute__((visibility("default"))) int tovrin_program_main(int argc, char* argv[])
{
    return runFromCommandLine(argc, argv);
}
