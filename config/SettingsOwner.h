// The window interface moved to pack/, where the pack job that calls it lives.
#pragma once

#include "pack/SettingsOwner.h"
