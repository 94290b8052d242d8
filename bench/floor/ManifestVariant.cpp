// damdfe-manifest-variant keys COUNT FILE: writes the sample manifest with COUNT linked keys, for
// the whole-process benchmark.

#include <cstdio>
#include <fstream>
#include <string>

#include "ManifestVariants.h"

int main(int argc, char** argv) {
  if (argc != 4 || std::string(argv[1]) != "keys") {
    std::fprintf(stderr, "Uso: damdfe-manifest-variant keys QUANTIDADE ARQUIVO.xml\n");
    return 2;
  }
  std::ofstream(argv[3], std::ios::binary) << WithLinkedDocuments(std::stoi(argv[2]));
  return 0;
}
