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

ComPtr<IXMLDOMNode> CRegUtil::KeyNode(const std::string& keyPath) {
  ComPtr<IXMLDOMNode> keyNode;
  if (!loaded) return keyNode;  // lastFailure still says why the load failed
  if (dom.GetNode(KeyElementPath(keyPath), &keyNode, 0) != 1 || !keyNode) {
    keyNode.reset();
    lastFailure = E_FAIL;
  }
  return keyNode;
}

int CRegUtil::SetValue(const std::string& keyPath, const std::string& valueName,
                       const std::string& value) {
  const ComPtr<IXMLDOMNode> keyNode = KeyNode(keyPath);
  if (!keyNode) return 0;
  const int written =
      dom.SetNodeText(value, keyNode.get(), ValueElementPath(keyPath, valueName));
  lastFailure = dom.LastFailure();
  return written;
}

int CRegUtil::PutValue(const std::string& keyPath, const std::string& valueName,
                       const std::string& value) {
  const ComPtr<IXMLDOMNode> keyNode = KeyNode(keyPath);
  if (!keyNode) return 0;
  dom.PutNodeText(value, keyNode.get(), ValueElementPath(keyPath, valueName));
  return 1;
}

int CRegUtil::Save() {
  if (!loaded) return 0;
  const int saved = dom.SaveToFile();
  lastFailure = dom.LastFailure();
  return saved;
}
