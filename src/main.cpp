#include "control/Startup.h"

int main(int argc, char** argv)
{
    return vantrel::runProgram(argc, argv);
}
