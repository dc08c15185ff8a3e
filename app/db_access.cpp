// WithDatabase: the usage pattern of data.db.
#include "app/db_access.h"

namespace vl {

bool WithDatabase(sys::FileSystem& files, const std::string& dbPath,
                  std::initializer_list<const char*> tables,
                  const std::function<void(store::Connection&)>& work) {
  if (!files.FileExists(dbPath)) return false;
  store::Connection c = store::OpenDatabase(files.NativePath(dbPath));
  for (const char* t : tables)
    if (!store::HasTable(c, t)) return false;
  work(c);
  return true;
}

}  // namespace vl
