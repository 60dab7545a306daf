// The usage text as the checker writes it to standard output, CR LF line ends and all.
#pragma once

const char kUsage[] =
    "Usage: TessivMemoryChecker \r\n"
    "       -AutoUpdate                 \tAutomaticaly updates the Tessiv settings to the "
    "recommended value.\r\n"
    "       -AutoUpdateOnlyIfOverlap    \tAutomaticaly updates the Tessiv settings to the "
    "recommended value only if Tessiv memory overlaps the PCI address space.\r\n"
    "       -Silent                     \tDoes not print anything in the console.\r\n"
    "       -Check                      \tChecks the memory without doing any updates.\r\n"
    "       -Log:[file]                 \tAppends the details in the attached log "
    "file.\r\n";
