// The Open dialog through which the user points at the game folder.
#include "folders/CFindFolder.h"

const RuntimeClass CFindFolder::kRuntimeClass{"CFindFolder", &FileDialog::kRuntimeClass, 0xFFFF, nullptr};

namespace {
RuntimeClassRegistration g_registration(CFindFolder::kRuntimeClass);
}

const RuntimeClass* CFindFolder::GetRuntimeClass() const {
    return &kRuntimeClass;
}
