// Selection keys as the Options page can choose them. Config.ini is a text file that anyone may
// edit: a letter or the blank as a selection key would swallow typing while the prompt shows, and
// one key in several roles leaves nothing to complete with.
#pragma once

#include "config/SettingsRecord.h"

// Puts back the default keys of each role that holds a key the Options page could not have chosen
// for it, and every default when one key has several roles. True when anything was put back.
bool RestoreUnchoosableSelectionKeys(SelectionKeys& keys);
