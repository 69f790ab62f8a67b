// kelvo: loads the Kelvo audio unit from its component bundle, as an Audio Unit host
// does, and renders files, lists and recalls presets, saves and loads .aupreset files
// and shows the editor. "kelvo --help" lists the commands.

#include "Commands.h"

#include <iostream>

int main(int argc, char** argv)
{
  std::vector<std::string> args(argv + 1, argv + argc);
  const int code = RunKelvo(args, std::cout, std::cerr);
  std::cout.flush();
  return code;
}
