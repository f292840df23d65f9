#include "engine/InstallDecision.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "engine/UninstallValues.h"
#include "support/RegisterKey.h"

namespace {

std::vector<std::string> VersionParts(const std::string& version) {
  std::vector<std::string> parts(1);
  for (char c : version) {
    if (c == '.') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

bool IsNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int ComparePart(const std::string& a, const std::string& b) {
  const std::string left = a.empty() ? "0" : a;
  const std::string right = b.empty() ? "0" : b;
  if (IsNumber(left) && IsNumber(right)) {
    const long difference = std::strtol(left.c_str(), nullptr, 10) -
                            std::strtol(right.c_str(), nullptr, 10);
    return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
  }
  const int order = left.compare(right);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

int CompareVersions(const std::string& a, const std::string& b) {
  const std::vector<std::string> left = VersionParts(a);
  const std::vector<std::string> right = VersionParts(b);
  const size_t count = left.size() > right.size() ? left.size() : right.size();
  for (size_t i = 0; i < count; ++i) {
    const int order = ComparePart(i < left.size() ? left[i] : "", i < right.size() ? right[i] : "");
    if (order != 0) return order;
  }
  return 0;
}

std::string DecisionSentence(const std::string& installed, const std::string& version) {
  if (installed.empty()) return "This is a fresh installation of " + version + ".";
  const int order = CompareVersions(installed, version);
  if (order < 0) return "This is an upgrade from " + installed + " to " + version + ".";
  if (order > 0) return "This is a downgrade from " + installed + " to " + version + ".";
  return "This is a reinstallation of " + version + ".";
}

std::string InstalledVersion(const std::string& appName) {
  CRegisterKey key;
  if (key.OpenExisting(HKEY_LOCAL_MACHINE, UninstallKeyPath(appName), KEY_READ) != ERROR_SUCCESS) {
    return {};
  }
  std::string version;
  return key.ReadString("DisplayVersion", version) == ERROR_SUCCESS ? version : std::string();
}
