// Writes the benchmark's MIDI files into a folder: ensembles of 10^3 to 10^6
// notes and the 16-track file for the comparison with other programs.
//
//   make_bench_midi DIR [NOTES...]     default NOTES: 1000 10000 100000 1000000

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "synthetic_midi.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_bench_midi DIR [NOTES...]\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<size_t> sizes{1000, 10000, 100000, 1000000};
    if (argc > 2) {
        sizes.clear();
        for (int i = 2; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    }
    auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir + "/" + name;
        if (!vl::bench::writeFile(path, bytes)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
        std::printf("%s  %zu bytes, %zu events\n", path.c_str(), bytes.size(),
                    vl::bench::countFileEvents(bytes));
        return true;
    };
    for (size_t n : sizes)
        if (!write("ensemble_" + std::to_string(n) + ".mid", vl::bench::makeEnsembleFile(n)))
            return 1;
    return write("peers_320000.mid", vl::bench::makePeersFile()) ? 0 : 1;
}
