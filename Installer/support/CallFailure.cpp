#include "support/CallFailure.h"

#include "support/Log.h"

std::string CallFailureText(const char* call, const std::string& subject, DWORD error) {
  return std::string(call) + " failed for " + subject + " with error " + std::to_string(error) +
         ".";
}

void LogCallFailure(const char* call, const std::string& subject, DWORD error) {
  theLog.Write(CallFailureText(call, subject, error).c_str());
}
