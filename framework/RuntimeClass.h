// Run-time class records: a class's name, its base, and a factory for creation by name.
#pragma once

#include <windows.h>

#include <memory>

class Object;

class RuntimeClass {
public:
    using Factory = Object* (*)();

    constexpr RuntimeClass(const char* className, const RuntimeClass* baseClass, UINT schema, Factory factory)
        : m_className(className), m_baseClass(baseClass), m_schema(schema), m_createObject(factory) {}

    bool IsDerivedFrom(const RuntimeClass* base) const;
    // Null for classes registered without a factory.
    std::unique_ptr<Object> CreateObject() const;

    // Classes become findable by name once registered (see RuntimeClassRegistration).
    static const RuntimeClass* FromName(const char* className);
    static std::unique_ptr<Object> CreateObject(const char* className);

    const char* const m_className;
    const RuntimeClass* const m_baseClass;
    const UINT m_schema;
    const Factory m_createObject;
};

// A static object of this type enters a record into the by-name registry.
class RuntimeClassRegistration {
public:
    explicit RuntimeClassRegistration(const RuntimeClass& record);
};
