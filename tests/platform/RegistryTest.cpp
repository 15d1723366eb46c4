// TRegistry against a scratch key of the current user's hive.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/Registry.h"

namespace {

const char kTestRoot[] = "Software\\SkelvaneTest";
const char kTestKey[] = "Software\\SkelvaneTest\\Registry";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot); }

  static bool KeyExists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
};

TEST_F(RegistryTest, OpenKeyWithoutCreateNeverCreates) {
  TRegistry registry;
  EXPECT_FALSE(registry.OpenKey(kTestKey, false));
  EXPECT_FALSE(registry.KeyOpen());
  EXPECT_FALSE(KeyExists(kTestKey));
  EXPECT_TRUE(registry.OpenKey(kTestKey, true));
  EXPECT_TRUE(KeyExists(kTestKey));
}

TEST_F(RegistryTest, IntegerRoundTripsAsDword) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kTestKey, true));
  EXPECT_FALSE(registry.ValueExists("Count"));
  registry.WriteInteger("Count", -7);
  EXPECT_TRUE(registry.ValueExists("Count"));
  EXPECT_EQ(-7, registry.ReadInteger("Count"));
  DWORD type = 0;
  RegGetValueA(HKEY_CURRENT_USER, kTestKey, "Count", RRF_RT_ANY, &type, nullptr, nullptr);
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
}

TEST_F(RegistryTest, BinaryDataIsStoredAsBinary) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kTestKey, true));
  double value = 2.5;
  registry.WriteBinaryData("Width", &value, sizeof value);
  double read = 0;
  DWORD type = 0;
  DWORD size = sizeof read;
  ASSERT_EQ(ERROR_SUCCESS,
            RegGetValueA(HKEY_CURRENT_USER, kTestKey, "Width", RRF_RT_ANY, &type, &read, &size));
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
  EXPECT_EQ(sizeof value, size);
  EXPECT_EQ(2.5, read);
  // An integer read of a binary value fails instead of reinterpreting bytes.
  EXPECT_THROW(registry.ReadInteger("Width"), ERegistryException);
}

TEST_F(RegistryTest, MissingValueCannotBeRead) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kTestKey, true));
  EXPECT_THROW(registry.ReadInteger("Absent"), ERegistryException);
}

TEST_F(RegistryTest, WithoutOpenKeyNothingIsReadOrWritten) {
  TRegistry registry;
  registry.OpenKey(kTestKey, false);
  EXPECT_FALSE(registry.ValueExists("Software"));
  EXPECT_THROW(registry.ReadInteger("x"), ERegistryException);
  EXPECT_THROW(registry.WriteInteger("SkelvaneTestValue", 1), ERegistryException);
  int data = 1;
  EXPECT_THROW(registry.WriteBinaryData("SkelvaneTestValue", &data, sizeof data), ERegistryException);
  EXPECT_NE(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, nullptr, "SkelvaneTestValue",
                                        RRF_RT_ANY, nullptr, nullptr, nullptr));
}

TEST_F(RegistryTest, CloseKeyEndsAccess) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kTestKey, true));
  registry.WriteInteger("A", 1);
  registry.CloseKey();
  EXPECT_FALSE(registry.KeyOpen());
  EXPECT_FALSE(registry.ValueExists("A"));
}

}  // namespace
