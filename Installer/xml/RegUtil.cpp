#include "xml/RegUtil.h"

namespace {

constexpr char kRegInfoPath[] = "/appConfig/regInfo";

}  // namespace

void ReplaceChar(std::string& text, char from, char to) {
  for (char& c : text) {
    if (c == from) c = to;
  }
  if (!text.empty() && text.back() == to) text.pop_back();
}

CRegUtil::CRegUtil(const std::string& path) : filePath(path) {
  loaded = dom.Load(filePath, 1) == 1 ? 1 : 0;
}

CRegUtil::~CRegUtil() = default;

int CRegUtil::SetValue(const std::string& keyPath, const std::string& valueName,
                       const std::string& value) {
  if (!loaded) return 0;
  // The configuration's key paths start with "/", so the node path has "//" after regInfo: the
  // key is found anywhere below regInfo, and otherwise created right under it.
  std::string nodePath = std::string(kRegInfoPath) + "/" + keyPath;
  ReplaceChar(nodePath, '\\', '/');
  ReplaceChar(nodePath, ' ', '-');
  std::string name = valueName;
  ReplaceChar(name, ' ', '-');

  ComPtr<IXMLDOMNode> keyNode;
  if (dom.GetNode(nodePath, &keyNode, 0) != 1 || !keyNode) return 0;
  return dom.SetNodeText(value, keyNode.get(), nodePath + "/" + name);
}
