#include "launch/unrar.h"

namespace unrar {

std::string RARErrorText(int code) {
  switch (code) {
    case 0: return "no errors occurred";
    case 10: return "end of archive reached";
    case 11: return "not enough memory";
    case 12: return "CRC error";
    case 13: return "the supplied file is not a valid RAR archive";
    case 14: return "data format unknown";
    case 15: return "file open error";
    case 16: return "cannot create destination file";
    case 17: return "archive close error";
    case 18: return "read error";
    case 19: return "write error";
    case 20: return "buffer is too small";
    default: return "unknown error code";
  }
}

}  // namespace unrar
