#include "rollback/RollbackLog.h"

#include "support/Log.h"

namespace rollback {

void LogLine(const std::string& line) { theLog.Write(line.c_str()); }

std::string RegistryKeyText(HKEY root, const std::string& key) {
  return (root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + key;
}

}  // namespace rollback
