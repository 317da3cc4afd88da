// Root of the classes that carry a run-time class record.
#include "framework/Object.h"

const RuntimeClass Object::kRuntimeClass{"Object", nullptr, 0xFFFF, nullptr};

const RuntimeClass* Object::GetRuntimeClass() const {
    return &kRuntimeClass;
}

bool Object::IsKindOf(const RuntimeClass* record) const {
    return GetRuntimeClass()->IsDerivedFrom(record);
}
