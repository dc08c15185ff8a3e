// Special folders by the program's own index.
#include "sysaccess/shell_folders.h"

namespace vl::sys {

int CsidlForIndex(int index) {
  static const int kCsidl[] = {23, 11, 22, 24, 0,  2,  5,  6,  7,  8,  9,  16, 19, 20,
                               21, 25, 26, 27, 31, 32, 33, 28, 35, 36, 37, 38, 43};
  if (index >= 1 && index <= 27) return kCsidl[index - 1];
  return 34;  // History
}

std::string SpecialFolderPath(Shell& shell, int index) {
  std::string path = shell.FolderByCsidl(CsidlForIndex(index));
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

}  // namespace vl::sys
