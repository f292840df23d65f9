// Whether a run record, or a folder on the way to it, may be acted on: the next run of the
// product undoes what a record names, as SYSTEM or an administrator, so a record that anyone
// else could have written or replaced must never be believed. This is the trust boundary of
// the recovery; the decision is a pure function of the facts, so that every case can be tested
// on descriptors built in memory (Wine keeps no ACLs on files).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One entry of a DACL as far as the decision needs it. |sid| is the SID in string form
// ("S-1-5-18"); "" when the entry's kind carries its SID elsewhere (object entries): such an
// entry counts as someone else's.
struct AccessEntry {
  BYTE type = ACCESS_ALLOWED_ACE_TYPE;
  BYTE flags = 0;
  DWORD mask = 0;
  std::string sid;
};

// What the decision looks at for one file or folder.
struct SecurityFacts {
  std::string owner;  // the owner's SID in string form; "" when there is none
  enum class Dacl { kEntries, kNull } dacl = Dacl::kEntries;  // kNull also for a missing DACL
  std::vector<AccessEntry> entries;
  DWORD attributes = 0;  // GetFileAttributes: folder, reparse point
  // The account this process runs as (its token's user): what it made is its own. Under Wine
  // every file of the Unix user that runs Wine has this owner.
  std::string runningAccount;
};

struct TrustJudgement {
  bool trusted = false;
  std::string reason;  // why not, as a sentence fragment ("it is owned by S-1-5-21-...-1001")
};

// The trust boundary of the run records: a record folder, a folder above it, or a record file
// may be acted on only when
//   - its owner is SYSTEM, Administrators, TrustedInstaller or the running account;
//   - its DACL is not null (a null DACL lets everyone do everything);
//   - no access-allowed entry for anyone else gives write, append, delete, WRITE_DAC,
//     WRITE_OWNER, GENERIC_WRITE or GENERIC_ALL (on a folder also FILE_DELETE_CHILD), whether
//     explicit, inherited or inherit-only (what it would give the records made below counts
//     too); CREATOR OWNER and CREATOR GROUP entries stand for whoever creates a file there,
//     which, with the rights above, is one of the trusted accounts;
//   - it is not a reparse point (a link could send the record elsewhere).
TrustJudgement JudgeRecordLocation(const SecurityFacts& facts);

// The facts of the descriptor |descriptor| (self-relative or absolute) for a file with
// |attributes|, read by a process running as |runningAccount|. False when the descriptor
// cannot be read (a malformed one).
bool FactsFromDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD attributes,
                         const std::string& runningAccount, SecurityFacts* facts);

// The SID of the account this process runs as, in string form; "" when it cannot be read.
std::string RunningAccountSid();

// Reads the facts of the file or folder |path| (GetFileAttributesA, GetNamedSecurityInfoA).
// False with the code in |error| when they cannot be read.
bool ReadSecurityFacts(const std::string& path, SecurityFacts* facts, DWORD* error);

// The descriptor the installer gives the folders it makes for its records, as SDDL: owned by
// Administrators, a protected DACL that gives SYSTEM and Administrators full control and
// nobody else anything, inherited by the files and folders made below.
constexpr char kRecordFolderSddl[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
// The same without the owner, for a process that may not name Administrators as owner: what it
// makes is then its own.
constexpr char kRecordFolderSddlWithoutOwner[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
