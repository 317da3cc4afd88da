// Root of the classes that carry a run-time class record.
#pragma once

#include "framework/RuntimeClass.h"

class Object {
public:
    virtual ~Object() = default;

    virtual const RuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const RuntimeClass* record) const;

    static const RuntimeClass kRuntimeClass;
};
