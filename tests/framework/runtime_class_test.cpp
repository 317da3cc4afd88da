// Run-time class records: names, ancestry and creation by name.
#include <gtest/gtest.h>

#include "framework/Object.h"
#include "framework/WorkerThread.h"

namespace {
class Sample : public Object {
public:
    const RuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }
    static Object* Create() { return new Sample; }
    static const RuntimeClass kRuntimeClass;
};
const RuntimeClass Sample::kRuntimeClass{"Sample", &Object::kRuntimeClass, 1, &Sample::Create};
RuntimeClassRegistration g_sampleRegistration(Sample::kRuntimeClass);
} // namespace

TEST(RuntimeClass, FindsRegisteredClassesByNameAndCreatesThem) {
    EXPECT_EQ(RuntimeClass::FromName("Sample"), &Sample::kRuntimeClass);
    EXPECT_EQ(RuntimeClass::FromName("sample"), nullptr);
    EXPECT_EQ(RuntimeClass::FromName(nullptr), nullptr);
    EXPECT_EQ(RuntimeClass::CreateObject("Nothing"), nullptr);

    std::unique_ptr<Object> made = RuntimeClass::CreateObject("Sample");
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(&Sample::kRuntimeClass));
    EXPECT_TRUE(made->IsKindOf(&Object::kRuntimeClass));
    EXPECT_FALSE(made->IsKindOf(&WorkerThread::kRuntimeClass));
    EXPECT_STREQ(made->GetRuntimeClass()->m_className, "Sample");
}
