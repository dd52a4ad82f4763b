#include "app/startup.h"

int main(int argc, char** argv)
{
    return runPalisandre(argc, argv);
}
