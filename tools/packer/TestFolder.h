// A throwaway folder for the packer's native tests, removed with everything in it at the end of
// the test.
#pragma once

#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace packer {

class TestFolder {
 public:
  TestFolder() {
    char pattern[] = "/tmp/packer_test_XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    path_ = made ? made : "";
  }
  ~TestFolder() {
    if (!path_.empty()) nftw(path_.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& path() const { return path_; }

  // Writes |content| to |relative| ('/' separators), creating the folders above it.
  std::string Write(const std::string& relative, const std::string& content) const {
    MakeFoldersAbove(relative);
    const std::string full = path_ + "/" + relative;
    std::FILE* file = std::fopen(full.c_str(), "wb");
    EXPECT_NE(file, nullptr) << full;
    if (file != nullptr) {
      std::fwrite(content.data(), 1, content.size(), file);
      std::fclose(file);
    }
    return full;
  }

  std::string MakeFolder(const std::string& relative) const {
    MakeFoldersAbove(relative + "/x");
    return path_ + "/" + relative;
  }

 private:
  static int RemoveOne(const char* path, const struct stat*, int, struct FTW*) {
    return remove(path);
  }

  void MakeFoldersAbove(const std::string& relative) const {
    for (size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1)) {
      mkdir((path_ + "/" + relative.substr(0, slash)).c_str(), 0755);
    }
  }

  std::string path_;
};

}  // namespace packer
