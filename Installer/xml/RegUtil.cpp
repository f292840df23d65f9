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

std::string KeyElementPath(const std::string& keyPath) {
  std::string path = std::string(kRegInfoPath) + "/" + keyPath;
  ReplaceChar(path, '\\', '/');
  ReplaceChar(path, ' ', '-');
  return path;
}

std::string ValueElementPath(const std::string& keyPath, const std::string& valueName) {
  std::string name = valueName;
  ReplaceChar(name, ' ', '-');
  return KeyElementPath(keyPath) + "/" + name;
}

CRegUtil::CRegUtil(const std::string& path) : filePath(path) {
  loaded = dom.Load(filePath, 1) == 1 ? 1 : 0;
  lastFailure = dom.LastFailure();
}

CRegUtil::~CRegUtil() = default;

int CRegUtil::SetValue(const std::string& keyPath, const std::string& valueName,
                       const std::string& value) {
  if (!loaded) return 0;  // lastFailure still says why the load failed
  ComPtr<IXMLDOMNode> keyNode;
  if (dom.GetNode(KeyElementPath(keyPath), &keyNode, 0) != 1 || !keyNode) {
    lastFailure = E_FAIL;
    return 0;
  }
  const int written =
      dom.SetNodeText(value, keyNode.get(), ValueElementPath(keyPath, valueName));
  lastFailure = dom.LastFailure();
  return written;
}
