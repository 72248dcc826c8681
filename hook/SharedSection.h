// One copy of the variables marked PV_SHARED is seen by every process the library is mapped into.
// Only explicitly initialised variables may go there (GCC places others in .bss).
#pragma once

#if defined(_MSC_VER)
#define PV_SHARED_BEGIN __pragma(data_seg(".hdata"))
#define PV_SHARED_END __pragma(data_seg())
#define PV_SHARED
#pragma comment(linker, "/SECTION:.hdata,RWS")
#else
#define PV_SHARED_BEGIN
#define PV_SHARED_END
#define PV_SHARED __attribute__((section(".hdata"), shared))
#endif
