// The system error texts of the codes our calls meet.
#include "sysaccess/error_text.h"

namespace vl::sys {

std::string SystemErrorText(long code) {
  const char* text = nullptr;
  switch (code) {
    case 2: text = "The system cannot find the file specified."; break;
    case 3: text = "The system cannot find the path specified."; break;
    case 5: text = "Access is denied."; break;
    case 6: text = "The handle is invalid."; break;
    case 32: text = "The process cannot access the file because it is being used by another process."; break;
    case 50: text = "The request is not supported."; break;
    case 80: text = "The file exists."; break;
    case 87: text = "The parameter is incorrect."; break;
    case 112: text = "There is not enough space on the disk."; break;
    case 120: text = "This function is not supported on this system."; break;
    case 183: text = "Cannot create a file when that file already exists."; break;
    case 234: text = "More data is available."; break;
    case 1009: text = "The configuration registry database is corrupt."; break;
    case 1018: text = "Illegal operation attempted on a registry key that has been marked for deletion."; break;
    default: break;
  }
  if (!text) return "Error " + std::to_string(code);
  return std::string(text) + " (" + std::to_string(code) + ")";
}

}  // namespace vl::sys
