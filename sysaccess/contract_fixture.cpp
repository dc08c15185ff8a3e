// Set-up and clean-up shared by the contract tests of both backends.
#include <atomic>
#include <cstdio>

#include "sysaccess/folder_tree.h"
#include "sysaccess/test_env.h"

namespace vl::sys {

namespace {
std::atomic<int> g_testNumber{0};
}

void ContractTest::SetUp() {
  env_ = MakeTestEnv();
  ASSERT_TRUE(env_);
  reg_ = std::make_unique<Registry>(api());
  mask_ = AccessMask(p().system->IsWow64());
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, "%d", ++g_testNumber);
  userKey_ = std::string("Software\\VantorelTest\\t") + suffix;
  machineKey_ = std::string("SOFTWARE\\VantorelTest\\t") + suffix;
  MakeKey(kHKCU, userKey_);
  MakeKey(kHKLM, machineKey_);
  std::string temp = p().system->EnvironmentVariable("TEMP");
  ASSERT_FALSE(temp.empty());
  folder_ = temp + "\\vl_test_" + suffix;
  DeleteFolderTree(fs(), folder_, 1);
  ASSERT_TRUE(fs().CreateFolder(folder_));
}

void ContractTest::TearDown() {
  if (!env_) return;
  reg_->DeleteKey(kHKCU, "Software\\VantorelTest", kMaskAll64);
  reg_->DeleteKey(kHKLM, "SOFTWARE\\VantorelTest", kMaskAll64);
  reg_->DeleteKey(kHKLM, "SOFTWARE\\VantorelTest", kMaskAll);
  DeleteFolderTree(fs(), folder_, 1);
}

void ContractTest::MakeKey(RegRoot root, const std::string& key) {
  RegKey k;
  ASSERT_EQ(api().CreateKey(root, key, kMaskAll64, &k), kErrSuccess) << key;
  api().CloseKey(k);
}

void ContractTest::SetRaw(RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                          const std::string& bytes) {
  RegKey k;
  ASSERT_EQ(api().CreateKey(root, key, kMaskAll64, &k), kErrSuccess) << key;
  EXPECT_EQ(api().SetValue(k, name, type, bytes), kErrSuccess) << name;
  api().CloseKey(k);
}

RegData ContractTest::GetRaw(RegRoot root, const std::string& key, const std::string& name) {
  RegData d;
  ScopedKey k(api(), root, key, kMaskAll64);
  if (k.ok()) api().QueryValue(k.get(), name, 1u << 20, &d);
  return d;
}

}  // namespace vl::sys
