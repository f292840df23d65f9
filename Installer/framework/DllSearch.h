// Protection against DLL planting: a DLL that the program loads by name (directly, delay-loaded,
// or by a system component on its behalf) must come from System32, never from the folder the
// installer was downloaded to or the current folder, where anybody may have put a file of that name.
#pragma once

// Limits the DLL search of the process to System32 (SetDefaultDllDirectories, looked up at run
// time because systems without the loader update lack it). Where it is missing, the current
// folder is at least taken out of the search (SetDllDirectoryA("")). Idempotent.
//
// The program calls this before any other static constructor runs (framework/WinMain.cpp); DLLs
// in the import table are loaded by the system loader before that and are not affected.
void LimitDllSearchToSystem32();
