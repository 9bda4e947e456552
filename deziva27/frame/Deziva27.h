// The module frame: the eight units start in a fixed order when the library
// is loaded and stop in reverse when it is unloaded. Initialize and Finalize
// may also be called; each unit keeps a start counter, so its start-up work
// runs only for the first outstanding start and its shut-down work only when
// the last one is undone.
//
// Start order: the host's units (System, SysUtils, Classes, Registry, Forms,
// Dialogs), then YConsts, YStrings, YUtils, YDattime, YScanner, YLocales,
// YCompress, YHtmlHlp.
// Threads: Initialize, Finalize and the table's entries may be called from any thread.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>
#include <span>

#include "deziva27/consts/Errors.h"
#include "deziva27/consts/YConsts.h"

namespace dz DZ_API {

void Initialize();  // start every unit, in order
void Finalize();    // stop every unit, in reverse

// One unit of the module: its name and its counted start and stop routines.
// Entries are static: the table and its names live as long as the program.
struct TPackageUnitEntry {
  const char* Name;  // "System", "SysUtils" ... "YHtmlHlp"
  void (*Init)();   // the unit's start routine (counted)
  void (*FInit)();  // the unit's stop routine (counted)
};

// Every unit the module contains or uses, host units first, in start order.
std::span<const TPackageUnitEntry> GetPackageInfoTable();

}  // namespace dz
