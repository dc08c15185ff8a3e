// Category captions and problem texts.
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

const std::array<const char*, 19> kCategoryCaptions = {
    "ActiveX,OLE/COM Entries", "Application Paths", "Empty Registry Keys", "File Extensions",
    "Font Entries", "Help Section", "Invalid File Associations", "Invalid Shortcuts",
    "Most Recently Used Files", "Shared DLL's Sections", "Sounds Section", "Start Menu Items",
    "Startup Programs", "System Services", "Uninstall Entries",
    "Internet Explorer", "Windows Software", "Windows System", "Internet Software",
};

std::string CategoryCaption(int category) {
  return category >= 0 && category < kCategoryCount ? kCategoryCaptions[category] : "";
}

std::string ProblemText(int code) {
  switch (code) {
    case kValueNotUsed: return "Value seems to not be used";
    case kInvalidServer: return "Invalid server command";
    case kInvalidTypeLib: return "Invalid reference is an invalid TypeLib identifier";
    case kInvalidAppId: return "AppID reference is an invalid application identifier";
    case kInvalidProxyStub: return "ProxyStubClsid32 reference is an invalid CLSID identifier";
    case kNoData: return "Contain no data and can be deleted";
    case kEmptyKey: return "Reference is an empty key";
    case kHistory: return "History and can be deleted";
    case kInvalidImagePath: return "Reference is an invalid image path";
    case kInvalidPath: return "Reference is an invalid path";
    case kInvalidProgId: return "Reference is an invalid program identifier";
    case kEmptyShellKey: return "Empty shell key, contains no data and can be deleted";
    case kEmptyShellCommand: return "Empty shell command, contains no data and can be deleted";
    case kInvalidCommand: return "Reference is an invalid command";
    case kErrorNoData: return "Dues to error, will contain no data and canbe deleted";
    default: return "";
  }
}

}  // namespace vl::registry
