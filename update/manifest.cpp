#include "update/manifest.h"

#include <pugixml.hpp>

namespace vl::update {

bool ParseManifest(const std::string& xml, Manifest& out, std::string& error) {
  out = Manifest{};
  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size());
  if (!parsed) {
    error = std::string(parsed.description()) + " at offset " + std::to_string(parsed.offset);
    return false;
  }
  pugi::xml_node root = doc.document_element();
  if (std::string(root.name()) != "updateinformation") {
    error = root ? "the top element is <" + std::string(root.name()) + ">, not <updateinformation>"
                 : "the document has no element";
    return false;
  }
  // child_value() is the element's first text: "" for a missing element.
  const struct {
    const char* name;
    std::string Manifest::*field;
  } fields[] = {{"softver", &Manifest::softver}, {"softmd5", &Manifest::softmd5},
                {"softpos", &Manifest::softpos}, {"softfile", &Manifest::softfile},
                {"upver", &Manifest::upver},     {"upmd5", &Manifest::upmd5},
                {"uppos", &Manifest::uppos},     {"upfile", &Manifest::upfile}};
  for (const auto& f : fields) out.*f.field = root.child(f.name).text().get();
  return true;
}

bool ReadManifest(sys::FileSystem& files, const std::string& path, Manifest& out, std::string& error) {
  std::string xml;
  if (!files.ReadFileBytes(path, xml)) {
    out = Manifest{};
    error = "the file " + path + " could not be read";
    return false;
  }
  return ParseManifest(xml, out, error);
}

}  // namespace vl::update
