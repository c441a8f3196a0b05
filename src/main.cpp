#include "app/Application.h"

int main(int argc, char* argv[])
{
    return runFromCommandLine(argc, argv);
}
