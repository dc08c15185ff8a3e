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
    case 17: text = "The system cannot move the file to a different disk drive."; break;
    case 31: text = "A device attached to the system is not functioning."; break;
    case 32: text = "The process cannot access the file because it is being used by another process."; break;
    case 50: text = "The request is not supported."; break;
    case 80: text = "The file exists."; break;
    case 87: text = "The parameter is incorrect."; break;
    case 112: text = "There is not enough space on the disk."; break;
    case 120: text = "This function is not supported on this system."; break;
    case 123: text = "The filename, directory name, or volume label syntax is incorrect."; break;
    case 145: text = "The directory is not empty."; break;
    case 183: text = "Cannot create a file when that file already exists."; break;
    case 223: text = "The file size exceeds the limit allowed and cannot be saved."; break;
    case 234: text = "More data is available."; break;
    case 267: text = "The directory name is invalid."; break;
    case 1009: text = "The configuration registry database is corrupt."; break;
    case 1018: text = "Illegal operation attempted on a registry key that has been marked for deletion."; break;
    case 1223: text = "The operation was canceled by the user."; break;
    default: break;
  }
  if (!text) return "Error " + std::to_string(code);
  return std::string(text) + " (" + std::to_string(code) + ")";
}

}  // namespace vl::sys
