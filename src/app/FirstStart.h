// What the window does on a first start before it reads its settings.
#pragma once

// A first start is one with no language folder in the settings: neither the
// set-up nor an earlier start has run for this user. It adds the set-up's
// default settings that the hive lacks, never changing one that is there, so
// that an installed program started from the desktop menu works without
// sonadex-setup. The language folder is the installed one, which the program
// reads without writing. A hive that cannot be updated is left as it is: the
// window then reports the missing settings itself.
void ApplyFirstStartDefaults();
