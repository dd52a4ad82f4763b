// Writes the seed corpus of fuzz_background (fuzz/background_seeds.h) into the folder given.

#include "fuzz/background_seeds.h"
#include "fuzz/seed_writer.h"

int main(int argc, char** argv)
{
    return seeds::writeSeedFiles(argc, argv, seeds::backgroundSeeds(), QStringLiteral(".blk"),
                                 "seed background files");
}
