// Writes the calculator-side files that Bridgit sends, as the simulator knows
// them: the archive programs Arch71.zq and Arch73.zq, and the server library
// XSrvr71.zq for the "71" family. Run once; the results are kept in
// sim/calcfiles/.
//
//   bridgit-calcfiles FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include "sim/rpl_objects.h"

int main(int argc, char** argv) {
  using namespace bridgit::sim;
  if (argc != 2) {
    std::fprintf(stderr, "usage: bridgit-calcfiles FOLDER\n");
    return 2;
  }
  const std::string dir = argv[1];
  // The archive program: sends the whole memory when it is evaluated.
  const TObj archive = MakeComposite(kProgram, {MakeCommand(CommandId("ARCHIVESEND"))});
  // The server library: a Library object whose data begin with its name.
  TObj library;
  PutField(library, kLibrary, 5);
  const std::string payload = "XSRVR library of the XModem server";
  PutField(library, static_cast<std::uint32_t>(5 + 2 * payload.size()), 5);
  for (char c : payload) PutField(library, static_cast<unsigned char>(c), 2);

  struct TFile {
    const char* name;
    const char* family;
    const TObj& object;
  };
  for (const TFile& f : {TFile{"Arch71.zq", "71", archive}, TFile{"Arch73.zq", "73", archive},
                         TFile{"XSrvr71.zq", "71", library}}) {
    std::ofstream out(dir + "/" + f.name, std::ios::binary);
    out << FileHeader(f.family) << ToBytes(f.object);
    if (!out) {
      std::fprintf(stderr, "bridgit-calcfiles: cannot write %s/%s\n", dir.c_str(), f.name);
      return 1;
    }
  }
  return 0;
}
