// What a run record may name. Even a record that only administrators could have written is
// confined to its own run's scope: the frames at its start (and those added when the run learns
// its folders) name the company, the product, the company folder, the Start-menu company folder,
// the desktops and the product's registry keys, and every change must lie inside them. A record
// that names anything else (the system folder, another drive, a ".." part, an alternate data
// stream, another registry key) is refused as a whole: no part of it is undone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "rollback/ChangeRecord.h"

namespace rollback {

// The scope a run's record declares, given by the run's caller.
struct RunScope {
  std::string companyName;
  std::string appName;
  // The company folder and the Start-menu company folder: full paths ("C:\Apps\QVX").
  std::vector<std::string> folders;
  // Folders the run puts links into (the desktops): only ".lnk" files below them.
  std::vector<std::string> linkFolders;
  // The product's registry keys: the Uninstall entry and its settings.
  struct Key {
    HKEY root = HKEY_LOCAL_MACHINE;
    std::string key;
  };
  std::vector<Key> keys;
};

// The scope frames that declare |scope|, kScopeProduct first.
std::vector<ChangeRecord> ScopeRecords(const RunScope& scope);

// "" when |records| (read from a record file in |recordFolder|) start with kScopeProduct for the
// product whose record folder this is (<companyName>\Setup\<appName>), declare only full local
// paths and registry keys, and every change lies inside what the scope frames before it declare:
//   - files and folders in or below a scope folder, the backups too; the folders above a scope
//     folder only as kCreatedSharedFolder or kFolderExisted (removed only when empty);
//   - ".lnk" files below a link folder (created, moved or copied aside);
//   - registry values in or below a scope key; kCreatedKey also for the keys above one (a key
//     with subkeys is never removed);
//   - kMadeRecordFolder: |recordFolder| and the two folders above it.
// A path below a folder must pass the archive entries' path check (payload::CheckEntryPath):
// no "..", ".", ':', device names or empty parts. Otherwise the first offending record, as a
// sentence fragment ("it names C:\Windows\System32\poc.dll, outside its scope").
std::string FindOutOfScope(const std::vector<ChangeRecord>& records,
                           const std::string& recordFolder);

}  // namespace rollback
