// Writes the tips file: maketips <tips.txt> <VELMORA.TIP>. Each tip line becomes one rich-text
// paragraph.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/TipsFile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: maketips <tips.txt> <output>\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "maketips: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::vector<std::string> texts;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    texts.push_back("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n\\f0\\fs20 " + line +
                    "\\par\r\n}\r\n");
  }
  const std::string data = tips::Build(texts);
  const std::string temp = std::string(argv[2]) + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out) {
      std::cerr << "maketips: cannot write " << temp << "\n";
      return 1;
    }
  }
  return std::rename(temp.c_str(), argv[2]) == 0 ? 0 : 1;
}
