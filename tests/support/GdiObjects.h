#pragma once
// The GDI objects a process holds, for the tests and benchmarks that show
// that a repeated action leaves that number where it was. GetGuiResources
// answers 0 under Wine, so the count is taken from the GDI handle table that
// the system keeps in the process's own memory (its address is in the process
// environment block), which Windows and Wine both fill.
#include <windows.h>

namespace svtest {

// The number of live GDI objects of that process (this one, or one opened
// with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ), or -1 when its table
// cannot be read (a 32-bit build does not read it).
long GdiObjects(HANDLE process);

}  // namespace svtest
