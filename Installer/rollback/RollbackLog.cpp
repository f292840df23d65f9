#include "rollback/RollbackLog.h"

#include "support/Log.h"

namespace rollback {

void LogLine(const std::string& line) { theLog.Write(line.c_str()); }

std::string RegistryKeyText(HKEY root, const std::string& key) {
  return (root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + key;
}

void KeepRecordLine(const std::string& path) {
  LogLine("The record " + path + " and its backups are kept: the next run of this product " +
          "finishes the rollback.");
}

}  // namespace rollback
