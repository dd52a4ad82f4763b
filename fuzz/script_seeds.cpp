// Writes the seed corpus of fuzz_script (fuzz/script_seeds.h) into the folder given.

#include "fuzz/script_seeds.h"
#include "fuzz/seed_writer.h"

int main(int argc, char** argv)
{
    return seeds::writeSeedFiles(argc, argv, seeds::scriptSeeds(), QStringLiteral(".cos"), "seed scripts");
}
