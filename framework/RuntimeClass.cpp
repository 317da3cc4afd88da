// Run-time class records and the registry of classes creatable by name.
#include "framework/RuntimeClass.h"

#include "framework/Object.h"

#include <cstring>
#include <vector>

namespace {
// A function-local list, so registrations from other files' static objects find it built.
std::vector<const RuntimeClass*>& Registry() {
    static std::vector<const RuntimeClass*> registry;
    return registry;
}
} // namespace

bool RuntimeClass::IsDerivedFrom(const RuntimeClass* base) const {
    for (const RuntimeClass* c = this; c; c = c->m_baseClass) {
        if (c == base)
            return true;
    }
    return false;
}

std::unique_ptr<Object> RuntimeClass::CreateObject() const {
    return std::unique_ptr<Object>(m_createObject ? m_createObject() : nullptr);
}

const RuntimeClass* RuntimeClass::FromName(const char* className) {
    if (!className)
        return nullptr;
    for (const RuntimeClass* c : Registry()) {
        if (std::strcmp(c->m_className, className) == 0)
            return c;
    }
    return nullptr;
}

std::unique_ptr<Object> RuntimeClass::CreateObject(const char* className) {
    const RuntimeClass* record = FromName(className);
    return record ? record->CreateObject() : nullptr;
}

RuntimeClassRegistration::RuntimeClassRegistration(const RuntimeClass& record) {
    Registry().push_back(&record);
}
